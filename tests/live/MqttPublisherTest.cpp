#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <set>

#include "base/NumberText.h"
#include "link/RegisterMap.h"
#include "live/MqttPublisher.h"
#include "live/Watch.h"
#include "tests/live/LiveDevices.h"
#include "tests/live/MqttBroker.h"
#include "tests/support/TestBus.h"

namespace {

struct Rig {
    Rig() : bus({3, 7, 12}, 0.05, 115200, 1.0) {
        watchedDevice(bus, 3, 2, 1);   // "00.00", MPa
        watchedDevice(bus, 7, 0, 12);  // "0000", mm
        watchedDevice(bus, 12, 3, 9);  // "0.000", m
        bus.open();
    }
    TestBus bus;
};

live::MqttSettings settingsFor(const MqttBroker& broker, int qos = 1) {
    live::MqttSettings s;
    s.host = "127.0.0.1";
    s.port = broker.port();
    s.prefix = "plant/bus1";
    s.qos = qos;
    s.firstRetry = std::chrono::milliseconds(20);
    s.longestRetry = std::chrono::milliseconds(100);
    return s;
}

// Tries again every 250 ms, so a test can have its subscriber back first.
live::MqttSettings slowRetry(live::MqttSettings s) {
    s.firstRetry = s.longestRetry = std::chrono::milliseconds(250);
    return s;
}

// Runs `after` after each round has gone to the publisher.
struct Hook : live::RoundSink {
    std::function<void(const live::Round&)> after;
    bool take(const live::Round& round, const std::vector<live::DeviceState>&) override {
        after(round);
        return true;
    }
};

live::WatchEnd watch(Rig& rig, std::vector<int> addresses, long long rounds,
                     live::MqttPublisher& publisher, Hook* hook = nullptr, int maxMisses = 2) {
    live::WatchPlan plan;
    plan.addresses = std::move(addresses);
    plan.count = rounds;
    plan.maxMisses = maxMisses;
    plan.interval = std::chrono::milliseconds(5);
    live::Watch w(rig.bus.ctx, plan);
    std::vector<live::RoundSink*> sinks{&publisher};
    if (hook)
        sinks.push_back(hook);
    std::atomic<int> stop{0};
    return w.run(stop, sinks);
}

// The "value" numbers of the payloads, as their texts.
std::vector<std::string> valuesIn(const std::vector<std::string>& payloads) {
    std::vector<std::string> out;
    for (const std::string& p : payloads) {
        const auto at = p.find("\"value\":") + 8;
        out.push_back(p.substr(at, p.find(',', at) - at));
    }
    return out;
}

}  // namespace

