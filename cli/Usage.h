#pragma once
// The command line's usage: the whole of it, or one command's.

#include <string>
#include <string_view>

namespace cli {

// Everything for an empty `command`; otherwise that command's lines, with the options every
// command takes and the exit status.
std::string usageText(std::string_view command);

}  // namespace cli
