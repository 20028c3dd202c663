#include "link/LineFaults.h"

#include "base/NumberText.h"
#include "base/Texts.h"

const char* exceptionName(std::uint8_t code) {
    switch (code) {
        case 1:
            return KORV_TR_NOOP("Core", "illegal function");
        case 2:
            return KORV_TR_NOOP("Core", "illegal data address");
        case 3:
            return KORV_TR_NOOP("Core", "illegal data value");
        case 4:
            return KORV_TR_NOOP("Core", "server device failure");
        case 5:
            return KORV_TR_NOOP("Core", "acknowledge, busy");
        case 6:
            return KORV_TR_NOOP("Core", "server device busy");
        case 8:
            return KORV_TR_NOOP("Core", "memory parity error");
        case 10:
            return KORV_TR_NOOP("Core", "gateway path unavailable");
        case 11:
            return KORV_TR_NOOP("Core", "gateway target failed to respond");
        default:
            return KORV_TR_NOOP("Core", "unknown exception");
    }
}

Message refusalText(int address, std::uint8_t code) {
    return compose(texts::kDeviceRefused,
                   {Message::verbatim(num::formatInt(address)),
                    Message::verbatim(num::formatInt(code)), exceptionName(code)});
}

bool LineFaults::note(int address, const ExchangeResult& r) {
    switch (r.outcome()) {
        case ExchangeResult::Outcome::Refused:
            refusals.push_back({address, r.exceptionCode});
            return false;
        case ExchangeResult::Outcome::BadCrc:
            ++crcFailures;
            return true;
        // An answer short of the registers asked is as good as one cut short.
        case ExchangeResult::Outcome::Cut:
        case ExchangeResult::Outcome::ShortCount:
            ++cut;
            return true;
        case ExchangeResult::Outcome::Answered:
        case ExchangeResult::Outcome::Silent:
        case ExchangeResult::Outcome::LineFailed:
            return false;
    }
    return false;
}

Message LineFaults::summary() const {
    const auto number = [](int n) { return Message::verbatim(num::formatInt(n)); };
    std::vector<Message> parts;
    if (crcFailures > 0)
        parts.push_back(compose(crcFailures == 1 ? texts::kOneCrcFailure : texts::kCrcFailures,
                                {number(crcFailures)}));
    if (cut > 0)
        parts.push_back(
            compose(cut == 1 ? texts::kOneCutAnswer : texts::kCutAnswers, {number(cut)}));
    for (const Refusal& r : refusals)
        parts.push_back(compose(texts::kDeviceRefusedShort, {number(r.address)}));
    return Message::joined(std::move(parts), "; ");
}
