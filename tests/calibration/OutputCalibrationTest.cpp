// Output calibration: group enabling, register-40 commands and the coefficient download.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/Progress.h"
#include "base/ProgressTexts.h"
#include "calibration/OutputCalibration.h"
#include "calibration/SensorCalibration.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

using namespace calib;

namespace {

struct OutputBench {
    explicit OutputBench(std::vector<int> addresses, double scale = 0.03) : bus(addresses, scale) {
        bus.open();
        for (int a : addresses) bus.ctx.OnlineTable[a - 1] = 1;
    }
    float regFloat(int address, int first) const {
        const std::uint16_t lo = *bus.sim.reg(address, first);
        const std::uint16_t hi = *bus.sim.reg(address, first + 1);
        const std::uint8_t b[4] = {
            static_cast<std::uint8_t>(lo >> 8), static_cast<std::uint8_t>(lo),
            static_cast<std::uint8_t>(hi >> 8), static_cast<std::uint8_t>(hi)};
        return reg::registersToFloat(b);
    }
    TestBus bus;
};

}  // namespace

TEST(OutputGroups, FollowTheOutputType) {
    EXPECT_EQ(groupsForOutputType("K1"), OutputGroups::Neither);
    EXPECT_EQ(groupsForOutputType("K1+K2"), OutputGroups::Neither);
    EXPECT_EQ(groupsForOutputType("K1+1A"), OutputGroups::CurrentOnly);
    EXPECT_EQ(groupsForOutputType("2K+1A"), OutputGroups::CurrentOnly);
    EXPECT_EQ(groupsForOutputType("K1+1V"), OutputGroups::VoltageOnly);
    EXPECT_EQ(groupsForOutputType("2K+1V"), OutputGroups::VoltageOnly);
    EXPECT_EQ(groupsForOutputType(""), OutputGroups::Unchanged);
}

TEST(OutputCommand, ReachesEveryOnlineDeviceInAscendingOrder) {
    OutputBench b({12, 4, 33});
    b.bus.ctx.OnlineTable[32] = 0;  // 33 answered no search
    EXPECT_EQ(sendOutputCommand(b.bus.ctx, kCommandHigh), 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // frames on the line
    const auto frames = b.bus.sim.framesReceived();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].bytes[0], 4);
    EXPECT_EQ(frames[1].bytes[0], 12);
    EXPECT_EQ(std::vector<std::uint8_t>(frames[0].bytes.begin(), frames[0].bytes.begin() + 6),
              (std::vector<std::uint8_t>{4, 0x06, 0x00, 0x28, 0x00, 0x02}));
    EXPECT_EQ(*b.bus.sim.reg(4, 40), 2);
    EXPECT_EQ(*b.bus.sim.reg(12, 40), 2);
    EXPECT_EQ(*b.bus.sim.reg(33, 40), 0);
}

TEST(OutputCommand, UnreadEchoesNeverPassForTheNextAnswer) {
    OutputBench b({1, 2, 3});
    b.bus.sim.setGainOffset(1, 0.0, 111.0);
    b.bus.sim.setGainOffset(2, 0.0, 222.0);
    b.bus.sim.setGainOffset(3, 0.0, 333.0);
    sendOutputCommand(b.bus.ctx, kCommandLow);
    // Straight after, with the echoes still arriving: every reading is its own device's.
    SensorCalibration cal(b.bus.ctx);
    cal.prepareAcquisition(1);
    AcquisitionOutcome out;
    cal.acquire(1, TargetSet{}, [&](const AcquisitionOutcome& o) { out = o; });
    ASSERT_EQ(out.readings.size(), 3u);
    EXPECT_EQ(out.readings[0].text, "111");
    EXPECT_EQ(out.readings[1].text, "222");
    EXPECT_EQ(out.readings[2].text, "333");
}

TEST(OutputCommand, CancelStopsBeforeTheNextDeviceAndProgressNamesEachOne) {
    OutputBench b({2, 4, 6});
    std::atomic<int> cancel{0};
    Progress progress;
    EXPECT_EQ(sendOutputCommand(b.bus.ctx, kCommandLow, &cancel, &progress), 3);
    EXPECT_EQ(progress.snapshot().text(), "Address 6, 3 of 3");
    EXPECT_EQ(progress.snapshot().done, 2);
    cancel = 1;
    b.bus.sim.clearFramesReceived();
    EXPECT_EQ(sendOutputCommand(b.bus.ctx, kCommandHigh, &cancel, &progress), 0);
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
    EXPECT_EQ(*b.bus.sim.reg(2, 40), kCommandLow);
}

