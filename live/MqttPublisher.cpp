#include "live/MqttPublisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "base/JsonWriter.h"
#include "base/NumberText.h"

namespace live {

namespace {

std::string reasonOf(int rc, int savedErrno) {
    return rc == MOSQ_ERR_ERRNO ? std::string(std::strerror(savedErrno))
                                : std::string(mosquitto_strerror(rc));
}

}  // namespace

std::string valuePayload(const Reading& reading, Clock::TimePoint time) {
    JsonWriter w;
    w.beginObject().key("address").value(reading.address).key("value");
    if (const auto v = num::parseDouble(reading.value))
        w.value(*v);
    else
        w.null();
    w.key("unit").value(reading.unit).key("time").value(isoTime(time)).endObject();
    return w.text();
}

MqttPublisher::MqttPublisher(MqttSettings settings) : settings_(std::move(settings)) {
    static std::once_flag init;
    std::call_once(init, [] { mosquitto_lib_init(); });
}

MqttPublisher::~MqttPublisher() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (client_)
        mosquitto_destroy(client_);
}

bool MqttPublisher::start(std::string& why) {
    client_ = mosquitto_new(nullptr, true, this);
    if (!client_) {
        why = std::strerror(errno);
        return false;
    }
    const std::string status = settings_.prefix + "/status";
    const int rc = mosquitto_will_set(client_, status.c_str(), 7, "offline", settings_.qos, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        why = reasonOf(rc, errno);
        return false;
    }
    mosquitto_connect_callback_set(client_, [](mosquitto*, void* self, int code) {
        static_cast<MqttPublisher*>(self)->connected(code);
    });
    mosquitto_disconnect_callback_set(client_, [](mosquitto*, void* self, int code) {
        static_cast<MqttPublisher*>(self)->disconnected(code);
    });
    mosquitto_publish_callback_set(client_, [](mosquitto*, void* self, int mid) {
        static_cast<MqttPublisher*>(self)->acknowledged(mid);
    });
    thread_ = std::thread([this] { loop(); });
    return true;
}

bool MqttPublisher::take(const Round& round, const std::vector<DeviceState>&) {
    {
        std::lock_guard lock(mutex_);
        for (const Reading& r : round.readings) {
            if (r.onlineNow) {
                online_[r.address] = *r.onlineNow;
                onlineToSend_.insert(r.address);
            }
            if (!r.answered)
                continue;
            if (queue_.size() >= std::max<std::size_t>(settings_.queueLimit, 1)) {
                queue_.pop_front();
                ++dropped_;
            }
            queue_.push_back({settings_.prefix + "/" + num::formatInt(r.address) + "/value",
                              valuePayload(r, round.time)});
            ++queued_;
        }
    }
    wake_.notify_all();
    return true;
}

