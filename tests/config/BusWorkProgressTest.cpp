// What the search, the downloads and "Configuration" say they are doing, seen at each exchange:
// the progress is set before each request, so every frame the bus reports carries the step of
// its own exchange.
#include <gtest/gtest.h>

#include <future>
#include <mutex>
#include <thread>

#include "base/Progress.h"
#include "config/DeviceSearch.h"
#include "config/ReadBack.h"
#include "config/Readdress.h"
#include "tests/support/TestBus.h"

using namespace config;

namespace {

// The progress at the end of each exchange, with the address the exchange asked.
class ProgressAtEachExchange : public BusObserver {
public:
    explicit ProgressAtEachExchange(const Progress& p) : progress_(p) {}
    void framesSeen(const std::vector<BusFrame>& frames) override {
        if (frames.empty())
            return;
        std::lock_guard lock(mutex_);
        seen_.push_back({frames.front().exchangeAddress, progress_.snapshot()});
    }
    struct Step {
        int address;
        ProgressSnapshot progress;
    };
    std::vector<Step> steps() const {
        std::lock_guard lock(mutex_);
        return seen_;
    }

private:
    const Progress& progress_;
    mutable std::mutex mutex_;
    std::vector<Step> seen_;
};

struct Observed {
    Observed(Bus& bus, const Progress& p) : bus_(bus), watch(p) { bus_.addObserver(&watch); }
    ~Observed() { bus_.removeObserver(&watch); }
    Bus& bus_;
    ProgressAtEachExchange watch;
};

}  // namespace

TEST(ScanProgress, EachAddressIsNamedWithTheDevicesFoundBeforeIt) {
    TestBus tb({2, 5}, 0.02);
    tb.open();
    SearchState st;
    resetSearchFlags(st);
    Observed o(tb.ctx.bus, st.progress);
    ScanAllDevices(tb.ctx, st);
    const auto steps = o.watch.steps();
    ASSERT_EQ(steps.size(), 60u);
    for (const auto& s : steps) {
        const int online = (s.address > 2) + (s.address > 5);
        EXPECT_EQ(s.progress.text(), "Address " + std::to_string(s.address) + " of 60, " +
                                         std::to_string(online) + " online");
        EXPECT_EQ(s.progress.done, s.address - 1);
        EXPECT_EQ(s.progress.total, 60);
        // The pace is known from the second address on.
        EXPECT_EQ(s.progress.secondsLeft >= 0, s.address > 1) << s.address;
    }
    EXPECT_EQ(steps[0].progress.parts.at(0).format, "Address %1 of %2, %3 online");
    EXPECT_EQ(steps[0].progress.parts.at(0).args, (std::vector<std::string>{"1", "60", "0"}));
}

TEST(ScanProgress, TheOrdinarySearchNamesTheAddressItAsks) {
    TestBus tb({4}, 0.02);
    tb.open();
    SearchState st;
    resetSearchFlags(st);
    Observed o(tb.ctx.bus, st.progress);
    ScanFirstDevice(tb.ctx, st);
    const auto steps = o.watch.steps();
    ASSERT_EQ(steps.size(), 4u);
    for (const auto& s : steps) {
        EXPECT_EQ(s.progress.text(), "Searching address " + std::to_string(s.address) + " of 60");
        EXPECT_EQ(s.progress.done, s.address - 1);
    }
    // A new search starts without the old one's progress.
    resetSearchFlags(st);
    EXPECT_TRUE(st.progress.snapshot().text().empty());
}

