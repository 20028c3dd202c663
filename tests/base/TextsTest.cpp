#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/Texts.h"

TEST(FillText, PlaceholdersTakeTheirArgumentsAndNothingElseChanges) {
    struct Case {
        const char* tmpl;
        std::initializer_list<std::string_view> args;
        const char* filled;
    };
    const Case cases[] = {
        {"Error Code%1read serial operation failed!",
         {"5"},
         "Error Code5read serial operation failed!"},
        {"%2 of %1", {"60", "58"}, "58 of 60"},
        // A percent sign of the text itself stays, "0.5%" included.
        {"超过量程的0.5%，请检查：%1", {"7, 12"}, "超过量程的0.5%，请检查：7, 12"},
        {"100% %", {}, "100% %"},
        // A placeholder without its argument stays, and an argument is never read again.
        {"Line %1 (%2)", {"4"}, "Line 4 (%2)"},
        {"%1 and %2", {"%2", "x"}, "%2 and x"},
    };
    for (const Case& c : cases) EXPECT_EQ(fillText(c.tmpl, c.args), c.filled) << c.tmpl;
}

// The window recognises a composed message by its template, so no two templates may be the same.
TEST(ComposedTexts, EveryTemplateIsListedOnceAndHasAPlaceholder) {
    std::set<std::string> seen;
    for (const char* t : texts::composedTexts()) {
        EXPECT_TRUE(seen.insert(t).second) << t;
        EXPECT_NE(std::string(t).find("%1"), std::string::npos) << t;
    }
    EXPECT_TRUE(seen.count(texts::kPointsNotAcquired));
    EXPECT_TRUE(seen.count(texts::kAddressed));
}
