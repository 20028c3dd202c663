#pragma once
// The factory password that switches the running program into enterprise mode.

#include "common/Texts.h"
#include <string_view>

// Byte for byte, length included: no trimming, no prefix match.
bool IsEnterprisePassword(std::string_view typed);

inline constexpr const char* kLoginFailedText = KORV_TR_NOOP("Core", "Login password you entered is incorrect");
