// Output calibration: group enabling, register-40 commands and the coefficient download.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "calibration/OutputCalibration.h"
#include "calibration/SensorCalibration.h"
#include "common/Progress.h"
#include "link/RegisterMap.h"
#include "tests/support/TestBus.h"

using namespace calib;

namespace {

struct OutputBench {
    explicit OutputBench(std::vector<int> addresses) : bus(addresses, 0.03) {
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

TEST(OutputDownload, WritesCurrentSlopeAndOffsetAfterCommandZero) {
    OutputBench b({5, 6});
    std::atomic<int> done{0}, cancel{0};
    downloadOutputCoefficients(b.bus.ctx, OutputKind::Current, 4.210526f, 3.157896f, done, cancel);
    EXPECT_EQ(done.load(), 1);
    EXPECT_TRUE(b.bus.messages.texts().empty());
    for (int a : {5, 6}) {
        EXPECT_EQ(b.regFloat(a, 28), 4.210526f) << a;
        EXPECT_EQ(b.regFloat(a, 30), 3.157896f) << a;
        EXPECT_EQ(*b.bus.sim.reg(a, 32), 0) << "voltage registers untouched";
        EXPECT_EQ(*b.bus.sim.reg(a, 40), 0);
    }
    const auto frames = b.bus.sim.framesReceived();
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[0].bytes[1], 0x06);
    EXPECT_EQ(frames[1].bytes[1], 0x10);
    EXPECT_EQ(frames[1].bytes[3], 0x1C);
}

TEST(OutputDownload, WritesVoltageRegisters) {
    OutputBench b({9});
    std::atomic<int> done{0}, cancel{0};
    Progress progress;
    downloadOutputCoefficients(b.bus.ctx, OutputKind::Voltage, 1.5f, -0.25f, done, cancel,
                               &progress);
    EXPECT_EQ(progress.snapshot().text(), "Address 9, 1 of 1");
    EXPECT_EQ(progress.snapshot().secondsLeft, 1);  // 11.5 s shrunk to 0.345 s, rounded up
    EXPECT_EQ(b.regFloat(9, 32), 1.5f);
    EXPECT_EQ(b.regFloat(9, 34), -0.25f);
    EXPECT_EQ(*b.bus.sim.reg(9, 28), 0);
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
    OutputBench b({1, 2});
    std::atomic<int> done{0}, cancel{0};
    std::thread worker([&] {
        downloadOutputCoefficients(b.bus.ctx, OutputKind::Current, 2.0f, 1.0f, done, cancel);
    });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (b.bus.sim.framesReceived().empty() && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    cancel = 1;
    worker.join();
    EXPECT_EQ(done.load(), 1);
    EXPECT_EQ(b.regFloat(1, 28), 2.0f);  // the device under way is finished
    EXPECT_EQ(*b.bus.sim.reg(2, 28), 0);
    for (const auto& f : b.bus.sim.framesReceived()) EXPECT_EQ(f.bytes[0], 1);
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
