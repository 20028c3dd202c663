// The search for an answer among the bytes on the line: what it accepts, what it passes over,
// and that it stays linear in the bytes however they are cut into chunks.
#include <gtest/gtest.h>

#include "link/AnswerMatcher.h"
#include "link/ModbusCrc16.h"

namespace {

std::vector<std::uint8_t> framed(std::vector<std::uint8_t> bytes) {
    appendCrc(bytes);
    return bytes;
}

std::vector<std::uint8_t> registerAnswer(std::uint8_t address, std::uint16_t value) {
    return framed({address, 0x04, 0x02, static_cast<std::uint8_t>(value >> 8),
                   static_cast<std::uint8_t>(value & 0xFF)});
}

struct Fed {
    bool found;
    bool refused;
    std::size_t start;
};

// Feeds `line` in chunks of `chunk` bytes (0: all at once) until the matcher is done.
Fed feed(AnswerMatcher& m, const std::vector<std::uint8_t>& line, std::size_t chunk) {
    std::vector<std::uint8_t> rx;
    std::size_t at = 0;
    bool done = false;
    while (!done && at < line.size()) {
        const std::size_t n = chunk == 0 ? line.size() : std::min(chunk, line.size() - at);
        rx.insert(rx.end(), line.begin() + static_cast<long>(at),
                  line.begin() + static_cast<long>(at + n));
        at += n;
        done = m.feed(rx);
    }
    return {m.found(), m.refused(), m.start()};
}

TEST(AnswerMatcher, FindsItsOwnAnswerBehindForeignFramesAndGarbageWhateverTheChunks) {
    struct Case {
        const char* name;
        std::vector<std::uint8_t> line;
        bool found;
        bool refused;
        std::size_t start;
    };
    const auto own = registerAnswer(7, 1234);
    const auto other = registerAnswer(12, 1234);  // a late answer of another device
    auto badCrc = own;
    badCrc.back() ^= 0x5A;
    auto join = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
        std::vector<std::uint8_t> out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    };
    const std::vector<Case> cases{
        {"alone", own, true, false, 0},
        {"after another device", join({other, own}), true, false, 7},
        {"after garbage holding the address", join({{0x07, 0x04, 0x07, 0xFF}, own}), true, false,
         4},
        {"after a corrupted copy", join({badCrc, own}), true, false, 7},
        {"corrupted only", badCrc, false, false, 0},
        {"half of it", {own.begin(), own.begin() + 4}, false, false, 0},
        {"refusal", framed({0x07, 0x84, 0x02}), true, true, 0},
        {"refusal of another function", framed({0x07, 0x83, 0x02}), false, false, 0},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {0, 1, 3}) {
            AnswerMatcher m(7, 0x04, 7);
            const Fed f = feed(m, c.line, chunk);
            EXPECT_EQ(f.found, c.found) << c.name << " chunk " << chunk;
            EXPECT_EQ(f.refused, c.refused) << c.name << " chunk " << chunk;
            if (c.found) {
                EXPECT_EQ(f.start, c.start) << c.name << " chunk " << chunk;
            }
        }
    }
    // An unfinished candidate does not hide a refusal that completes after it.
    AnswerMatcher block(7, 0x04, 43);
    const Fed f = feed(block, join({{0x07, 0x04}, framed({0x07, 0x84, 0x04})}), 1);
    EXPECT_TRUE(f.refused);
    EXPECT_EQ(f.start, 2u);
}

TEST(AnswerMatcher, PartialAnswerStartsAtTheFirstPlaceWithAddressAndFunction) {
    AnswerMatcher m(2, 0x04, 43);
    const std::vector<std::uint8_t> rx{0x00, 0x02, 0x04, 0x26, 0x00, 0x02};
    EXPECT_FALSE(m.feed(rx));
    ASSERT_TRUE(m.firstCandidate().has_value());
    EXPECT_EQ(*m.firstCandidate(), 1u);
}

// A device streaming bytes made the search rescan the whole buffer for every chunk.
TEST(AnswerMatcher, StreamFedByteByByteCostsOneCrcPerCandidate) {
    const std::uint8_t cycle[] = {0x07, 0x04, 0xA5, 0x5A, 0xFF, 0x00, 0x13};
    std::vector<std::uint8_t> rx;
    AnswerMatcher m(7, 0x04, 43);
    const std::size_t total = 70'000;
    for (std::size_t i = 0; i < total; ++i) {
        rx.push_back(cycle[i % sizeof cycle]);
        ASSERT_FALSE(m.feed(rx)) << "a stream of garbage passed for an answer at byte " << i;
    }
    const std::size_t candidates = total / sizeof cycle;
    EXPECT_LE(m.crcChecks(), candidates);
    EXPECT_GE(m.crcChecks(), candidates - 43 / sizeof cycle - 1);  // all but the unfinished
}

}  // namespace
