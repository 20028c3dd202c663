#include <gtest/gtest.h>

#include <string>

#include "base/Message.h"
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

// A message travels as it was composed, so its arguments are never taken for parts of the text:
// a list "a; b", an argument that looks like another template, a name with a percent sign.
TEST(Message, TranslatesTemplatesAndFixedPartsButNeverVerbatimOnes) {
    const auto translate = [](std::string_view t) -> std::string {
        if (t == "%1: %2")
            return "[%1] %2";
        if (t == "%1: verified")
            return "%1 geprüft";
        if (t == "K1 action")
            return "K1-Schaltpunkt";
        if (t == "first line")
            return "erste Zeile";
        return std::string(t);
    };
    const Message addressed =
        compose("%1: %2", {Message::verbatim("12"), compose("%1: verified", {"K1 action"})});
    EXPECT_EQ(addressed.text(), "12: K1 action: verified");
    EXPECT_EQ(addressed.translated(translate), "[12] K1-Schaltpunkt geprüft");

    const Message list = Message::joined({"K1 action", Message::verbatim("K1 action")}, "; ");
    EXPECT_EQ(list.text(), "K1 action; K1 action");
    EXPECT_EQ(list.translated(translate), "K1-Schaltpunkt; K1 action");

    // An argument that reads like a template, or holds "; ", stays what it is.
    const Message odd = compose("%1: verified", {Message::verbatim("a; %1: verified %2")});
    EXPECT_EQ(odd.translated(translate), "a; %1: verified %2 geprüft");

    // A fixed text of several lines without a translation of its own goes line by line.
    EXPECT_EQ(Message("first line\nsecond").translated(translate), "erste Zeile\nsecond");
    EXPECT_TRUE(Message().empty());
    EXPECT_TRUE(Message::joined({}, "; ").empty());
    EXPECT_FALSE(compose("%1", {Message::verbatim("x")}).empty());
}
