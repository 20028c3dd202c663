// CRC vectors come from an independent Modbus implementation (pymodbus computeCRC), not from ours.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "link/Bus.h"
#include "link/Gbk.h"
#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"

namespace {

std::vector<std::uint8_t> hex(const std::string& h) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < h.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(h.substr(i, 2), nullptr, 16)));
    return out;
}

TEST(ModbusCrc16, MatchesAnIndependentImplementation) {
    const struct {
        const char* frame;
        std::uint16_t crc;
    } vectors[] = {
        {"010400030013", 0x41C7}, {"7f100001000306000111700005", 0xE7DF},
        {"070400160001", 0xD068}, {"0c10001800040800003f8000000000", 0x5F8E},
        {"3c0600280002", 0x8CEE},
    };
    for (const auto& v : vectors) {
        const auto bytes = hex(v.frame);
        EXPECT_EQ(ModbusCrc16(bytes.data(), bytes.size()), v.crc) << v.frame;
    }
    std::vector<std::uint8_t> ramp;
    for (int i = 0; i < 255; ++i) ramp.push_back(static_cast<std::uint8_t>(i));
    EXPECT_EQ(ModbusCrc16(ramp.data(), ramp.size()), 0xD6AD);
    EXPECT_EQ(ModbusCrc16(nullptr, 0), 0xFFFF);
}

TEST(ModbusCrc16, FrameCarriesTheHighByteOfTheResultFirst) {
    auto frame = buildReadInputRegisters(1, 3, 19);
    appendCrc(frame);
    EXPECT_EQ(frame, hex("01040003001341c7"));
    EXPECT_TRUE(crcMatches(frame.data(), frame.size()));
    frame[3] ^= 1;
    EXPECT_FALSE(crcMatches(frame.data(), frame.size()));
    // A zeroed buffer never passes: the CRC of zeros is not zero.
    std::vector<std::uint8_t> zeros(43, 0);
    EXPECT_FALSE(crcMatches(zeros.data(), zeros.size()));
}

TEST(RegisterCodec, DecodesSignedAndUnsignedWithDotScale) {
    const float s = *reg::dotScale(1);
    EXPECT_FLOAT_EQ(reg::asSigned(0xFF38) * s, -20.0f);
    EXPECT_NEAR(0xFF38 * s, 6533.6f, 0.001f);
    // Delays are tenths of a second whatever the dot position.
    EXPECT_FLOAT_EQ(25 * 0.1f, 2.5f);
    EXPECT_FALSE(reg::dotScale(7).has_value());
    EXPECT_EQ(reg::decodeCode(reg::kSignalUnits, 5), std::nullopt);
    EXPECT_EQ(reg::decodeCode(reg::kSignalUnits, 6), std::nullopt);
    EXPECT_EQ(reg::decodeCode(reg::kSignalUnits, 7), "℃");
    EXPECT_EQ(reg::decodeCode(reg::kOutputRanges, 3), "0--10V");
}

TEST(RegisterCodec, EncodesTextsExactlyWithZeroForUnknown) {
    EXPECT_EQ(reg::encodeText(reg::kSignalUnits, "KPa"), 0);
    EXPECT_EQ(reg::encodeText(reg::kSignalUnits, "kPa"), 0);  // no match: the default, its code
    EXPECT_EQ(reg::encodeText(reg::kSignalUnits, "℉"), 8);
    EXPECT_EQ(reg::encodeText(reg::kSignalTypes, "Level"), 0);  // case matters
    EXPECT_EQ(reg::encodeText(reg::kSignalTypes, "level"), 2);
    EXPECT_EQ(reg::encodeText(reg::kSwitchTypes, "The window close"), 3);
}

