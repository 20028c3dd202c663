#include "config/DeviceSearch.h"

#include <algorithm>

#include "base/NumberText.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"

namespace config {

const char* const kNoOnlineDevice = KORV_TR_NOOP("Core", "No online device");
const char* const kSearchFailed = KORV_TR_NOOP("Core", "Search failed!");
const char* const kSearchComplete = KORV_TR_NOOP("Core", "Searching for information to complete!");
const char* const kThreadFailed = KORV_TR_NOOP("Core", "Thread failed to start search！");

namespace {

ExchangeResult poll(AppContext& ctx, int address, int waitMs, LineFaults& faults) {
    const auto ask = [&] {
        return ctx.bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                          reg::kBlockCount, waitMs);
    };
    ExchangeResult r = ask();
    if (faults.note(address, r)) {
        r = ask();
        faults.note(address, r);
    }
    return r;
}

// An answer into a buffer of the parameter block: never more than the buffer holds, whatever
// the line delivered.
template <std::size_t N>
void keepAnswer(const ExchangeResult& r, std::array<std::uint8_t, N>& buffer) {
    static_assert(N >= reg::kBlockAnswerLength, "the buffer must hold a whole block answer");
    std::copy_n(r.answer.begin(), std::min(r.answer.size(), N), buffer.begin());
}

// Register 3 (the device's own address) is zero in a device that is not set up.
bool hasContent(const ExchangeResult& r) {
    return r.registers().at(0) != 0;
}

std::uint16_t highestOnline(const AppContext& ctx) {
    const auto online = ctx.onlineAddresses();
    return online.empty() ? 0 : static_cast<std::uint16_t>(online.back());
}

}  // namespace

void resetSearchFlags(SearchState& st) {
    st.SearchDone = 0;
    st.SearchFailed = 0;
    st.progress.clear();
}

SearchOutcome ScanFirstDevice(AppContext& ctx, SearchState& st) {
    SearchOutcome out;
    for (int a = 1; a <= AppContext::kAddressCount; ++a) {
        if (st.abandon.load())
            break;
        ctx.CurrentAddress = static_cast<std::uint16_t>(a);
        st.progress.set({progress_text::kSearchAddress,
                         {num::formatInt(a), num::formatInt(AppContext::kAddressCount)}},
                        a - 1, AppContext::kAddressCount);
        st.ResponseBuffer.fill(0);
        const ExchangeResult r = poll(ctx, a, Timing::kSearchWaitMs, out.faults);
        if (r.lineFailed()) {
            // A failed read ends the search at any address; no device is current then. The bus
            // has told the operator why: one operation, one message.
            ctx.CurrentAddress = 0;
            return out;
        }
        // A corrupted answer counts as silence: its block would be shown and could be written
        // back into the device.
        if (!r.answered() || !hasContent(r))
            continue;
        keepAnswer(r, st.ResponseBuffer);
        keepAnswer(r, out.block);
        st.SearchDone = 1;
        out.complete = true;
        return out;
    }
    ctx.CurrentAddress = 0;
    if (!st.abandon.load())
        out.message = kNoOnlineDevice;
    return out;
}

SearchOutcome ScanAllDevices(AppContext& ctx, SearchState& st) {
    SearchOutcome out;
    ctx.clearOnlineTable();
    st.LastBlock.fill(0);
    bool failed = false;
    int online = 0;
    const Clock::SteadyPoint start = ctx.clock->steadyNow();
    for (int a = 1; a <= AppContext::kAddressCount; ++a) {
        if (st.SearchDone.load() || st.abandon.load())
            break;
        st.progress.set(
            {progress_text::kScanAddress,
             {num::formatInt(a), num::formatInt(AppContext::kAddressCount),
              num::formatInt(online)}},
            a - 1, AppContext::kAddressCount,
            estimateSecondsLeft(ctx.clock->steadyNow() - start, a - 1, AppContext::kAddressCount));
        ctx.CurrentAddress = static_cast<std::uint16_t>(a);
        st.ResponseBuffer.fill(0);
        const ExchangeResult r = poll(ctx, a, Timing::kScanWaitMs, out.faults);
        if (r.lineFailed()) {
            failed = true;
            break;
        }
        // Only a valid answer may become the block shown (and written back by a download).
        if (!r.answered() || !hasContent(r))
            continue;
        keepAnswer(r, st.LastBlock);
        ctx.OnlineTable[static_cast<std::size_t>(a - 1)] = 1;
        ++online;
    }
    ctx.CurrentAddress = highestOnline(ctx);
    static_assert(
        std::tuple_size_v<decltype(st.LastBlock)> >= std::tuple_size_v<decltype(out.block)>,
        "the kept block must hold what the page decodes");
    std::copy_n(st.LastBlock.begin(), out.block.size(), out.block.begin());
    if (failed) {
        st.SearchFailed = 1;
        return out;
    }
    st.SearchDone = 1;
    out.complete = true;
    return out;
}

SearchOutcome runSearch(AppContext& ctx, SearchState& st, bool enterprise) {
    return enterprise ? ScanAllDevices(ctx, st) : ScanFirstDevice(ctx, st);
}

}  // namespace config
