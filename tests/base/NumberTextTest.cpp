#include "base/NumberText.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// The C runtime in the "C" locale, for this thread only: the reference our texts must equal.
class CLocaleRuntime {
public:
    CLocaleRuntime() : c_(newlocale(LC_ALL_MASK, "C", nullptr)), old_(uselocale(c_)) {}
    ~CLocaleRuntime() {
        uselocale(old_);
        freelocale(c_);
    }
    std::string printf(const char* format, double v) const {
        char buf[512];
        std::snprintf(buf, sizeof buf, format, v);
        return buf;
    }
    std::string printf(const char* format, int precision, double v) const {
        char buf[512];
        std::snprintf(buf, sizeof buf, format, precision, v);
        return buf;
    }

private:
    locale_t c_;
    locale_t old_;
};

}  // namespace

TEST(NumberText, FormatsExactlyAsTheRuntimeDoesInTheCLocale) {
    std::mt19937 rng(20261209);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::vector<double> values = {0.0,   -0.0,    0.125,         0.5,     1.255,
                                  2.5,   -0.125,  6533.6,        1e-5,    123456789.0,
                                  1e300, -1e-300, 65535 * 0.001, 3.157896};
    for (int i = 0; i < 3000; ++i) {
        // Random float patterns (the program's values are floats), finite ones only.
        std::uint32_t b = bits(rng);
        float f;
        std::memcpy(&f, &b, sizeof f);
        if (std::isfinite(f))
            values.push_back(f);
    }
    for (int raw = 0; raw <= 65535; raw += 7) values.push_back(raw * 0.01);
    std::vector<std::array<std::string, 6>> expected;
    {
        const CLocaleRuntime c;
        for (double v : values)
            expected.push_back({c.printf("%.1f", v), c.printf("%.2f", v), c.printf("%0.3f", v),
                                c.printf("%e", v), c.printf("%.*g", 6, v), c.printf("%.*g", 3, v)});
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double v = values[i];
        ASSERT_EQ(num::formatFixed(v, 1), expected[i][0]) << v;
        ASSERT_EQ(num::formatFixed(v, 2), expected[i][1]) << v;
        ASSERT_EQ(num::formatFixed(v, 3), expected[i][2]) << v;
        ASSERT_EQ(num::formatExponent(v), expected[i][3]) << v;
        ASSERT_EQ(num::formatGeneral(v), expected[i][4]) << v;
        ASSERT_EQ(num::formatGeneral(v, 3), expected[i][5]) << v;
    }
    EXPECT_EQ(num::formatInt(-42), "-42");
    EXPECT_EQ(num::formatInt(65535), "65535");
}

TEST(NumberText, WholeTextNumbersRefuseWhatIsNoPlainNumber) {
    struct Case {
        const char* text;
        std::optional<float> value;
    };
    const Case cases[] = {
        {" 2.5 ", 2.5f},
        {"+1e2", 100.0f},
        {"-0.125", -0.125f},
        {".5", 0.5f},
        {"1.", 1.0f},
        {"\t7\r", 7.0f},
        {"", std::nullopt},
        {"1,5", std::nullopt},
        {"inf", std::nullopt},
        {"-inf", std::nullopt},
        {"nan", std::nullopt},
        {"0x10", std::nullopt},
        {"1e39", std::nullopt},  // beyond a float: would reach a device as garbage
        {"1e999", std::nullopt},
        {"5e", std::nullopt},
        {"+-5", std::nullopt},
        {"-", std::nullopt},
        {"12 3", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(num::parseFloat(c.text), c.value) << '"' << c.text << '"';

    EXPECT_EQ(num::parseInt32("-42"), -42);
    EXPECT_EQ(num::parseInt32(" +7 "), 7);
    EXPECT_FALSE(num::parseInt32("99999999999"));
    EXPECT_FALSE(num::parseInt32("4.0"));
    EXPECT_FALSE(num::parseInt32("+-4"));
    EXPECT_EQ(num::parseInteger("60", 1, 60), 60);
    EXPECT_FALSE(num::parseInteger("61", 1, 60));
    EXPECT_FALSE(num::parseInteger("0", 1, 60));
}

TEST(NumberText, LeadingTextReadsAsTheRuntimeReadsIt) {
    struct Case {
        const char* text;
        float value;
    };
    const Case cases[] = {
        {"12-07 10:30", 12.0f},
        {"123.4", 123.4f},
        {"", 0.0f},
        {"  -2.5abc", -2.5f},
        {".5", 0.5f},
        {"1e3", 1000.0f},
        {"1e", 1.0f},
        {"abc", 0.0f},
        {"--5", 0.0f},
        // Texts that are no decimal number must not turn into NaN or infinity on the curve.
        {"nan", 0.0f},
        {"inf", 0.0f},
        {"-infinity", 0.0f},
        {"1e999", 3.40282347e38f},
        {"-1e999", -3.40282347e38f},
        {"1e39", 3.40282347e38f},
        {"1e-999", 0.0f},  // tiny is 0, not huge
        {"0.000001e-999", 0.0f},
        {"100000e-10000", 0.0f},
    };
    for (const Case& c : cases)
        EXPECT_EQ(num::leadingFloat(c.text), c.value) << '"' << c.text << '"';

    EXPECT_EQ(num::leadingInteger(""), std::nullopt);
    EXPECT_EQ(num::leadingInteger("10 minutes"), 10);
    EXPECT_EQ(num::leadingInteger(" -3"), -3);
    EXPECT_EQ(num::leadingInteger("abc"), 0);
    EXPECT_EQ(num::leadingInteger("99999999999"), 2147483647);
}

// The fault this module exists for: under a decimal-comma locale the C runtime writes "124,1"
// and stops reading "0.2" at the point.
TEST(NumberText, IsIndependentOfADecimalCommaLocale) {
    locale_t de = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
    if (!de)
        GTEST_SKIP() << "de_DE.UTF-8 is not generated on this machine (scripts/bootstrap does it)";
    const locale_t old = uselocale(de);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", 124.1);
    const std::string runtime = buf;
    const double strtodRead = std::strtod("0.2", nullptr);
    const std::string ours = num::formatFixed(124.1, 1);
    const auto parsed = num::parseFloat("0.2");
    const float leading = num::leadingFloat("124.1");
    uselocale(old);
    freelocale(de);
    EXPECT_EQ(runtime, "124,1");  // the locale really was in effect
    EXPECT_EQ(strtodRead, 0.0);
    EXPECT_EQ(ours, "124.1");
    EXPECT_EQ(parsed, 0.2f);
    EXPECT_EQ(leading, 124.1f);
}
