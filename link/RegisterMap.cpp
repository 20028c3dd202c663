#include "link/RegisterMap.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "base/NumberText.h"
#include "link/ModbusCrc16.h"
#include "link/ParameterCodes.h"

namespace reg {

const std::array<Code, 3> kSignalTypes{{{0, "Pressure"}, {1, "Temperature"}, {2, "level"}}};
const std::array<Code, 11> kSignalUnits{{{0, "KPa"},
                                         {1, "MPa"},
                                         {2, "kgf/cm2"},
                                         {3, "bar"},
                                         {4, "psi"},
                                         {7, "℃"},
                                         {8, "℉"},
                                         {9, "m"},
                                         {10, "cm"},
                                         {11, "inch"},
                                         {12, "mm"}}};
const std::array<Code, 6> kOutputTypes{
    {{0, "K1"}, {1, "K1+K2"}, {2, "K1+1A"}, {3, "K1+1V"}, {4, "2K+1A"}, {5, "2K+1V"}}};
const std::array<Code, 4> kDotPositions{{{0, "0000"}, {1, "000.0"}, {2, "00.00"}, {3, "0.000"}}};
const std::array<Code, 4> kSwitchTypes{{{0, "Hysteresis normally open"},
                                        {1, "Hysteresis normally close"},
                                        {2, "The window open"},
                                        {3, "The window close"}}};
const std::array<Code, 4> kOutputRanges{
    {{0, "0--20mA"}, {1, "4--20mA"}, {2, "0--5V"}, {3, "0--10V"}}};

bool hasCurrentOutput(std::string_view t) {
    const auto type = outputTypeOf(t);
    return type && outputParts(*type).current;
}
bool hasVoltageOutput(std::string_view t) {
    const auto type = outputTypeOf(t);
    return type && outputParts(*type).voltage;
}

std::optional<float> dotScale(int dotPos) {
    switch (dotPos) {
        case 0:
            return 1.0f;
        case 1:
            return 0.1f;
        case 2:
            return 0.01f;
        case 3:
            return 0.001f;
        default:
            return std::nullopt;
    }
}

std::optional<int> dotMultiplier(std::string_view t) {
    if (t == "0000")
        return 1;
    if (t == "000.0")
        return 10;
    if (t == "00.00")
        return 100;
    if (t == "0.000")
        return 1000;
    return std::nullopt;
}

namespace {

// Beyond any register; below it the conversion to an integer is defined.
constexpr double kIntegerLimit = 2147483648.0;

std::optional<long long> towardZero(double p) {
    if (!std::isfinite(p) || std::fabs(p) >= kIntegerLimit)
        return std::nullopt;
    return static_cast<long long>(p);
}

std::optional<long long> encodeTruncated(float x, int s) {
    const double p = static_cast<double>(x) * s;
    const double nearest = std::round(p);
    // A decimal text read into a float is off by at most half a unit in its last place.
    const float ax = std::fabs(x);
    const double precision =
        static_cast<double>(std::nextafter(ax, std::numeric_limits<float>::infinity()) - ax) * s;
    return towardZero(std::fabs(p - nearest) <= precision ? nearest : p);
}

std::optional<long long> encodeRounded(float x, int s) {
    if (s == 1)
        return encodeTruncated(x, s);
    return towardZero(static_cast<double>(x) * s + (x >= 0 ? 0.5 : -0.5));
}

}  // namespace

RegisterRange registerRange(Holding h) {
    if (h.isSigned)
        return {-32768, 32767};
    return {0, 65535};
}

int fieldMultiplier(Holding h, int s) {
    return h.holds == Holds::Tenths ? 10 : s;
}

std::optional<std::uint16_t> encodeField(Holding h, float x, int s) {
    const int m = fieldMultiplier(h, s);
    const std::optional<long long> v =
        h.holds == Holds::Rounded ? encodeRounded(x, m) : encodeTruncated(x, m);
    if (!v)
        return std::nullopt;
    return encodeInteger(h, *v);
}

std::optional<std::uint16_t> encodeInteger(Holding h, long long v) {
    const RegisterRange range = registerRange(h);
    if (v < range.min || v > range.max)
        return std::nullopt;
    return static_cast<std::uint16_t>(v);  // two's complement for the signed registers
}

std::array<std::uint8_t, 4> splitProductCode(std::int32_t v) {
    std::array<std::uint8_t, 4> lsbFirst{};
    long long rest = v;
    for (std::size_t i = 0; i < 4 && rest != 0; ++i) {
        lsbFirst[i] = static_cast<std::uint8_t>(rest % 256);
        rest /= 256;
    }
    return {lsbFirst[3], lsbFirst[2], lsbFirst[1], lsbFirst[0]};
}

std::array<std::uint8_t, 4> floatToRegisters(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return {static_cast<std::uint8_t>(bits >> 8), static_cast<std::uint8_t>(bits),
            static_cast<std::uint8_t>(bits >> 24), static_cast<std::uint8_t>(bits >> 16)};
}

float registersToFloat(const std::uint8_t* b) {
    const std::uint32_t bits = std::uint32_t{b[2]} << 24 | std::uint32_t{b[3]} << 16 |
                               std::uint32_t{b[0]} << 8 | std::uint32_t{b[1]};
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

ParameterBlock ParameterBlock::fromAnswer(std::span<const std::uint8_t> answer) {
    ParameterBlock b;
    for (std::size_t i = 0; i < kBlockCount && 4 + 2 * i < answer.size(); ++i)
        b.regs[i] = joinU16(answer[3 + 2 * i], answer[4 + 2 * i]);
    return b;
}

std::vector<std::uint8_t> ParameterBlock::toAnswer(std::uint8_t address) const {
    std::vector<std::uint8_t> a{address, 0x04, static_cast<std::uint8_t>(2 * kBlockCount)};
    for (auto v : regs) {
        a.push_back(static_cast<std::uint8_t>(v >> 8));
        a.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }
    appendCrc(a);
    return a;
}

std::string measuredValueText(std::uint16_t raw, std::string_view pointPosition) {
    if (pointPosition == "0000")
        return num::formatInt(raw);
    if (pointPosition == "000.0")
        return num::formatFixed(raw * 0.1, 1);
    if (pointPosition == "00.00")
        return num::formatFixed(raw * 0.01, 2);
    if (pointPosition == "0.000")
        return num::formatFixed(raw * 0.001, 3);
    return {};
}

}  // namespace reg