TEST(OutputCommand, WithNoDeviceOnlineSendsNothing) {
    OutputBench b({});
    EXPECT_EQ(sendOutputCommand(b.bus.ctx, kCommandLow), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
}

// The classic took 11.5 s a device (command 0, 6 s, the write, 5 s): over 11 minutes for 60.
// Each device prepares and stores on its own: the same frames in the same order per device,
// with one wait of each kind for all of them.
TEST(OutputDownload, CommandsAllDevicesWaitsOnceWritesAllAndWaitsOnceForTheStore) {
    OutputBench b({5, 6, 11}, 0.1);
    FrameRecorder recorder;
    b.bus.ctx.bus.addObserver(&recorder);
    std::atomic<int> done{0}, cancel{0};
    Progress progress;
    ProgressTrail trail(progress);
    const auto started = std::chrono::steady_clock::now();
    const OutputDownload result = downloadOutputCoefficients(
        b.bus.ctx, OutputKind::Current, 4.210526f, 3.157896f, done, cancel, &progress);
    const double tookMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started)
            .count();
    const auto steps = trail.stop();
    b.bus.ctx.bus.removeObserver(&recorder);
    EXPECT_EQ(done.load(), 1);
    EXPECT_FALSE(result.lineFailed);
    EXPECT_TRUE(b.bus.messages.texts().empty());
    for (int a : {5, 6, 11}) {
        EXPECT_EQ(b.regFloat(a, 28), 4.210526f) << a;
        EXPECT_EQ(b.regFloat(a, 30), 3.157896f) << a;
        EXPECT_EQ(*b.bus.sim.reg(a, 32), 0) << "voltage registers untouched";
        EXPECT_EQ(*b.bus.sim.reg(a, 40), 0);
    }
    EXPECT_EQ(result.devices,
              (std::vector<std::pair<int, WriteOutcome>>{{5, WriteOutcome::Confirmed},
                                                         {6, WriteOutcome::Confirmed},
                                                         {11, WriteOutcome::Confirmed}}));
    for (const auto& f : b.bus.sim.framesReceived()) {
        EXPECT_FALSE(f.collided);
        if (f.bytes[1] == 0x10) {
            EXPECT_EQ(f.bytes[3], 0x1C);
        }
    }
    EXPECT_EQ(requestOrder(b.bus.sim),
              (std::vector<std::pair<int, int>>{
                  {5, 0x06}, {6, 0x06}, {11, 0x06}, {5, 0x10}, {6, 0x10}, {11, 0x10}}));
    const std::vector<double> sentAt = recorder.sentAt();
    ASSERT_EQ(sentAt.size(), 6u);
    const double prepareMs = 0.1 * Timing::kOutputCommandWaitMs;
    const double storeMs = 0.1 * Timing::kStoreWaitMs;
    for (std::size_t i : {1u, 2u, 4u, 5u})
        EXPECT_LT(sentAt[i] - sentAt[i - 1], storeMs / 2) << "frame " << i;
    EXPECT_GE(sentAt[3] - sentAt[2], prepareMs) << "every device prepares before its write";
    EXPECT_GE(tookMs, prepareMs + storeMs);
    EXPECT_LT(tookMs, prepareMs + 2 * storeMs) << "one store wait, not one a device";
    EXPECT_EQ(steps,
              (std::vector<std::string>{progress_text::kDeviceStep, progress_text::kPrepareWait,
                                        progress_text::kDeviceStep, progress_text::kStoreWait}));
}

TEST(OutputDownload, WritesVoltageRegisters) {
    OutputBench b({9});
    std::atomic<int> done{0}, cancel{0};
    downloadOutputCoefficients(b.bus.ctx, OutputKind::Voltage, 1.5f, -0.25f, done, cancel);
    EXPECT_EQ(b.regFloat(9, 32), 1.5f);
    EXPECT_EQ(b.regFloat(9, 34), -0.25f);
    EXPECT_EQ(*b.bus.sim.reg(9, 28), 0);
}

