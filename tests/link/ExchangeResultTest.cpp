// What an exchange's result says of the frame it holds: one outcome, and registers only where a
// whole, checked read answer declares them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/Bus.h"
#include "link/LineFaults.h"
#include "link/ModbusCrc16.h"

namespace {

using Outcome = ExchangeResult::Outcome;

std::vector<std::uint8_t> withCrc(std::vector<std::uint8_t> frame) {
    appendCrc(frame);
    return frame;
}

// The result the bus gives for `arrived` when it expected `length` bytes: zeros for what did not
// come.
ExchangeResult result(const std::vector<std::uint8_t>& arrived, std::size_t length) {
    ExchangeResult r;
    r.status = Status();
    r.sent = true;
    r.answer.assign(length, 0);
    std::copy_n(arrived.begin(), std::min(length, arrived.size()), r.answer.begin());
    r.received = std::min(length, arrived.size());
    return r;
}

TEST(ExchangeResult, OneOutcomeAndABoundedRegisterViewForEveryKindOfFrame) {
    // Two registers of address 7 asked: 9 bytes expected.
    const auto whole = withCrc({7, 0x04, 4, 0x12, 0x34, 0x56, 0x78});
    auto badCrc = whole;
    badCrc.back() ^= 0xFF;
    // Its byte count declares one register: what follows it is not data, though the CRC checks.
    const auto shortCount = withCrc({7, 0x04, 2, 0x12, 0x34, 0x00, 0x00});
    const auto noneDeclared = withCrc({7, 0x04, 0, 0x12, 0x34, 0x56, 0x78});
    // More declared than the frame holds: only what lies before the CRC counts.
    const auto overCount = withCrc({7, 0x04, 8, 0x12, 0x34, 0x56, 0x78});
    const auto writeAnswer = withCrc({7, 0x10, 0x00, 0x18, 0x00, 0x04});

    ExchangeResult refused = result({}, 9);
    refused.refused = true;
    refused.exceptionCode = 2;
    ExchangeResult lineFailed = result({}, 9);
    lineFailed.status =
        Status(Status::Code::LineFailed, "Error Code5read serial operation failed!");
    ExchangeResult failedAfterAnswer = result(whole, 9);
    failedAfterAnswer.status = Status::closed();

    const struct {
        const char* name;
        ExchangeResult r;
        Outcome outcome;
        std::vector<std::uint16_t> registers;
        bool worthAskingAgain;  // LineFaults counts it as a damaged answer
    } cases[] = {
        {"whole answer", result(whole, 9), Outcome::Answered, {0x1234, 0x5678}, false},
        {"exception", refused, Outcome::Refused, {}, false},
        {"silent", result({}, 9), Outcome::Silent, {}, false},
        {"cut short", result({whole.begin(), whole.begin() + 5}, 9), Outcome::Cut, {}, true},
        {"bad CRC", result(badCrc, 9), Outcome::BadCrc, {}, true},
        {"line failed", lineFailed, Outcome::LineFailed, {}, false},
        {"line failed after the answer", failedAfterAnswer, Outcome::LineFailed, {}, false},
        {"short byte count", result(shortCount, 9), Outcome::ShortCount, {}, true},
        {"no register declared", result(noneDeclared, 9), Outcome::ShortCount, {}, true},
        {"byte count beyond the frame",
         result(overCount, 9),
         Outcome::Answered,
         {0x1234, 0x5678},
         false},
        {"write answer", result(writeAnswer, 8), Outcome::Answered, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.r.outcome(), c.outcome);
        EXPECT_EQ(c.r.answered(), c.outcome == Outcome::Answered);
        EXPECT_EQ(c.r.lineFailed(), c.outcome == Outcome::LineFailed);
        const RegisterView view = c.r.registers();
        std::vector<std::uint16_t> seen;
        for (std::size_t i = 0; i < view.count(); ++i) seen.push_back(view.at(i));
        EXPECT_EQ(seen, c.registers);
        // Beyond the view there is nothing: not the CRC, not the zeros of a missing tail.
        EXPECT_EQ(view.at(view.count()), 0);
        EXPECT_EQ(c.r.reg(view.count()), 0);
        for (std::size_t i = 0; i < view.count(); ++i) EXPECT_EQ(c.r.reg(i), view.at(i));
        LineFaults faults;
        EXPECT_EQ(faults.note(7, c.r), c.worthAskingAgain);
        EXPECT_EQ(faults.refusals.size(), c.outcome == Outcome::Refused ? 1u : 0u);
    }
}

}  // namespace
