#include "live/MqttPublisher.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include "common/JsonWriter.h"
#include "common/NumberText.h"

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
                ++figures_.dropped;
            }
            queue_.push_back({settings_.prefix + "/" + num::formatInt(r.address) + "/value",
                              valuePayload(r, round.time)});
            ++figures_.queued;
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
    std::lock_guard lock(mutex_);
    Figures f = figures_;
    f.connected = connected_;
    f.waiting = static_cast<long long>(queue_.size());
    for (const auto& [mid, isValue] : inFlight_) f.waiting += isValue ? 1 : 0;
    return f;
}

void MqttPublisher::connected(int rc) {
    std::lock_guard lock(mutex_);
    connecting_ = false;
    if (rc != 0) {
        figures_.lastError = mosquitto_connack_string(rc);
        return;  // the library disconnects; disconnected() plans the next attempt
    }
    connected_ = true;
    retry_ = std::chrono::milliseconds(0);
    ++figures_.connections;
    int mid = 0;
    if (send(settings_.prefix + "/status", "online", true, &mid) && settings_.qos > 0)
        inFlight_[mid] = false;
    for (const auto& [address, on] : online_) onlineToSend_.insert(address);
}

void MqttPublisher::disconnected(int rc) {
    std::lock_guard lock(mutex_);
    if (rc != 0 && (connected_ || connecting_))
        figures_.lastError = mosquitto_strerror(rc);
    if (connected_ || connecting_)
        retryLater();
    connected_ = false;
    connecting_ = false;
}

void MqttPublisher::acknowledged(int mid) {
    std::lock_guard lock(mutex_);
    const auto it = inFlight_.find(mid);
    if (it == inFlight_.end())
        return;
    if (it->second)
        ++figures_.published;
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
    for (auto it = onlineToSend_.begin(); it != onlineToSend_.end();) {
        const std::string topic = settings_.prefix + "/" + num::formatInt(*it) + "/online";
        if (!send(topic, online_[*it] ? "true" : "false", true, &mid))
            return;
        if (settings_.qos > 0)
            inFlight_[mid] = false;
        it = onlineToSend_.erase(it);
    }
    while (!queue_.empty() && (settings_.qos == 0 || inFlight_.size() < kInFlight)) {
        if (!send(queue_.front().topic, queue_.front().payload, false, &mid))
            return;
        if (settings_.qos > 0)
            inFlight_[mid] = true;
        else
            ++figures_.published;
        queue_.pop_front();
    }
    if (finishing_ && queue_.empty() && !statusOfflineSent_) {
        if (!send(settings_.prefix + "/status", "offline", true, &mid))
            return;
        if (settings_.qos > 0)
            inFlight_[mid] = false;
        statusOfflineSent_ = true;
    }
}

void MqttPublisher::loop() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        const auto now = std::chrono::steady_clock::now();
        if (finishing_ && now >= finishBy_)
            break;
        if (!connected_ && !connecting_) {
            if (now < nextAttempt_) {
                wake_.wait_until(lock,
                                 finishing_ ? std::min(nextAttempt_, finishBy_) : nextAttempt_);
                continue;
            }
            const bool first = !everTried_;
            everTried_ = true;
            lock.unlock();
            const int rc = first ? mosquitto_connect_async(client_, settings_.host.c_str(),
                                                           settings_.port, settings_.keepAliveS)
                                 : mosquitto_reconnect_async(client_);
            const int e = errno;
            lock.lock();
            if (rc != MOSQ_ERR_SUCCESS) {
                figures_.lastError = reasonOf(rc, e);
                retryLater();
                continue;
            }
            connecting_ = true;
        }
        pump();
        if (finishing_ && statusOfflineSent_ && inFlight_.empty() && !mosquitto_want_write(client_))
            break;
        lock.unlock();
        const int rc = mosquitto_loop(client_, 10, 1);
        const int e = errno;
        lock.lock();
        if (rc != MOSQ_ERR_SUCCESS && (connected_ || connecting_)) {
            figures_.lastError = reasonOf(rc, e);
            connected_ = false;
            connecting_ = false;
            retryLater();
        }
    }
    const bool wasConnected = connected_;
    lock.unlock();
    if (wasConnected) {
        mosquitto_disconnect(client_);
        mosquitto_loop(client_, 10, 1);
    }
}

}  // namespace live