// A hang-up in the middle of the writes: the operator learns which devices hold the new
// coefficients, which may, and which do not.
TEST(OutputDownload, AHangUpPartWayTellsWhatEachDeviceHolds) {
    OutputBench b({1, 2, 3});
    b.bus.sim.hangUpAfter(5);  // three commands, the write to 1, the write to 2 unanswered
    std::atomic<int> done{0}, cancel{0};
    const OutputDownload result =
        downloadOutputCoefficients(b.bus.ctx, OutputKind::Current, 2.0f, 1.0f, done, cancel);
    EXPECT_EQ(done.load(), 1);
    EXPECT_TRUE(result.lineFailed);
    EXPECT_EQ(result.devices,
              (std::vector<std::pair<int, WriteOutcome>>{{1, WriteOutcome::Confirmed},
                                                         {2, WriteOutcome::NotConfirmed},
                                                         {3, WriteOutcome::NotReached}}));
    EXPECT_EQ(b.regFloat(2, 28), 2.0f);
    EXPECT_EQ(*b.bus.sim.reg(3, 28), 0);
    EXPECT_EQ(b.bus.messages.texts(),
              (std::vector<std::string>{"Error Code5read serial operation failed!",
                                        downloadInterruptedText({1}, {2}, {3}).text()}));

    // During the commands: no coefficients reached any device.
    OutputBench c({1, 2});
    c.bus.sim.hangUpAfter(2);
    done = 0;
    const OutputDownload early =
        downloadOutputCoefficients(c.bus.ctx, OutputKind::Voltage, 2.0f, 1.0f, done, cancel);
    EXPECT_TRUE(early.lineFailed);
    EXPECT_EQ(c.bus.messages.texts(),
              std::vector<std::string>{"Error Code5read serial operation failed!"});
    for (const auto& [a, o] : early.devices) EXPECT_EQ(o, WriteOutcome::NotReached) << a;
}

TEST(OutputDownload, CorruptAnswerIsReportedAndTheRunGoesOn) {
    OutputBench b({1, 2});
    b.bus.sim.setFaults(1, SimFaults{.badCrc = true});
    std::atomic<int> done{0}, cancel{0};
    downloadOutputCoefficients(b.bus.ctx, OutputKind::Current, 1.0f, 0.0f, done, cancel);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kVerifyFailed});
    EXPECT_EQ(b.regFloat(2, 28), 1.0f);
    EXPECT_EQ(done.load(), 1);
}

TEST(OutputDownload, NoDeviceOnlineShowsItsMessage) {
    OutputBench b({});
    std::atomic<int> done{0}, cancel{0};
    downloadOutputCoefficients(b.bus.ctx, OutputKind::Voltage, 1.0f, 0.0f, done, cancel);
    EXPECT_EQ(b.bus.messages.texts(), std::vector<std::string>{kNoOnlineDevices});
    EXPECT_EQ(done.load(), 1);
    EXPECT_TRUE(b.bus.sim.framesReceived().empty());
}

TEST(OutputDownload, CancelStopsBeforeTheNextDevice) {
    // During the writes: the device under way is finished, the store wait still kept.
    OutputBench b({1, 2}, 0.1);
    b.bus.sim.setFaults(1, SimFaults{.lateMs = 40});  // the cancel lands during its write
    std::atomic<int> done{0}, cancel{0};
    std::thread worker([&] {
        downloadOutputCoefficients(b.bus.ctx, OutputKind::Current, 2.0f, 1.0f, done, cancel);
    });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    const auto writes = [&b] {
        int n = 0;
        for (const auto& f : b.bus.sim.framesReceived()) n += f.bytes[1] == 0x10;
        return n;
    };
    while (writes() == 0 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    cancel = 1;
    worker.join();
    EXPECT_EQ(done.load(), 1);
    EXPECT_EQ(b.regFloat(1, 28), 2.0f);
    EXPECT_EQ(*b.bus.sim.reg(2, 28), 0);
    EXPECT_EQ(writes(), 1);
    EXPECT_TRUE(b.bus.messages.texts().empty());

    // During the commands or the 6 s: no coefficients at all.
    OutputBench c({1, 2});
    done = 0;
    cancel = 1;
    downloadOutputCoefficients(c.bus.ctx, OutputKind::Current, 2.0f, 1.0f, done, cancel);
    EXPECT_EQ(done.load(), 1);
    EXPECT_TRUE(c.bus.sim.framesReceived().empty());
}

namespace {

// Each device echoes the command; the next command waits for that echo instead of colliding
// with it on the half-duplex line.
TEST(OutputCommands, WaitForEachEchoSoNoCommandCollides) {
    TestBus t({3, 4, 5}, 0.05, 9600, 5.0);
    t.open();
    for (int a : {3, 4, 5}) t.ctx.OnlineTable[a - 1] = 1;
    EXPECT_EQ(calib::sendOutputCommand(t.ctx, calib::kCommandLow), 3);
    const auto frames = t.sim.framesReceived();
    ASSERT_EQ(frames.size(), 3u);
    for (const auto& f : frames) EXPECT_FALSE(f.collided);
    for (int a : {3, 4, 5}) EXPECT_EQ(*t.sim.reg(a, 40), calib::kCommandLow);
}

}  // namespace
