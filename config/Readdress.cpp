#include "config/Readdress.h"

#include "base/NumberText.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"
#include "config/Download.h"
#include "link/RegisterMap.h"

namespace config {

namespace {

std::string addressList(const std::vector<int>& addresses) {
    std::string out;
    for (int a : addresses) out += (out.empty() ? "" : ", ") + num::formatInt(a);
    return out;
}

}  // namespace

std::vector<int> answeringDevices(AppContext& ctx, bool& failed, const std::atomic<int>* cancel,
                                  Progress* progress) {
    failed = false;
    const int own = ctx.bus.responseTimeoutMs();
    const int timeout = own == SerialSettings::kClassicResponseTimeout ? kQuickScanTimeoutMs : own;
    std::vector<int> out;
    const int count = AppContext::kAddressCount;
    const Clock::SteadyPoint start = ctx.clock->steadyNow();
    for (int a = 1; a <= count; ++a) {
        if (cancel && cancel->load())
            break;
        if (progress)
            progress->set({progress_text::kWhoAnswers,
                           {num::formatInt(a), num::formatInt(count),
                            num::formatInt(static_cast<long long>(out.size()))}},
                          a - 1, count,
                          estimateSecondsLeft(ctx.clock->steadyNow() - start, a - 1, count));
        const ExchangeResult r = ctx.bus.readInputRegisters(
            static_cast<std::uint8_t>(a), reg::Address, 1, Timing::kNoWaitMs, timeout);
        if (r.lineFailed()) {
            failed = true;
            break;
        }
        if (r.answered())
            out.push_back(a);
    }
    return out;
}

Message severalAnswerQuestion(const std::vector<int>& answering, int address) {
    return compose(texts::kSeveralAnswerAsk, {Message::verbatim(addressList(answering)),
                                              Message::verbatim(num::formatInt(address))});
}

Message severalAnswerRefusal(const std::vector<int>& answering) {
    return compose(texts::kSeveralAnswerRefused, {Message::verbatim(addressList(answering))});
}

ConfigurationCheck configureAndConfirm(AppContext& ctx, const std::vector<std::uint8_t>& frame,
                                       int address, long long productCode, Progress* progress) {
    ConfigurationCheck c;
    c.address = address;
    c.productCode = productCode;
    if (progress)
        progress->set(
            {progress_text::kConfigure, {num::formatInt(address), num::formatInt(productCode)}}, 0,
            3);
    if (!sendConfiguration(ctx, frame)) {
        c.status = ConfigurationCheck::Status::PortFailed;
        return c;
    }
    c.written = true;
    waitForStore(ctx, progress, 1, 3);
    if (progress)
        progress->set({progress_text::kConfirm, {num::formatInt(address)}}, 2, 3);
    const ExchangeResult r = ctx.bus.readInputRegisters(
        static_cast<std::uint8_t>(address), reg::ProductCodeHigh, 3, Timing::kSearchWaitMs);
    if (r.lineFailed()) {
        c.status = ConfigurationCheck::Status::PortFailed;
        return c;
    }
    if (!r.answered()) {
        c.status = ConfigurationCheck::Status::NoAnswer;
        return c;
    }
    c.heldProductCode = static_cast<long long>(r.reg(0)) << 16 | r.reg(1);
    c.heldAddress = r.reg(2);
    c.status = c.heldAddress == address && c.heldProductCode == productCode
                   ? ConfigurationCheck::Status::Confirmed
                   : ConfigurationCheck::Status::Differs;
    return c;
}

Message configurationText(const ConfigurationCheck& c) {
    const auto number = [](long long n) { return Message::verbatim(num::formatInt(n)); };
    const Message at = number(c.address);
    switch (c.status) {
        case ConfigurationCheck::Status::Confirmed:
            return compose(texts::kConfigConfirmed, {at, number(c.productCode)});
        case ConfigurationCheck::Status::NoAnswer:
            return compose(texts::kConfigNoAnswer, {at});
        case ConfigurationCheck::Status::Differs:
            if (c.heldAddress != c.address)
                return compose(texts::kConfigHeldAddress, {at, number(c.heldAddress)});
            return compose(texts::kConfigHeldCode,
                           {at, number(c.heldProductCode), number(c.productCode)});
        case ConfigurationCheck::Status::PortFailed:
            // Every device that heard the broadcast now answers at the new address.
            if (c.written)
                return compose(texts::kConfigWrittenNotRead, {at, number(c.productCode)});
            break;
    }
    return {};
}

}  // namespace config
