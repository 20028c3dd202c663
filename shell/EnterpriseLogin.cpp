#include "shell/EnterpriseLogin.h"

namespace {
constexpr std::string_view kFactoryPassword = "740215";
}

bool isEnterprisePassword(std::string_view typed) {
    return typed == kFactoryPassword;
}
