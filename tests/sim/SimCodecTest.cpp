// The simulator's codec against the master's: known frames first, so an agreeing pair of faults
// is caught too, then both over many random frames and bit patterns.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "link/ModbusCrc16.h"
#include "link/RegisterMap.h"
#include "sim/SimCodec.h"
#include "sim/SimDevice.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes withMasterCrc(Bytes frame) {
    appendCrc(frame);
    return frame;
}

Bytes withSimCrc(Bytes frame) {
    simcodec::appendCrc(frame);
    return frame;
}

// The master's packing of a float, read as the two registers it fills.
std::array<std::uint16_t, 2> masterRegisters(float value) {
    const auto b = reg::floatToRegisters(value);
    return {static_cast<std::uint16_t>(b[0] << 8 | b[1]),
            static_cast<std::uint16_t>(b[2] << 8 | b[3])};
}

float masterFloat(std::uint16_t first, std::uint16_t second) {
    const std::uint8_t b[4] = {
        static_cast<std::uint8_t>(first >> 8), static_cast<std::uint8_t>(first),
        static_cast<std::uint8_t>(second >> 8), static_cast<std::uint8_t>(second)};
    return reg::registersToFloat(b);
}

TEST(SimCodec, CrcOfKnownFramesInWireOrder) {
    struct Case {
        Bytes frame;
        Bytes crcOnWire;
    };
    const Case cases[] = {
        {{0x01, 0x04, 0x00, 0x00, 0x00, 0x01}, {0x31, 0xCA}},
        {{0x01, 0x04, 0x00, 0x03, 0x00, 0x13}, {0x41, 0xC7}},
        {{0x01, 0x03, 0x00, 0x00, 0x00, 0x0A}, {0xC5, 0xCD}},
        {{0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}, {0x76, 0x87}},
        {{}, {0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        Bytes expected = c.frame;
        expected.insert(expected.end(), c.crcOnWire.begin(), c.crcOnWire.end());
        EXPECT_EQ(withSimCrc(c.frame), expected) << "simulator, frame of " << c.frame.size();
        EXPECT_EQ(withMasterCrc(c.frame), expected) << "master, frame of " << c.frame.size();
        EXPECT_EQ(simcodec::crcMatches(expected.data(), expected.size()), !c.frame.empty());
    }
    EXPECT_EQ(simcodec::crc16(nullptr, 0), 0xFFFF);
}

TEST(SimCodec, CrcAgreesWithTheMasterOverRandomFrames) {
    std::mt19937 random(20261210);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int i = 0; i < 3000; ++i) {
        Bytes frame(static_cast<std::size_t>(length(random)));
        for (auto& b : frame) b = static_cast<std::uint8_t>(byte(random));
        const Bytes sim = withSimCrc(frame);
        ASSERT_EQ(sim, withMasterCrc(frame)) << "frame " << i;
        ASSERT_TRUE(simcodec::crcMatches(sim.data(), sim.size()) || sim.size() < 3);
        // One flipped bit anywhere: both ends refuse it alike (a CRC-16 catches every single one).
        Bytes hurt = sim;
        const std::size_t at = static_cast<std::size_t>(byte(random)) % hurt.size();
        hurt[at] ^= static_cast<std::uint8_t>(1 << (byte(random) % 8));
        ASSERT_EQ(simcodec::crcMatches(hurt.data(), hurt.size()),
                  crcMatches(hurt.data(), hurt.size()))
            << "frame " << i;
        ASSERT_FALSE(simcodec::crcMatches(hurt.data(), hurt.size())) << "frame " << i;
    }
}

TEST(SimCodec, FloatsOfKnownPatternsAndAgreementWithTheMaster) {
    struct Case {
        float value;
        std::uint16_t first;  // low half of the pattern
        std::uint16_t second;
    };
    const Case cases[] = {
        {1.0f, 0x0000, 0x3F80},
        {-2.5f, 0x0000, 0xC020},
        {0.0f, 0x0000, 0x0000},
        {-0.0f, 0x0000, 0x8000},
        {0.1f, 0xCCCD, 0x3DCC},
        {-1234.5678f, 0x522B, 0xC49A},
        {std::numeric_limits<float>::infinity(), 0x0000, 0x7F80},
        {std::numeric_limits<float>::denorm_min(), 0x0001, 0x0000},
    };
    for (const Case& c : cases) {
        const std::array<std::uint16_t, 2> expected{c.first, c.second};
        EXPECT_EQ(simcodec::registersFromFloat(c.value), expected) << c.value;
        EXPECT_EQ(masterRegisters(c.value), expected) << c.value;
        EXPECT_EQ(std::bit_cast<std::uint32_t>(simcodec::floatFromRegisters(c.first, c.second)),
                  std::bit_cast<std::uint32_t>(c.value));
    }
    // Every bit pattern, NaNs with their payloads and sign included, crosses unchanged both ways.
    std::mt19937 random(7);
    std::uniform_int_distribution<std::uint32_t> bits;
    std::vector<std::uint32_t> patterns{0x7FC00000, 0xFFC00000, 0x7F800001, 0x7FC0BEEF, 0xFFFFFFFF};
    for (int i = 0; i < 5000; ++i) patterns.push_back(bits(random));
    for (const std::uint32_t p : patterns) {
        const float value = std::bit_cast<float>(p);
        const auto regs = masterRegisters(value);
        ASSERT_EQ(simcodec::registersFromFloat(value), regs) << std::hex << p;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(simcodec::floatFromRegisters(regs[0], regs[1])), p)
            << std::hex << p;
        ASSERT_EQ(std::bit_cast<std::uint32_t>(masterFloat(regs[0], regs[1])), p) << std::hex << p;
    }
}

// The device takes what the master writes: K and B in registers 24-27, a NaN left as it came and
// answered with a measured value of 0.
TEST(SimCodec, DeviceReadsTheCoefficientsTheMasterWrites) {
    const auto write = [](SimDevice& d, float k, float b) {
        Bytes q{0x05, 0x10, 0x00, 24, 0x00, 0x04, 0x08};
        for (const float v : {k, b})
            for (const std::uint8_t x : reg::floatToRegisters(v)) q.push_back(x);
        appendCrc(q);
        ASSERT_TRUE(d.handle(q, false).has_value());
    };
    SimDevice d(5);
    write(d, -0.125f, 42.5f);
    EXPECT_TRUE(d.calibrated());
    EXPECT_EQ(d.coefficientK(), -0.125f);
    EXPECT_EQ(d.coefficientB(), 42.5f);
    write(d, 0.0f, 7.0f);
    EXPECT_EQ(d.measuredValue(0.5, 0.0), 7);
    write(d, std::numeric_limits<float>::quiet_NaN(), 7.0f);
    EXPECT_TRUE(std::isnan(d.coefficientK()));
    EXPECT_EQ(d.measuredValue(0.5, 0.0), 0);
}

}  // namespace
