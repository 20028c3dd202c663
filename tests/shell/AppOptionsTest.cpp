#include <gtest/gtest.h>

#include "shell/AppOptions.h"

TEST(AppOptions, NoOptionsIsAnOrdinaryRunOnTheDefaultPort) {
    auto r = parseAppOptions({});
    ASSERT_TRUE(r.options);
    EXPECT_FALSE(r.options->demo);
    EXPECT_TRUE(r.options->screenshotDir.empty());
}

TEST(AppOptions, DemoStartsFourDevicesUnlessDevicesSaysOtherwise) {
    auto plain = parseAppOptions({"--demo"});
    ASSERT_TRUE(plain.options);
    EXPECT_TRUE(plain.options->demo);
    EXPECT_EQ(plain.options->demoDevices, (std::vector<int>{1, 7, 12, 35}));

    auto chosen = parseAppOptions({"--demo", "--devices", "3,60"});
    ASSERT_TRUE(chosen.options);
    EXPECT_EQ(chosen.options->demoDevices, (std::vector<int>{3, 60}));
}

TEST(AppOptions, ScreenshotsTakesItsFolder) {
    auto r = parseAppOptions({"--demo", "--screenshots", "/tmp/out"});
    ASSERT_TRUE(r.options);
    EXPECT_EQ(r.options->screenshotDir, "/tmp/out");
}

TEST(AppOptions, RejectsWhatWouldOtherwiseBeSilentlyIgnored) {
    EXPECT_FALSE(parseAppOptions({"--devices", "1,2"}).options) << "devices without a bus";
    EXPECT_FALSE(parseAppOptions({"--demo", "--devices", "0,61"}).options);
    EXPECT_FALSE(parseAppOptions({"--demo", "--devices"}).options);
    EXPECT_FALSE(parseAppOptions({"--screenshots"}).options);
    auto unknown = parseAppOptions({"--demoo"});
    EXPECT_FALSE(unknown.options);
    EXPECT_NE(unknown.error.find("--demoo"), std::string::npos);
}

TEST(AppOptions, LanguageComesFromTheOptionOrElseTheEnvironment) {
    struct Case {
        std::vector<std::string> args;
        std::string env;
        std::string lang;
    };
    const Case cases[] = {
        {{}, "", ""},  // the window's own texts
        {{"--lang", "en"}, "", "en"},
        {{"--lang", "zh"}, "", "zh"},
        {{}, "en", "en"},
        {{"--lang", "zh"}, "en", "zh"},  // the option wins
        {{"--lang", "en"}, "fr", "en"},  // a bad environment is not consulted then
    };
    for (const Case& c : cases) {
        auto r = parseAppOptions(c.args, c.env);
        ASSERT_TRUE(r.options) << r.error;
        EXPECT_EQ(r.options->lang, c.lang) << "env " << c.env;
    }
}

TEST(AppOptions, UnknownLanguageIsAUsageErrorNamingTheValue) {
    auto option = parseAppOptions({"--lang", "de"});
    EXPECT_FALSE(option.options);
    EXPECT_EQ(option.error, "--lang de: unknown language, use en or zh");
    auto env = parseAppOptions({}, "EN");
    EXPECT_FALSE(env.options);
    EXPECT_EQ(env.error, "KORVELANTIS_LANG=EN: unknown language, use en or zh");
    EXPECT_FALSE(parseAppOptions({"--lang"}).options);
    // The same answer before the window's platform starts, Qt's own options among the rest.
    EXPECT_EQ(findLanguageError({"-platform", "offscreen", "--lang", "de"}, ""), option.error);
    EXPECT_EQ(findLanguageError({}, "EN"), env.error);
    EXPECT_EQ(findLanguageError({"--lang", "zh"}, "EN"), "");
    EXPECT_EQ(findLanguageError({"--demo", "--lang", "en"}, ""), "");
    EXPECT_NE(std::string(appOptionsUsage()).find("--lang en|zh"), std::string::npos);
}
