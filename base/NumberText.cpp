#include "base/NumberText.h"

#include <charconv>
#include <climits>
#include <cmath>
#include <limits>
#include <system_error>

namespace num {
namespace {

// The C locale's blanks, whatever the process locale says.
bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view t) {
    while (!t.empty() && isBlank(t.front())) t.remove_prefix(1);
    while (!t.empty() && isBlank(t.back())) t.remove_suffix(1);
    return t;
}

// Decimal text must start with a digit, or a point and a digit (after an optional sign), so
// from_chars never gets to read "inf", "nan" or "infinity".
bool startsDecimal(std::string_view t) {
    if (!t.empty() && (t.front() == '-' || t.front() == '+'))
        t.remove_prefix(1);
    return (!t.empty() && isDigit(t[0])) || (t.size() >= 2 && t[0] == '.' && isDigit(t[1]));
}

template <typename... Args>
std::string toChars(Args... args) {
    char buf[512];  // the largest double in fixed notation with many decimals still fits
    const auto r = std::to_chars(buf, buf + sizeof buf, args...);
    if (r.ec != std::errc())
        return {};
    return std::string(buf, r.ptr);
}

// For a decimal text whose value lies beyond the double range: true when it is too large
// (rather than too small), from its first significant digit's place and its exponent.
bool beyondLarge(std::string_view t) {
    std::size_t i = 0;
    long long order = 0;
    bool seenNonZero = false;
    long long intDigits = 0;
    for (; i < t.size() && isDigit(t[i]); ++i) {
        if (t[i] != '0')
            seenNonZero = true;
        if (seenNonZero)
            ++intDigits;
    }
    if (seenNonZero) {
        order = intDigits - 1;
    } else if (i < t.size() && t[i] == '.') {
        ++i;
        long long zeros = 0;
        for (; i < t.size() && t[i] == '0'; ++i) ++zeros;
        order = -zeros - 1;
    }
    while (i < t.size() && (isDigit(t[i]) || t[i] == '.')) ++i;
    long long exponent = 0;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < t.size() && (t[j] == '+' || t[j] == '-'))
            negative = t[j++] == '-';
        for (; j < t.size() && isDigit(t[j]); ++j)
            exponent = std::min(exponent * 10 + (t[j] - '0'), 100000LL);
        if (negative)
            exponent = -exponent;
    }
    return order + exponent > 0;
}

}  // namespace

std::string formatInt(long long v) {
    return toChars(v);
}

std::string formatFixed(double v, int decimals) {
    return toChars(v, std::chars_format::fixed, decimals);
}

std::string formatExponent(double v) {
    return toChars(v, std::chars_format::scientific, 6);
}

std::string formatGeneral(double v, int precision) {
    return toChars(v, std::chars_format::general, precision);
}

std::string formatShortest(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::string formatShortest(float v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

std::optional<double> parseDouble(std::string_view text) {
    std::string_view t = trimmed(text);
    if (!startsDecimal(t))
        return std::nullopt;
    if (t.front() == '+')
        t.remove_prefix(1);
    double d = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), d);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<float> parseFloat(std::string_view text) {
    const auto d = parseDouble(text);
    if (!d || std::fabs(*d) > std::numeric_limits<float>::max())
        return std::nullopt;
    return static_cast<float>(*d);
}

std::optional<long long> parseInteger(std::string_view text, long long min, long long max) {
    std::string_view t = trimmed(text);
    const bool plus = !t.empty() && t.front() == '+';
    if (plus)
        t.remove_prefix(1);
    const bool minus = !plus && t.size() > 1 && t.front() == '-';
    if (t.empty() || !isDigit(t[minus ? 1 : 0]))
        return std::nullopt;
    long long v = 0;
    const auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (r.ec != std::errc() || r.ptr != t.data() + t.size() || v < min || v > max)
        return std::nullopt;
    return v;
}

std::optional<std::int32_t> parseInt32(std::string_view text) {
    const auto v = parseInteger(text, INT32_MIN, INT32_MAX);
    if (!v)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

float leadingFloat(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::string_view t = s.substr(i);
    if (t.empty() || t.front() == '-' || t.front() == '+' || !startsDecimal(t))
        return 0.0f;
    const char* first = t.data();
    const char* last = t.data() + t.size();
    float value = 0.0f;
    const auto r = std::from_chars(first, last, value, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        double d = 0;
        const auto rd = std::from_chars(first, last, d, std::chars_format::general);
        constexpr float kMax = std::numeric_limits<float>::max();
        if (rd.ec == std::errc())
            value = std::fabs(d) > kMax ? kMax : static_cast<float>(d);
        else
            value = beyondLarge(t) ? kMax : 0.0f;
    } else if (r.ec != std::errc()) {
        value = 0.0f;
    }
    return negative ? -value : value;
}

std::optional<long long> leadingInteger(std::string_view s) {
    if (s.empty())
        return std::nullopt;
    std::size_t i = 0;
    while (i < s.size() && isBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > INT_MAX)
            v = INT_MAX;
    }
    return negative ? -v : v;
}

}  // namespace num
