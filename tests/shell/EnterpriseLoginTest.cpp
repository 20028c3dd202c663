#include <gtest/gtest.h>

#include "shell/EnterpriseLogin.h"

TEST(EnterprisePassword, OnlyTheExactSixDigitsPass) {
    EXPECT_TRUE(isEnterprisePassword("740215"));
    EXPECT_FALSE(isEnterprisePassword(""));
    EXPECT_FALSE(isEnterprisePassword("74021")) << "first five digits";
    EXPECT_FALSE(isEnterprisePassword("740215 ")) << "trailing space";
    EXPECT_FALSE(isEnterprisePassword(" 740215")) << "leading space";
    EXPECT_FALSE(isEnterprisePassword("7402150"));
    EXPECT_FALSE(isEnterprisePassword(std::string_view("740215\0", 7))) << "embedded NUL";
}
