#pragma once
// A finished core message in another language, without Qt: the text itself when `exact` knows
// it; else each line on its own; else the composed template (texts::composedTexts()) with the
// most fixed text that fits, translated and filled in with its arguments, each translated in
// turn (a list "a; b" part by part). `exact` returns the translation of a text, or the text.

#include <functional>
#include <string>
#include <string_view>

std::string translateCoreText(std::string_view text,
                              const std::function<std::string(std::string_view)>& exact);
