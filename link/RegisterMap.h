#pragma once
// The devices' registers: code tables, the parameter block and the field encodings.
//
// Register layout: addresses are the zero-based ones in the frames. The parameter block is
// registers 3..21 (kBlockFirst..kBlockLast below), read as one answer in which register r is at
// bytes 2(r-3)+3 (high) and 2(r-3)+4 (low). Signed registers are 16-bit two's complement.
//
// Scaling: a value v of a dot-position register is shown as v * s with s the 32-bit float
// 1, 0.1, 0.01 or 0.001 for dotPos 0..3. Delays are tenths of a second whatever dotPos is.
//
// Texts are UTF-8 here ("℃", "℉"); GBK appears only at file boundaries (link/Gbk.h).

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace reg {

enum Register : std::uint16_t {
    ProductCodeHigh = 1,
    ProductCodeLow = 2,
    Address = 3,
    SignalType = 4,
    SignalUnit = 5,
    RangeStart = 6,
    RangeEnd = 7,
    OutputType = 8,
    DotPos = 9,
    K1Type = 10,
    K1Action = 11,
    K1Release = 12,
    K1Delay = 13,
    K2Type = 14,
    K2Action = 15,
    K2Release = 16,
    K2Delay = 17,
    OutputRange = 18,
    RangeZStart = 19,
    RangeZEnd = 20,
    Density = 21,
    RawReading = 22,
    MeasuredValue = 23,
    SensorCoefficients = 24,   // K: 24-25, B: 26-27
    CurrentCoefficients = 28,  // slope 28-29, offset 30-31
    VoltageCoefficients = 32,  // slope 32-33, offset 34-35
    OutputCommand = 40,        // 1 low point, 2 high point, 0 before a coefficient download
};

// How a register of the parameter block holds what the page shows.
enum class Holds : std::uint8_t {
    Count,      // a code, the address or an integer, as it is
    Truncated,  // a number at the point position, toward zero
    Rounded,    // a number at the point position, half away from zero when s > 1
    Tenths,     // seconds in tenths, whatever the point position is
};

// How one register of the block holds its value: every rule of the codec that differs between
// registers (range, rounding, multiplier) is read from here. The parameter table
// (config/ParameterTable.h) says it of each register, beside what the page makes of it.
struct Holding {
    bool isSigned = false;  // -32768..32767, else 0..65535
    Holds holds = Holds::Count;
};

constexpr std::uint16_t kBlockFirst = 3;
constexpr std::uint16_t kBlockLast = Density;
constexpr std::uint16_t kBlockCount = static_cast<std::uint16_t>(kBlockLast - kBlockFirst + 1);
constexpr std::size_t kBlockAnswerLength = 5 + 2 * kBlockCount;

// A read of the block is one answer of at most 125 registers.
static_assert(kBlockCount > 0 && kBlockCount <= 125, "the block is read in one answer");

struct Code {
    int code;
    const char* text;
};

// Table A..F. Encoding compares the text exactly (case included); no match gives code 0.
extern const std::array<Code, 3> kSignalTypes;   // A
extern const std::array<Code, 11> kSignalUnits;  // B (codes 5 and 6 have no text)
extern const std::array<Code, 6> kOutputTypes;   // C
extern const std::array<Code, 4> kDotPositions;  // D
extern const std::array<Code, 4> kSwitchTypes;   // E
extern const std::array<Code, 4> kOutputRanges;  // F

// The entry of `text` (compared exactly) or of `code`; null when the table has none.
inline const Code* findText(std::span<const Code> table, std::string_view text) {
    for (const auto& c : table)
        if (text == c.text)
            return &c;
    return nullptr;
}
inline const Code* findCode(std::span<const Code> table, int code) {
    for (const auto& c : table)
        if (c.code == code)
            return &c;
    return nullptr;
}

inline int encodeText(std::span<const Code> table, std::string_view text) {
    const Code* c = findText(table, text);
    return c ? c->code : 0;
}

inline std::optional<std::string> decodeCode(std::span<const Code> table, int code) {
    const Code* c = findCode(table, code);
    return c ? std::optional<std::string>(c->text) : std::nullopt;
}

// Output types with an analogue output.
bool hasCurrentOutput(std::string_view outputType);
bool hasVoltageOutput(std::string_view outputType);

// Joining a register from its two bytes.
inline std::uint16_t joinU16(std::uint8_t hi, std::uint8_t lo) {
    return static_cast<std::uint16_t>(hi << 8 | lo);
}
inline std::int16_t asSigned(std::uint16_t v) {
    return static_cast<std::int16_t>(v);
}

// s for the display: 1, 0.1f, 0.01f, 0.001f for dotPos 0..3; nullopt for other codes.
std::optional<float> dotScale(int dotPos);
// The multiplier of a "Point position:" text: 1, 10, 100, 1000; nullopt for other texts.
std::optional<int> dotMultiplier(std::string_view dotText);

// Register 23 (the measured value) as text at a point position text ("0000", "000.0", "00.00",
// "0.000"): "1234", "123.4", "12.34", "1.234"; empty for any other text.
std::string measuredValueText(std::uint16_t raw, std::string_view pointPosition);

// What a register can hold: -32768..32767 for a signed one, else 0..65535.
struct RegisterRange {
    long long min;
    long long max;
};
RegisterRange registerRange(Holding h);
// The multiplier a number field's register uses: 10 for the delays (Holds::Tenths), else s.
int fieldMultiplier(Holding h, int s);
// A number field as its register. x is the 32-bit float the page holds and s its point
// position's multiplier; the product x * s is formed in double precision.
// - Truncated fields (the ranges) and the delays (always s = 10) take x * s toward
//   zero, except that a product within the float's precision of an integer is that integer: the
//   text the page shows for a register, read back as a float, may lie a hair below it (0.7 s is
//   6.99999988 tenths) and must still give that register. Genuine fractions truncate (12.7 at
//   s = 1 gives 12, 6553.5 s gives 65535).
// - Rounded fields (the switch points): as truncated for s = 1; otherwise 0.5 is added away from
//   zero, then toward zero (1.255, held a hair below, gives 125 at s = 100).
// Signed registers take 16-bit two's complement. nullopt when the result does not fit the
// register or x is not finite: nothing is ever wrapped, no undefined conversion ever runs.
std::optional<std::uint16_t> encodeField(Holding h, float x, int s);
// An integer (density) as its register; nullopt when it does not fit.
std::optional<std::uint16_t> encodeInteger(Holding h, long long v);
// Register value, high byte first.
inline std::array<std::uint8_t, 2> registerBytes(std::uint16_t v) {
    return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v & 0xFF)};
}
// Product code: repeated remainder by 256 (sign of the value), least significant first, at most
// four bytes; returned most significant first. For 0..2147483647, the only codes the download
// accepts, this is the plain 32-bit big-endian form.
std::array<std::uint8_t, 4> splitProductCode(std::int32_t v);

// A 32-bit float as two registers: the low 16 bits of its pattern first, each register high byte
// first. Pattern bytes b3 b2 b1 b0 travel as b1 b0 b3 b2.
std::array<std::uint8_t, 4> floatToRegisters(float value);
float registersToFloat(const std::uint8_t* bytes);

// The registers of the parameter block, taken from a read answer of the block.
struct ParameterBlock {
    std::array<std::uint16_t, kBlockCount> regs{};  // index r - 3

    // The registers are read from byte 3 on; one the answer is too short to hold is 0.
    static ParameterBlock fromAnswer(std::span<const std::uint8_t> answer);
    std::uint16_t get(std::uint16_t r) const { return regs.at(r - kBlockFirst); }
    std::int16_t getSigned(std::uint16_t r) const { return asSigned(get(r)); }
    // Registers written back as an answer would carry them (simulator, tests).
    std::vector<std::uint8_t> toAnswer(std::uint8_t address) const;
};

}  // namespace reg
