#pragma once
// The record file's curve as a PNG image for the command line, which has no Qt: the plot of
// column "1" over the minutes, with its frame, without the window's labels.

#include <optional>
#include <string>

#include "state/AppContext.h"

namespace cli {

// The image's bytes.
std::string curvePng(const ImportState& state, int width = 800, int height = 400);
// Writes `bytes` to `path` whole or not at all (a file beside it, synced, renamed); the
// system's reason when it fails.
std::optional<std::string> writeFileAtomically(const std::string& path, const std::string& bytes);

}  // namespace cli
