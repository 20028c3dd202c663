#pragma once
// The factory password that switches the running program into enterprise mode.

#include <string_view>

#include "base/Texts.h"

// Byte for byte, length included: no trimming, no prefix match.
bool isEnterprisePassword(std::string_view typed);

inline constexpr const char* kLoginFailedText =
    KORV_TR_NOOP("Core", "Login password you entered is incorrect");