void MqttPublisher::finish(std::chrono::milliseconds drain) {
    {
        std::lock_guard lock(mutex_);
        finishing_ = true;
        finishBy_ = std::chrono::steady_clock::now() + drain;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

MqttPublisher::Figures MqttPublisher::figures() const {
    Figures f;
    {
        std::lock_guard lock(mutex_);
        f.queued = queued_;
        f.dropped = dropped_;
        f.waiting = static_cast<long long>(queue_.size());
    }
    f.waiting += valuesInFlight_.load();
    f.published = published_.load();
    f.connections = connections_.load();
    f.connected = connected_.load();
    std::lock_guard lock(errorMutex_);
    f.lastError = lastError_;
    return f;
}

void MqttPublisher::failed(std::string why) {
    std::lock_guard lock(errorMutex_);
    lastError_ = std::move(why);
}

void MqttPublisher::connected(int rc) {
    connecting_ = false;
    if (rc != 0) {
        failed(mosquitto_connack_string(rc));
        return;  // the library disconnects; disconnected() plans the next attempt
    }
    connected_ = true;
    retry_ = std::chrono::milliseconds(0);
    ++connections_;
    // Published by pump(), outside the callback: the library holds its own locks here.
    resendStates_ = true;
}

void MqttPublisher::disconnected(int rc) {
    if (connected_ || connecting_) {
        if (rc != 0)
            failed(mosquitto_strerror(rc));
        retryLater();
    }
    connected_ = false;
    connecting_ = false;
}

void MqttPublisher::acknowledged(int mid) {
    const auto it = inFlight_.find(mid);
    if (it == inFlight_.end())
        return;
    if (it->second) {
        ++published_;
        --valuesInFlight_;
    }
    inFlight_.erase(it);
}

bool MqttPublisher::send(const std::string& topic, const std::string& payload, bool retain,
                         int* mid) {
    return mosquitto_publish(client_, mid, topic.c_str(), static_cast<int>(payload.size()),
                             payload.data(), settings_.qos, retain) == MOSQ_ERR_SUCCESS;
}

void MqttPublisher::retryLater() {
    retry_ =
        retry_.count() == 0 ? settings_.firstRetry : std::min(retry_ * 2, settings_.longestRetry);
    nextAttempt_ = std::chrono::steady_clock::now() + retry_;
}

void MqttPublisher::pump() {
    if (!connected_)
        return;
    int mid = 0;
    if (resendStates_) {  // a new connection: "online" first
        if (!send(settings_.prefix + "/status", "online", true, &mid))
            return;
        if (settings_.qos > 0)
            inFlight_[mid] = false;
    }
    std::vector<std::pair<int, bool>> states;
    {
        std::lock_guard lock(mutex_);
        if (resendStates_)
            for (const auto& [address, on] : online_) onlineToSend_.insert(address);
        resendStates_ = false;
        for (int address : onlineToSend_) states.emplace_back(address, online_[address]);
        onlineToSend_.clear();
    }
    for (std::size_t i = 0; i < states.size(); ++i) {
        const auto [address, on] = states[i];
        if (!send(settings_.prefix + "/" + num::formatInt(address) + "/online",
                  on ? "true" : "false", true, &mid)) {
            std::lock_guard lock(mutex_);
            for (std::size_t k = i; k < states.size(); ++k) onlineToSend_.insert(states[k].first);
            return;
        }
        if (settings_.qos > 0)
            inFlight_[mid] = false;
    }
    while (settings_.qos == 0 || inFlight_.size() < kInFlight) {
        Message m;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                break;
            m = std::move(queue_.front());
            queue_.pop_front();
        }
        if (!send(m.topic, m.payload, false, &mid)) {
            std::lock_guard lock(mutex_);
            queue_.push_front(std::move(m));
            return;
        }
        if (settings_.qos > 0) {
            inFlight_[mid] = true;
            ++valuesInFlight_;
        } else {
            ++published_;
        }
    }
    bool ending = false;
    {
        std::lock_guard lock(mutex_);
        ending = finishing_ && queue_.empty();
    }
    if (ending && !statusOfflineSent_) {
        if (!send(settings_.prefix + "/status", "offline", true, &mid))
            return;
        if (settings_.qos > 0)
            inFlight_[mid] = false;
        statusOfflineSent_ = true;
    }
}

void MqttPublisher::loop() {
    for (;;) {
        const auto now = std::chrono::steady_clock::now();
        {
            std::unique_lock lock(mutex_);
            if (quit_ || (finishing_ && now >= finishBy_))
                break;
            if (!connected_ && !connecting_ && now < nextAttempt_) {
                wake_.wait_until(lock,
                                 finishing_ ? std::min(nextAttempt_, finishBy_) : nextAttempt_);
                continue;
            }
        }
        if (!connected_ && !connecting_) {
            const bool first = !everTried_;
            everTried_ = true;
            const int rc = first ? mosquitto_connect_async(client_, settings_.host.c_str(),
                                                           settings_.port, settings_.keepAliveS)
                                 : mosquitto_reconnect_async(client_);
            if (rc != MOSQ_ERR_SUCCESS) {
                failed(reasonOf(rc, errno));
                retryLater();
                continue;
            }
            connecting_ = true;
        }
        pump();
        if (statusOfflineSent_ && inFlight_.empty() && !mosquitto_want_write(client_))
            break;
        const int rc = mosquitto_loop(client_, 10, 1);
        if (rc != MOSQ_ERR_SUCCESS && (connected_ || connecting_)) {
            failed(reasonOf(rc, errno));
            connected_ = false;
            connecting_ = false;
            retryLater();
        }
    }
    if (connected_) {
        mosquitto_disconnect(client_);
        mosquitto_loop(client_, 10, 1);
    }
}

bool isTopicPrefix(const std::string& p) {
    return !p.empty() && p.find_first_of("+#") == std::string::npos && p.front() != '/' &&
           p.back() != '/' && p.find('\0') == std::string::npos;
}

}  // namespace live
