#pragma once
// The rounds of a watch published to an MQTT broker through libmosquitto.
//
// Topics under PREFIX:
//   PREFIX/ADDR/value   {"address":7,"value":12.41,"unit":"MPa","time":"2026-12-09T20:15:03+00:00"}
//                       for every answer (not retained)
//   PREFIX/ADDR/online  "true" / "false", retained, when the device's state changes (and again at
//                       every connection, so a broker that lost its store learns them anew)
//   PREFIX/status       "online", retained, at every connection; the last will "offline", and
//                       "offline" again at a clean end
//
// The client runs on a thread of its own, so a broker that is slow or gone never holds the
// watch: take() only queues. While there is no connection it tries again after 0.5 s, then twice
// as long each time, up to 30 s. Values wait in a queue of at most queueLimit messages; beyond
// it the oldest are dropped and counted. With QoS 1 a value leaves the queue only when the broker
// has acknowledged it (at most kInFlight at a time), so a broker that restarts loses nothing
// that fits the queue; with QoS 0 what was on its way when the broker went can be lost.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "live/Watch.h"

struct mosquitto;

namespace live {

// A prefix is a topic of its own: not empty, no wildcards, no empty level at either end. The
// publisher's topics are PREFIX/ADDR/..., so any other prefix would publish nothing.
bool isTopicPrefix(const std::string& prefix);

struct MqttSettings {
    std::string host = "localhost";
    int port = 1883;
    std::string prefix = "korvelantis";
    int qos = 0;  // 0 or 1
    std::size_t queueLimit = 10000;
    std::chrono::milliseconds firstRetry{500};
    std::chrono::milliseconds longestRetry{30000};
    int keepAliveS = 30;
};

class MqttPublisher : public RoundSink {
public:
    static constexpr std::size_t kInFlight = 100;

    explicit MqttPublisher(MqttSettings settings);
    ~MqttPublisher() override;
    MqttPublisher(const MqttPublisher&) = delete;
    MqttPublisher& operator=(const MqttPublisher&) = delete;

    // Starts the client; false with the library's reason when it cannot even begin. A broker
    // that does not answer yet is no failure: the client keeps trying.
    bool start(std::string& why);
    // Queues the round's values and online changes; always true.
    bool take(const Round& round, const std::vector<DeviceState>& devices) override;
    // The end: "offline" on PREFIX/status, then waits up to `drain` for the queue to go out,
    // disconnects and ends the thread.
    void finish(std::chrono::milliseconds drain);

    struct Figures {
        long long queued = 0;     // values taken
        long long published = 0;  // values handed to the broker (QoS 1: acknowledged)
        long long dropped = 0;    // values dropped from the full queue
        long long waiting = 0;    // values still queued (or unacknowledged) at the end
        int connections = 0;      // connections made
        bool connected = false;
        std::string lastError;  // why the last attempt or connection failed
    };
    Figures figures() const;

    // Callbacks of the library, on the client's thread.
    void connected(int rc);
    void disconnected(int rc);
    void acknowledged(int mid);

private:
    struct Message {
        std::string topic;
        std::string payload;
    };
    void loop();
    void pump();
    bool send(const std::string& topic, const std::string& payload, bool retain, int* mid);
    void retryLater();
    void failed(std::string why);

    MqttSettings settings_;
    mosquitto* client_ = nullptr;
    std::thread thread_;

    // Shared with the watch and the callers of figures(). Never held while the library is
    // called: the library calls back under locks of its own.
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Message> queue_;
    std::map<int, bool> online_;  // each device's last state
    std::set<int> onlineToSend_;  // states not yet published on this connection
    bool quit_ = false;
    bool finishing_ = false;
    std::chrono::steady_clock::time_point finishBy_{};
    long long queued_ = 0;
    long long dropped_ = 0;
    mutable std::mutex errorMutex_;  // taken alone, in callbacks too
    std::string lastError_;
    std::atomic<long long> published_{0};
    std::atomic<long long> valuesInFlight_{0};
    std::atomic<int> connections_{0};
    std::atomic<bool> connected_{false};

    // The client's thread only (the callbacks run on it).
    std::map<int, bool> inFlight_;  // QoS 1: handed, not yet acknowledged; true: a value
    bool connecting_ = false;
    bool everTried_ = false;
    bool resendStates_ = false;
    bool statusOfflineSent_ = false;
    std::chrono::milliseconds retry_{0};
    std::chrono::steady_clock::time_point nextAttempt_{};
};

// The payload of PREFIX/ADDR/value.
std::string valuePayload(const Reading& reading, Clock::TimePoint time);

}  // namespace live