TEST(DownloadProgress, TheBatchDownloadShowsTheWriteThenEachReadBack) {
    TestBus tb({3, 8}, 0.02);
    tb.open();
    BasicConfigModel m;
    m.ShowEnterpriseLayout();
    Progress progress;
    Observed o(tb.ctx.bus, progress);
    const DownloadReport r =
        downloadToAllVerified(tb.ctx, batchDownloadFrame(m).bytes, {3, 8}, &progress);
    ASSERT_TRUE(r.verified());
    const auto steps = o.watch.steps();
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[0].address, Bus::kBroadcast);
    EXPECT_EQ(steps[0].progress.text(), "Writing to every device (address 127)");
    EXPECT_EQ(steps[0].progress.done, 0);
    EXPECT_EQ(steps[0].progress.total, 4);  // the write, the store wait, two read-backs
    EXPECT_EQ(steps[1].progress.text(), "Reading back address 3, 1 of 2");
    EXPECT_EQ(steps[1].progress.done, 2);
    EXPECT_EQ(steps[2].progress.text(), "Reading back address 8, 2 of 2");
    EXPECT_EQ(steps[2].progress.done, 3);
    EXPECT_GE(steps[2].progress.secondsLeft, 0);
}

TEST(DownloadProgress, OneDeviceShowsItsWriteAndItsReadBack) {
    TestBus tb({6}, 0.02);
    tb.open();
    BasicConfigModel m;
    Progress progress;
    Observed o(tb.ctx.bus, progress);
    ASSERT_TRUE(
        downloadToDeviceVerified(tb.ctx, singleDownloadFrame(6, m).bytes, &progress).verified());
    const auto steps = o.watch.steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].progress.text(), "Writing to address 6");
    EXPECT_EQ(steps[1].progress.text(), "Reading back address 6, 1 of 1");
    EXPECT_EQ(steps[1].progress.done, 2);
    EXPECT_EQ(steps[1].progress.total, 3);
}

TEST(DownloadProgress, TheStoreWaitCountsDownWhileItRuns) {
    TestBus tb({6}, 0.05);  // 5 s shrunk to 250 ms
    tb.open();
    Progress progress;
    auto wait = std::async(std::launch::async, [&] { waitForStore(tb.ctx, &progress, 1, 3); });
    ProgressSnapshot during;
    while (wait.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
        during = progress.snapshot();
        if (!during.text().empty())
            break;
    }
    wait.get();
    EXPECT_EQ(during.text(), "The devices store what was written");
    EXPECT_EQ(during.secondsLeft, 1);
    EXPECT_EQ(during.done, 1);
    EXPECT_EQ(progress.snapshot().secondsLeft, 0);
}

TEST(ConfigurationProgress, TheLookAtWhoAnswersCountsThoseThatDid) {
    TestBus tb({3, 7}, 0.02);
    tb.open();
    Progress progress;
    Observed o(tb.ctx.bus, progress);
    bool failed = false;
    EXPECT_EQ(answeringDevices(tb.ctx, failed, nullptr, &progress), (std::vector<int>{3, 7}));
    const auto steps = o.watch.steps();
    ASSERT_EQ(steps.size(), 60u);
    EXPECT_EQ(steps[2].progress.text(), "Address 3 of 60, 0 answering");
    EXPECT_EQ(steps[3].progress.text(), "Address 4 of 60, 1 answering");
    EXPECT_EQ(steps[59].progress.text(), "Address 60 of 60, 2 answering");
    EXPECT_EQ(steps[59].progress.done, 59);
}

TEST(ConfigurationProgress, TheWriteAndTheReadAtTheNewAddressAreNamed) {
    TestBus tb({3}, 0.02);
    tb.open();
    Progress progress;
    Observed o(tb.ctx.bus, progress);
    const Frame f = configurationFrame(70000, 5);
    ASSERT_TRUE(configureAndConfirm(tb.ctx, f.bytes, 5, 70000, &progress).confirmed());
    const auto steps = o.watch.steps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].progress.text(), "Writing address 5 and product code 70000");
    EXPECT_EQ(steps[0].progress.done, 0);
    EXPECT_EQ(steps[1].progress.text(), "Reading address 5");
    EXPECT_EQ(steps[1].progress.done, 2);
    EXPECT_EQ(steps[1].progress.total, 3);
}
