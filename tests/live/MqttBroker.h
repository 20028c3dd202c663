#pragma once
// A real broker (Debian's mosquitto) on a free loopback port of its own, its store in a
// temporary folder, and a subscriber that keeps every message it gets. No system service is
// used. The broker keeps its store across a restart, and the subscriber's session (QoS 1, not
// clean) with it, so a test sees what a broker that went away and came back delivered.

#include <mosquitto.h>

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/LoopbackPort.h"
#include "tests/support/TestBus.h"

class MqttBroker {
public:
    MqttBroker() : port_(freeLoopbackPort()) {
        std::ofstream(dir_.file("mosquitto.conf"))
            << "listener " << port_ << " 127.0.0.1\n"
            << "allow_anonymous true\n"
            << "persistence true\n"
            << "persistence_location " << dir_.path() << "/\n";
        start();
    }
    ~MqttBroker() { stop(); }
    int port() const { return port_; }

    // Returns once the broker accepts connections.
    void start() {
        process_ = std::make_unique<ChildProcess>(
            std::vector<std::string>{"mosquitto", "-c", dir_.file("mosquitto.conf")});
        for (int i = 0; i < 500 && !acceptsConnections(port_); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // SIGSTOP freezes it (connections stay open, nothing is answered), SIGKILL kills it outright.
    void signal(int sig) {
        if (process_)
            process_->signal(sig);
    }
    // Ends it as a service stop does (it saves its store); returns once it has ended.
    void stop() {
        if (!process_)
            return;
        process_->signal(SIGTERM);
        process_->signal(SIGCONT);  // a frozen one too
        std::string rest;
        process_->finish(rest);
        process_.reset();
    }

private:
    TempDir dir_;
    int port_;
    std::unique_ptr<ChildProcess> process_;
};

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool retained = false;
};

// Subscribes to `filter` with QoS 1 and keeps every message; reconnects at once when the broker
// comes back. `persistent`: a session of its own id that the broker keeps while it is away.
class MqttSubscriber {
public:
    MqttSubscriber(int port, std::string filter, std::string id = {})
        : port_(port), filter_(std::move(filter)) {
        mosquitto_lib_init();
        client_ = mosquitto_new(id.empty() ? nullptr : id.c_str(), id.empty(), this);
        mosquitto_connect_callback_set(client_, [](mosquitto* m, void* self, int rc) {
            if (rc == 0)
                mosquitto_subscribe(m, nullptr, static_cast<MqttSubscriber*>(self)->filter_.c_str(),
                                    1);
        });
        mosquitto_subscribe_callback_set(client_, [](mosquitto*, void* self, int, int, const int*) {
            auto* s = static_cast<MqttSubscriber*>(self);
            std::lock_guard lock(s->mutex_);
            ++s->subscriptions_;
            s->changed_.notify_all();
        });
        mosquitto_message_callback_set(
            client_, [](mosquitto*, void* self, const mosquitto_message* m) {
                auto* s = static_cast<MqttSubscriber*>(self);
                std::lock_guard lock(s->mutex_);
                s->messages_.push_back({m->topic,
                                        std::string(static_cast<const char*>(m->payload),
                                                    static_cast<std::size_t>(m->payloadlen)),
                                        m->retain});
                s->changed_.notify_all();
            });
        mosquitto_connect(client_, "127.0.0.1", port_, 30);
        thread_ = std::thread([this] {
            while (!quit_) {
                if (mosquitto_loop(client_, 10, 1) != MOSQ_ERR_SUCCESS) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    mosquitto_reconnect(client_);
                }
            }
            mosquitto_disconnect(client_);
            mosquitto_loop(client_, 10, 1);
        });
        waitFor([this] { return subscriptions_ > 0; });
    }
    ~MqttSubscriber() {
        quit_ = true;
        thread_.join();
        mosquitto_destroy(client_);
    }

    // Waits (at most 10 s) until `done` holds over what has come; true when it does.
    bool waitFor(const std::function<bool()>& done) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(10), done);
    }
    bool waitForMessages(const std::function<bool(const std::vector<MqttMessage>&)>& done) {
        return waitFor([&] { return done(messages_); });
    }
    // Waits (at most 10 s) until it has subscribed `n` times (once a connection).
    bool waitForSubscriptions(int n) {
        return waitFor([&] { return subscriptions_ >= n; });
    }
    std::vector<MqttMessage> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // The payloads of `topic`, in the order they came.
    std::vector<std::string> payloads(const std::string& topic) const {
        std::vector<std::string> out;
        for (const MqttMessage& m : messages())
            if (m.topic == topic)
                out.push_back(m.payload);
        return out;
    }

private:
    int port_;
    std::string filter_;
    mosquitto* client_ = nullptr;
    std::thread thread_;
    std::atomic<bool> quit_{false};
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<MqttMessage> messages_;
    int subscriptions_ = 0;
};

// How many of `messages` are on `topic`.
inline std::size_t countOn(const std::vector<MqttMessage>& messages, const std::string& topic) {
    std::size_t n = 0;
    for (const MqttMessage& m : messages) n += m.topic == topic ? 1 : 0;
    return n;
}
