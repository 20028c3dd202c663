#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "base/Progress.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"

TEST(ProgressFillIn, ReplacesEachMarkerByItsArgumentOnce) {
    struct Case {
        const char* format;
        std::vector<std::string> args;
        const char* expected;
    } cases[] = {
        {"Address %1 of %2, %3 online", {"23", "60", "2"}, "Address 23 of 60, 2 online"},
        {"%2 before %1", {"a", "b"}, "b before a"},
        // An argument is never read as a template: a unit "%1" stays as it is.
        {"Last value: %1 %2", {"12", "%1"}, "Last value: 12 %1"},
        {"%3 is missing", {"x"}, "%3 is missing"},
        {"100 %", {}, "100 %"},
        {"trailing %", {"x"}, "trailing %"},
    };
    for (const Case& c : cases) EXPECT_EQ(fillText(c.format, c.args), c.expected) << c.format;
}

TEST(ProgressSnapshot, KeepsTheTemplatesWithTheirArgumentsBesideTheText) {
    Progress p;
    p.setParts(
        {{progress_text::kSamplesTaken, {"3", "12"}}, {progress_text::kWithoutAnswer, {"1"}}}, 3,
        12, 40);
    const ProgressSnapshot s = p.snapshot();
    EXPECT_EQ(s.text(), "3 of 12 samples taken, 1 without answer");
    ASSERT_EQ(s.parts.size(), 2u);
    EXPECT_EQ(s.parts[0].format, progress_text::kSamplesTaken);
    EXPECT_EQ(s.parts[1].args, std::vector<std::string>{"1"});
    EXPECT_EQ(s.done, 3);
    EXPECT_EQ(s.total, 12);
    EXPECT_EQ(s.secondsLeft, 40);
    p.clear();
    EXPECT_TRUE(p.snapshot().text().empty());
    EXPECT_TRUE(p.snapshot().parts.empty());
}

TEST(ProgressSnapshot, AWaitUntilADeadlineCountsDownAndStopsAtZero) {
    using namespace std::chrono;
    Progress p;
    p.setUntil(progress_text::kStoreWait, steady_clock::now() + milliseconds(4500), 1, 3);
    EXPECT_EQ(p.snapshot().secondsLeft, 5);  // rounded up
    EXPECT_EQ(p.snapshot().done, 1);
    p.setUntil(progress_text::kStoreWait, steady_clock::now() - milliseconds(1));
    EXPECT_EQ(p.snapshot().secondsLeft, 0);
    // A later step without a deadline does not keep counting the old one.
    p.set(progress_text::kConfirm);
    EXPECT_EQ(p.snapshot().secondsLeft, -1);
}

TEST(ProgressEstimate, TheRemainingStepsAtThePaceOfThoseDone) {
    using std::chrono::milliseconds;
    EXPECT_EQ(estimateSecondsLeft(milliseconds(3000), 0, 60), -1);  // nothing to go by yet
    EXPECT_EQ(estimateSecondsLeft(milliseconds(1500), 1, 60), 89);  // 59 x 1.5 s, rounded up
    EXPECT_EQ(estimateSecondsLeft(milliseconds(30000), 20, 60), 60);
    EXPECT_EQ(estimateSecondsLeft(milliseconds(100), 60, 60), 0);
    EXPECT_EQ(estimateSecondsLeft(milliseconds(100), 61, 60), -1);
}

TEST(ProgressTexts, EveryTemplateIsListedOnceAndUsesItsMarkersInOrder) {
    std::set<std::string> seen;
    for (const char* t : progress_text::kAll) {
        EXPECT_TRUE(seen.insert(t).second) << t;
        // Markers from %1 up without a gap, so a translation can be checked against them.
        const std::string s(t);
        int highest = 0;
        for (std::size_t i = 0; i + 1 < s.size(); ++i)
            if (s[i] == '%' && s[i + 1] >= '1' && s[i + 1] <= '9')
                highest = std::max(highest, s[i + 1] - '0');
        for (int n = 1; n <= highest; ++n)
            EXPECT_NE(s.find("%" + std::to_string(n)), std::string::npos) << t;
    }
}