// How the block's registers hold their values, named by the registers that hold them so.
constexpr reg::Holding kSwitchPoint{true, reg::Holds::Rounded};   // K1/K2 action and release
constexpr reg::Holding kRangeEnd{false, reg::Holds::Truncated};   // range and zoom end
constexpr reg::Holding kRangeStart{true, reg::Holds::Truncated};  // range and zoom start
constexpr reg::Holding kDelay{false, reg::Holds::Tenths};         // K1/K2 delay
constexpr reg::Holding kDensity{false, reg::Holds::Count};        // codes, address, density

TEST(RegisterCodec, FieldsEncodeByTheirRuleAndRefuseWhatTheirRegisterCannotHold) {
    struct Case {
        reg::Holding holding;
        float x;
        int s;
        std::optional<std::uint16_t> expected;
    };
    const Case cases[] = {
        // Rounded half away from zero with decimals, truncated without.
        {kSwitchPoint, 0.125f, 100, 0x000D},
        {kSwitchPoint, -0.125f, 100, 0xFFF3},
        {kSwitchPoint, 1.255f, 100, 125},  // held just below 1.255
        {kSwitchPoint, 12.7f, 1, 12},
        {kSwitchPoint, -12.7f, 1, static_cast<std::uint16_t>(-12)},
        // Truncated ranges; a product within float precision of an integer is that integer.
        {kRangeEnd, 12.5f, 10, 0x007D},
        {kRangeEnd, 6553.5f, 10, 0xFFFF},
        {kRangeStart, -20.0f, 10, 0xFF38},
        {kRangeStart, -1.15f, 100, static_cast<std::uint16_t>(-115)},
        {kRangeEnd, 1.15f, 100, 115},
        {kDelay, 2.5f, 1000, 25},  // tenths whatever the point position
        {kDelay, 0.7f, 1, 7},      // 0.7 as a float lies just below 0.7
        {kDelay, 0.9f, 1, 9},
        {kDelay, 6553.5f, 1, 65535},
        // Out of the register's range: refused, never wrapped.
        {kRangeEnd, -0.5f, 1, 0},  // truncates to 0: still fits
        {kRangeEnd, -1.0f, 1, std::nullopt},
        {kRangeEnd, 65.536f, 1000, std::nullopt},
        {kRangeStart, 327.68f, 100, std::nullopt},
        {kSwitchPoint, 327.676f, 100, std::nullopt},  // rounds to 32768
        {kSwitchPoint, -327.68f, 100, 0x8000},
        {kSwitchPoint, 1e30f, 100, std::nullopt},
        {kRangeEnd, 3e38f, 100, std::nullopt},
        {kDelay, 6553.6f, 1, std::nullopt},
        {kDelay, std::numeric_limits<float>::infinity(), 1, std::nullopt},
        {kRangeStart, std::numeric_limits<float>::quiet_NaN(), 1, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(reg::encodeField(c.holding, c.x, c.s), c.expected)
            << "signed " << c.holding.isSigned << " holds " << static_cast<int>(c.holding.holds)
            << " x " << c.x << " s " << c.s;
    EXPECT_EQ(reg::encodeInteger(kDensity, 70000), std::nullopt);  // was sent as 4464
    EXPECT_EQ(reg::encodeInteger(kDensity, 65535), 65535);
    EXPECT_EQ(reg::encodeInteger(kDensity, -1), std::nullopt);
}

TEST(RegisterCodec, ProductCodeAndFloatRegisterOrder) {
    EXPECT_EQ(reg::splitProductCode(70000), (std::array<std::uint8_t, 4>{0x00, 0x01, 0x11, 0x70}));
    EXPECT_EQ(reg::splitProductCode(0), (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
    EXPECT_EQ(reg::floatToRegisters(1.0f), (std::array<std::uint8_t, 4>{0x00, 0x00, 0x3F, 0x80}));
    const auto b = reg::floatToRegisters(-3.25e-3f);
    EXPECT_FLOAT_EQ(reg::registersToFloat(b.data()), -3.25e-3f);
}

TEST(RegisterCodec, ParameterBlockRoundTripsThroughAnAnswer) {
    reg::ParameterBlock block;
    for (std::size_t i = 0; i < block.regs.size(); ++i)
        block.regs[i] = static_cast<std::uint16_t>(0x0101 * i + 7);
    const auto answer = block.toAnswer(9);
    ASSERT_EQ(answer.size(), reg::kBlockAnswerLength);
    EXPECT_TRUE(crcMatches(answer.data(), answer.size()));
    const auto back = reg::ParameterBlock::fromAnswer(answer);
    EXPECT_EQ(back.regs, block.regs);
    EXPECT_EQ(back.get(reg::Address), block.regs[0]);
    // A cut answer gives the registers it holds and zeros, never bytes beyond its end.
    const std::vector<std::uint8_t> cut(answer.begin(), answer.begin() + 8);
    const auto part = reg::ParameterBlock::fromAnswer(cut);
    EXPECT_EQ(part.get(reg::Address), block.regs[0]);
    EXPECT_EQ(part.get(reg::SignalType), block.regs[1]);
    EXPECT_EQ(part.get(reg::SignalUnit), 0);
    EXPECT_EQ(reg::ParameterBlock::fromAnswer({}).regs, reg::ParameterBlock{}.regs);
}

// Range, multiplier and rounding follow from how a register holds its value, and nothing else.
TEST(RegisterCodec, EveryHoldingFollowsItsRules) {
    for (const bool isSigned : {false, true}) {
        for (const reg::Holds holds :
             {reg::Holds::Count, reg::Holds::Truncated, reg::Holds::Rounded, reg::Holds::Tenths}) {
            const reg::Holding h{isSigned, holds};
            SCOPED_TRACE(testing::Message() << isSigned << " " << static_cast<int>(holds));
            EXPECT_EQ(reg::registerRange(h).min, isSigned ? -32768 : 0);
            EXPECT_EQ(reg::registerRange(h).max, isSigned ? 32767 : 65535);
            EXPECT_EQ(reg::fieldMultiplier(h, 100), holds == reg::Holds::Tenths ? 10 : 100);
            // 1.236 at s = 100: 124 rounded, 123 truncated; in tenths 12.
            const int expected = holds == reg::Holds::Rounded  ? 124
                                 : holds == reg::Holds::Tenths ? 12
                                                               : 123;
            EXPECT_EQ(reg::encodeField(h, 1.236f, 100), expected);
            EXPECT_EQ(reg::encodeInteger(h, -1).has_value(), isSigned);
        }
    }
    EXPECT_EQ(reg::registerRange(reg::Holding{}).min, 0);
}

TEST(Gbk, TemperatureUnitsAtTheFileBoundary) {
    EXPECT_EQ(*utf8ToGbk("℃"), "\xA1\xE6");
    EXPECT_EQ(*utf8ToGbk("℉"), "\xA8\x48");
    EXPECT_EQ(*gbkToUtf8("signalUnit=\xA1\xE6"), "signalUnit=℃");
    EXPECT_EQ(*utf8ToGbk("液位"), *utf8ToGbk("液位"));
    EXPECT_EQ(gbkToUtf8(*utf8ToGbk("温度")), "温度");
    EXPECT_FALSE(gbkToUtf8("\xA1").has_value());  // truncated double byte
}

TEST(Gbk, Utf8IsToldFromGbk) {
    const std::pair<std::string, bool> cases[] = {
        {"signalUnit=cm", true},     {"液位 温度 ℃", true},
        {"\xCE\xC2\xB6\xC8", false},  // 温度 in GBK
        {"\xA1\xE6", false},          // ℃ in GBK
        {"\xD2\xBA\xCE\xBB", true},   // 液位 in GBK happens to be UTF-8 too
        {"\xC0\xAF", false},          // overlong '/'
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // beyond U+10FFFF
        {"\xE6\xB6", false},          // cut short
    };
    for (const auto& [bytes, utf8] : cases) EXPECT_EQ(isUtf8(bytes), utf8) << bytes;
}

}  // namespace