TEST(MqttPublisher, ValuesOfEveryPointPositionReachARealBroker) {
    MqttBroker broker;
    MqttSubscriber sub(broker.port(), "plant/bus1/#");
    Rig rig;
    live::MqttPublisher pub(settingsFor(broker));
    std::string why;
    ASSERT_TRUE(pub.start(why)) << why;
    ASSERT_EQ(watch(rig, {3, 7, 12}, 3, pub), live::WatchEnd::Done);
    pub.finish(std::chrono::seconds(5));
    ASSERT_TRUE(
        sub.waitForMessages([](const auto& m) { return countOn(m, "plant/bus1/status") >= 2; }));
    EXPECT_EQ(valuesIn(sub.payloads("plant/bus1/3/value")),
              (std::vector<std::string>{"0.01", "0.02", "0.03"}));
    EXPECT_EQ(valuesIn(sub.payloads("plant/bus1/7/value")),
              (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(valuesIn(sub.payloads("plant/bus1/12/value")),
              (std::vector<std::string>{"0.001", "0.002", "0.003"}));
    const std::string first = sub.payloads("plant/bus1/3/value").at(0);
    EXPECT_EQ(first.substr(0, 41), R"({"address":3,"value":0.01,"unit":"MPa","t)");
    EXPECT_NE(first.find(R"("time":"20)"), std::string::npos);
    EXPECT_EQ(sub.payloads("plant/bus1/status"), (std::vector<std::string>{"online", "offline"}));
    EXPECT_EQ(sub.payloads("plant/bus1/12/online"), (std::vector<std::string>{"true"}));
    const auto f = pub.figures();
    EXPECT_EQ(f.queued, 9);
    EXPECT_EQ(f.published, 9);
    EXPECT_EQ(f.dropped, 0);
    EXPECT_EQ(f.waiting, 0);

    // What a consumer that comes later finds: the retained states.
    MqttSubscriber later(broker.port(), "plant/bus1/#");
    ASSERT_TRUE(later.waitForMessages(
        [](const auto& m) { return countOn(m, "plant/bus1/12/online") == 1; }));
    ASSERT_TRUE(
        later.waitForMessages([](const auto& m) { return countOn(m, "plant/bus1/status") == 1; }));
    EXPECT_EQ(later.payloads("plant/bus1/status"), (std::vector<std::string>{"offline"}));
    for (const MqttMessage& m : later.messages()) {
        EXPECT_TRUE(m.retained) << m.topic;
        EXPECT_EQ(m.topic.find("/value"), std::string::npos);
    }
}

TEST(MqttPublisher, ASilentDeviceIsPublishedOfflineAndOnlineAgain) {
    MqttBroker broker;
    MqttSubscriber sub(broker.port(), "plant/bus1/+/online");
    Rig rig;
    live::MqttPublisher pub(settingsFor(broker, 0));
    std::string why;
    ASSERT_TRUE(pub.start(why)) << why;
    Hook hook;
    hook.after = [&](const live::Round& r) {
        SimFaults f;
        f.silent = r.number >= 2 && r.number <= 4;
        rig.bus.sim.setFaults(7, f);
    };
    ASSERT_EQ(watch(rig, {3, 7}, 6, pub, &hook), live::WatchEnd::Done);
    pub.finish(std::chrono::seconds(5));
    ASSERT_TRUE(
        sub.waitForMessages([](const auto& m) { return countOn(m, "plant/bus1/7/online") >= 3; }));
    EXPECT_EQ(sub.payloads("plant/bus1/7/online"),
              (std::vector<std::string>{"true", "false", "true"}));
    EXPECT_EQ(sub.payloads("plant/bus1/3/online"), (std::vector<std::string>{"true"}));
}

TEST(MqttPublisher, ABrokerRestartLosesNoValueThatFitsTheQueue) {
    MqttBroker broker;
    // A session the broker keeps while it is away, as a historian's would be.
    MqttSubscriber sub(broker.port(), "plant/bus1/+/value", "historian");
    Rig rig;
    // The subscriber is back on the restarted broker before the publisher tries again.
    live::MqttPublisher pub(slowRetry(settingsFor(broker)));
    std::string why;
    ASSERT_TRUE(pub.start(why)) << why;
    Hook hook;
    hook.after = [&](const live::Round& r) {
        // Once the first five are through (what the broker itself holds when it is stopped is
        // its own affair), it goes away; the polling goes on and rounds 6..15 wait in the queue.
        if (r.number == 5) {
            sub.waitForMessages(
                [](const auto& m) { return countOn(m, "plant/bus1/3/value") == 5; });
            broker.stop();
        }
        if (r.number == 15) {
            broker.start();
            sub.waitForSubscriptions(2);
        }
    };
    ASSERT_EQ(watch(rig, {3}, 25, pub, &hook), live::WatchEnd::Done);
    pub.finish(std::chrono::seconds(5));
    ASSERT_TRUE(sub.waitForMessages([](const auto& m) {
        return countOn(m, "plant/bus1/3/value") >= 25;
    })) << ::testing::PrintToString(valuesIn(sub.payloads("plant/bus1/3/value")))
        << " published " << pub.figures().published << " waiting " << pub.figures().waiting
        << " connections " << pub.figures().connections;
    // Every round's count (register 23 counts its reads), each at least once.
    std::set<long> seen;
    for (const std::string& v : valuesIn(sub.payloads("plant/bus1/3/value")))
        seen.insert(std::lround(num::parseDouble(v).value_or(-1) * 100));
    for (long n = 1; n <= 25; ++n) EXPECT_TRUE(seen.count(n)) << n;
    const auto f = pub.figures();
    EXPECT_EQ(f.dropped, 0);
    EXPECT_EQ(f.waiting, 0);
    EXPECT_EQ(f.connections, 2);
}

TEST(MqttPublisher, AFullQueueDropsTheOldestAndCountsThem) {
    MqttBroker broker;
    MqttSubscriber sub(broker.port(), "plant/bus1/+/value", "historian");
    Rig rig;
    auto settings = slowRetry(settingsFor(broker));
    settings.queueLimit = 4;
    broker.stop();  // away from the start
    live::MqttPublisher pub(settings);
    std::string why;
    ASSERT_TRUE(pub.start(why)) << why;
    Hook hook;
    hook.after = [&](const live::Round& r) {
        if (r.number == 10) {
            broker.start();
            sub.waitForSubscriptions(2);
        }
    };
    ASSERT_EQ(watch(rig, {3}, 10, pub, &hook), live::WatchEnd::Done);
    pub.finish(std::chrono::seconds(5));
    ASSERT_TRUE(
        sub.waitForMessages([](const auto& m) { return countOn(m, "plant/bus1/3/value") >= 4; }));
    // The newest four rounds arrive; the six before them were dropped and counted.
    EXPECT_EQ(valuesIn(sub.payloads("plant/bus1/3/value")),
              (std::vector<std::string>{"0.07", "0.08", "0.09", "0.1"}));
    EXPECT_EQ(pub.figures().dropped, 6);
    EXPECT_EQ(pub.figures().published, 4);
}

TEST(MqttPublisher, ABrokerThatNeverAnswersCountsWhatDidNotReachIt) {
    Rig rig;
    live::MqttSettings s;
    s.host = "127.0.0.1";
    s.port = freeLoopbackPort();  // nobody listens
    s.firstRetry = std::chrono::milliseconds(10);
    s.longestRetry = std::chrono::milliseconds(20);
    live::MqttPublisher pub(s);
    std::string why;
    ASSERT_TRUE(pub.start(why)) << why;
    ASSERT_EQ(watch(rig, {3, 7}, 3, pub), live::WatchEnd::Done);
    pub.finish(std::chrono::milliseconds(100));
    const auto f = pub.figures();
    EXPECT_EQ(f.queued, 6);
    EXPECT_EQ(f.waiting, 6);
    EXPECT_EQ(f.published, 0);
    EXPECT_EQ(f.connections, 0);
    EXPECT_EQ(f.lastError, std::string(std::strerror(ECONNREFUSED)));
}

TEST(MqttPublisher, AKilledWatchIsSaidOfflineByItsLastWill) {
    MqttBroker broker;
    MqttSubscriber sub(broker.port(), "plant/bus1/status");
    ChildProcess watch({KORV_CLI_PATH, "--simulate", "3", "--baud", "115200", "--time-scale",
                        "0.05", "watch", "3", "--interval-s", "0.01", "--mqtt",
                        "127.0.0.1:" + std::to_string(broker.port()), "--topic", "plant/bus1"});
    ASSERT_TRUE(sub.waitForMessages([](const auto& m) { return !m.empty(); }));
    watch.signal(SIGKILL);
    ASSERT_TRUE(sub.waitForMessages([](const auto& m) { return m.size() >= 2; }));
    EXPECT_EQ(sub.payloads("plant/bus1/status"), (std::vector<std::string>{"online", "offline"}));
}

TEST(MqttPublisher, ValuesUnacknowledgedWhenTheBrokerDiesAreSentAgain) {
    MqttBroker broker;
    live::MqttPublisher pub(settingsFor(broker));
    std::string why;
    ASSERT_TRUE(pub.start(why)) << why;
    const auto until = [&](const std::function<bool(const live::MqttPublisher::Figures&)>& done) {
        for (int i = 0; i < 2000 && !done(pub.figures()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return done(pub.figures());
    };
    ASSERT_TRUE(until([](const auto& f) { return f.connected; }));
    // A frozen broker takes the values into its socket and acknowledges none; then it dies.
    broker.signal(SIGSTOP);
    live::Round round;
    round.readings = {{3, true, "1", "MPa", std::nullopt}, {7, true, "2", "m", std::nullopt}};
    for (int n = 1; n <= 5; ++n) {
        round.number = n;
        pub.take(round, {});
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pub.figures().published, 0);
    broker.signal(SIGKILL);
    broker.stop();
    broker.start();
    pub.finish(std::chrono::seconds(5));
    const auto f = pub.figures();
    EXPECT_EQ(f.published, 10);
    EXPECT_EQ(f.waiting, 0);
    EXPECT_EQ(f.connections, 2);
}
