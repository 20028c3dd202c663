#include <gtest/gtest.h>

#include "shell/EnterpriseLogin.h"

TEST(EnterprisePassword, OnlyTheExactSixDigitsPass) {
    EXPECT_TRUE(IsEnterprisePassword("740215"));
    EXPECT_FALSE(IsEnterprisePassword(""));
    EXPECT_FALSE(IsEnterprisePassword("74021")) << "first five digits";
    EXPECT_FALSE(IsEnterprisePassword("740215 ")) << "trailing space";
    EXPECT_FALSE(IsEnterprisePassword(" 740215")) << "leading space";
    EXPECT_FALSE(IsEnterprisePassword("7402150"));
    EXPECT_FALSE(IsEnterprisePassword(std::string_view("740215\0", 7))) << "embedded NUL";
}
