#pragma once
// GBK (code page 936) <-> UTF-8, used only where text crosses a file boundary: parameter files
// and the preset INI are GBK, the program works in UTF-8 ("℃" is A1 E6, "℉" is A8 48).

#include <optional>
#include <string>
#include <string_view>

// nullopt when the input is not valid in its encoding.
std::optional<std::string> utf8ToGbk(std::string_view utf8);
std::optional<std::string> gbkToUtf8(std::string_view gbk);
// Well-formed UTF-8: no stray continuation bytes, overlong forms, surrogates or code points
// beyond U+10FFFF. Plain ASCII is UTF-8.
bool isUtf8(std::string_view bytes);
