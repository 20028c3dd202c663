#include "sim/SimBus.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>

#include "base/NumberText.h"
#include "link/DeviceAddress.h"
#include "link/RegisterMap.h"
#include "link/Timing.h"
#include "sim/SimCodec.h"

namespace {

// Length of the request that starts `buf`, or 0 when it cannot be known yet.
std::size_t requestLength(const std::vector<std::uint8_t>& buf) {
    if (buf.size() < 2)
        return 0;
    switch (buf[1]) {
        case 0x03:
        case 0x04:
        case 0x06:
            return 8;
        case 0x10:
            return buf.size() < 7 ? 0 : 9 + std::size_t{buf[6]};
        default:
            return 0;
    }
}

}  // namespace

std::optional<std::vector<int>> parseAddressList(const std::string& text) {
    std::vector<int> out;
    std::set<int> seen;
    std::stringstream ss(text);
    std::string item;
    while (std::getline(ss, item, ',')) {
        if (item.empty() || item.size() > 2 ||
            !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return std::nullopt;
        const int a = std::stoi(item);
        if (!device_address::isDevice(a) || !seen.insert(a).second)
            return std::nullopt;
        out.push_back(a);
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

bool parseFault(const std::string& text, std::map<int, SimFaults>& all) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return false;
    const auto a =
        num::parseInteger(text.substr(0, colon), device_address::kFirst, device_address::kLast);
    if (!a)
        return false;
    const std::string spec = text.substr(colon + 1);
    const auto equals = spec.find('=');
    const std::string kind = spec.substr(0, equals);
    std::optional<long long> ms;
    if (equals != std::string::npos) {
        ms = num::parseInteger(spec.substr(equals + 1), 1, kind == "exception" ? 255 : 600000);
        if (!ms)
            return false;
    }
    const bool timed = kind == "late" || kind == "stream" || kind == "exception";
    if (timed != ms.has_value())
        return false;
    SimFaults faults = all.count(static_cast<int>(*a)) ? all[static_cast<int>(*a)] : SimFaults{};
    if (kind == "silent")
        faults.silent = true;
    else if (kind == "bad-crc")
        faults.badCrc = true;
    else if (kind == "short")
        faults.shortAnswer = true;
    else if (kind == "garbage")
        faults.garbage = true;
    else if (kind == "refuse")
        faults.refuse = true;
    else if (kind == "ignore-writes")
        faults.ignoreWrites = true;
    else if (kind == "late")
        faults.lateMs = static_cast<int>(*ms);
    else if (kind == "stream")
        faults.streamMs = static_cast<int>(*ms);
    else if (kind == "exception")
        faults.exceptionCode = static_cast<int>(*ms);
    else
        return false;
    all[static_cast<int>(*a)] = faults;
    return true;
}

class SimBus::Line : public InProcessLine {
public:
    Line(SimBus* owner, std::string name) : owner_(owner), name_(std::move(name)) {}
    const std::string& name() const override { return name_; }
    bool present() const override {
        std::lock_guard lock(mutex_);
        return owner_ && owner_->running_;
    }
    bool write(const std::uint8_t* data, std::size_t n, TimePoint at) override {
        std::lock_guard lock(mutex_);
        return owner_ && owner_->lineWrite(data, n, at);
    }
    bool read(std::vector<std::uint8_t>& out, std::size_t max, TimePoint now) override {
        std::lock_guard lock(mutex_);
        return owner_ && owner_->lineRead(out, max, now);
    }
    std::size_t waiting(TimePoint now) override {
        std::lock_guard lock(mutex_);
        return owner_ ? owner_->lineWaiting(now) : 0;
    }
    TimePoint nextEvent(TimePoint now) override {
        std::lock_guard lock(mutex_);
        return owner_ ? owner_->lineNextEvent(now) : now;
    }
    // The simulator is gone: the line stays hung up.
    void orphan() {
        std::lock_guard lock(mutex_);
        owner_ = nullptr;
    }

private:
    mutable std::mutex mutex_;
    SimBus* owner_;
    const std::string name_;
};

SimBus::SimBus(Options options) : options_(std::move(options)) {
    for (int a : options_.addresses)
        devices_.push_back(std::make_unique<SimDevice>(static_cast<std::uint8_t>(a)));
    started_ = now();
    if (options_.clock) {
        static std::atomic<int> lines{0};
        portPath_ = "in-process:" + std::to_string(++lines);
        line_ = std::make_shared<Line>(this, portPath_);
        rng_.seed(options_.seed);
        writerFree_ = lineFree_ = lastHanded_ = started_;
        running_ = true;
        return;
    }

    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        throw std::runtime_error(std::string("cannot open a pseudo-terminal: ") +
                                 std::strerror(errno));
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0)
        throw std::runtime_error("cannot name the pseudo-terminal");
    portPath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Holding the terminal open keeps the master readable while no program has the port open,
    // and raw mode from the start keeps the line discipline away from binary frames.
    slaveKeeper_ = ::open(portPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeeper_ >= 0) {
        termios tio{};
        if (::tcgetattr(slaveKeeper_, &tio) == 0) {
            cfmakeraw(&tio);
            ::tcsetattr(slaveKeeper_, TCSANOW, &tio);
        }
    }
    if (!options_.linkPath.empty()) {
        std::error_code ec;
        std::filesystem::remove(options_.linkPath, ec);
        std::filesystem::create_symlink(portPath_, options_.linkPath, ec);
        if (ec)
            throw std::runtime_error("cannot create the link " + options_.linkPath);
    }
    running_ = true;
    reader_ = std::thread([this] { readLoop(); });
    writer_ = std::thread([this] { writeLoop(); });
}

SimBus::~SimBus() {
    hangUp();
    if (line_)
        static_cast<Line*>(line_.get())->orphan();
    if (!options_.linkPath.empty()) {
        std::error_code ec;
        if (std::filesystem::is_symlink(options_.linkPath, ec))
            std::filesystem::remove(options_.linkPath, ec);
    }
}

std::chrono::microseconds SimBus::byteTime() const {
    return std::chrono::microseconds(10'000'000LL / std::max(1, options_.baud));
}

double SimBus::secondsSinceStart() const {
    return std::chrono::duration<double>(now() - started_).count();
}

std::chrono::steady_clock::time_point SimBus::now() const {
    return options_.clock ? options_.clock->steadyNow() : std::chrono::steady_clock::now();
}

// A frame ends with 3.5 characters of silence; a shorter gap never splits one here.
std::chrono::microseconds SimBus::fragmentGap() const {
    return std::max<std::chrono::microseconds>(byteTime() * 4, std::chrono::milliseconds(20));
}

SimDevice* SimBus::find(int address) {
    for (auto& d : devices_)
        if (d->address() == address)
            return d.get();
    return nullptr;
}

const SimDevice* SimBus::find(int address) const {
    for (const auto& d : devices_)
        if (d->address() == address)
            return d.get();
    return nullptr;
}

std::optional<std::vector<std::uint8_t>> SimBus::takeRequest(std::vector<std::uint8_t>& buf) {
    const std::size_t len = requestLength(buf);
    if (len == 0 || buf.size() < len)
        return std::nullopt;
    std::vector<std::uint8_t> frame(buf.begin(), buf.begin() + static_cast<long>(len));
    buf.erase(buf.begin(), buf.begin() + static_cast<long>(len));
    return frame;
}

bool SimBus::hangUpDue() const {
    std::lock_guard lock(mutex_);
    return hangUpAt_ != 0 && framesSeen_ >= hangUpAt_;
}

void SimBus::readLoop() {
    std::vector<std::uint8_t> buf;
    auto lastByte = std::chrono::steady_clock::now();
    const auto gap = fragmentGap();
    while (!stopping_) {
        pollfd p{master_, POLLIN, 0};
        const int r = ::poll(&p, 1, 5);
        if (stopping_)
            break;
        const auto now = std::chrono::steady_clock::now();
        if (r > 0 && (p.revents & POLLIN)) {
            std::uint8_t chunk[512];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n > 0) {
                buf.insert(buf.end(), chunk, chunk + n);
                lastByte = now;
                if (options_.echo) {
                    std::lock_guard lock(queueMutex_);
                    queue_.push({now, seq_++, std::vector<std::uint8_t>(chunk, chunk + n), true});
                    queueCv_.notify_all();
                }
            }
        }
        // Take every complete request off the front of the buffer.
        while (const auto frame = takeRequest(buf)) {
            handleFrame(*frame, lastByte);
            if (hangUpDue()) {
                closeLine();
                return;
            }
        }
        if (!buf.empty() && now - lastByte > gap)
            buf.clear();  // a fragment: silence
    }
}

void SimBus::handleFrame(const std::vector<std::uint8_t>& frame,
                         std::chrono::steady_clock::time_point arrived) {
    const bool crcOk = simcodec::crcMatches(frame.data(), frame.size());
    bool collided = false;
    bool tooSoon = false;
    // The request occupied the line for its own wire time before the device could answer; it
    // began when it came in, or when the one before it ended if they came together.
    auto begun = arrived;
    {
        std::lock_guard lock(queueMutex_);
        collided = arrived < answersEnd_;
        begun = std::max(arrived, requestsEnd_);
        const auto lastOnLine =
            std::max(requestsEnd_, std::chrono::steady_clock::time_point(
                                       std::chrono::steady_clock::duration(lineBusyUntil_.load())));
        // This end sees a request only once it has read it, up to a scheduling delay later than
        // it was written: half a silence (at most 1 ms) is allowed for that. A master that keeps
        // no silence starts within microseconds.
        const auto silence = Timing::interFrameSilence(options_.baud, 10);
        const auto allowance =
            std::min<std::chrono::microseconds>(silence / 2, std::chrono::milliseconds(1));
        tooSoon = options_.strictSilence && begun - lastOnLine < silence - allowance;
        requestsEnd_ = begun + byteTime() * static_cast<long>(frame.size());
    }
    std::vector<std::vector<std::uint8_t>> answers;
    std::vector<std::chrono::microseconds> delays;
    {
        std::lock_guard lock(mutex_);
        frames_.push_back({frame, crcOk, collided, tooSoon});
        ++framesSeen_;
        if (!crcOk || tooSoon)
            return;
        const bool broadcast = frame[0] == 0x7F;
        const double t = secondsSinceStart();
        for (auto& d : devices_) {
            if (!broadcast && d->address() != frame[0])
                continue;
            d->refreshReadings(frame, applied_, t);
            const int before = d->address();
            SimFaults f;
            if (auto it = faults_.find(before); it != faults_.end())
                f = it->second;
            d->setIgnoresWrites(f.ignoreWrites);
            auto answer = d->handle(frame, broadcast);
            if (!answer)
                continue;
            const int given = ++answersGiven_[before];
            if (f.silent)
                continue;
            if (f.refuse || f.exceptionCode > 0) {
                *answer = {static_cast<std::uint8_t>(before),
                           static_cast<std::uint8_t>(frame[1] | 0x80),
                           static_cast<std::uint8_t>(f.exceptionCode > 0 ? f.exceptionCode : 0x04)};
                simcodec::appendCrc(*answer);
            }
            if (f.shortCount && answer->size() >= 7 && ((*answer)[1] & 0x7F) == 0x04) {
                (*answer)[2] = static_cast<std::uint8_t>((*answer)[2] - 2);
                answer->resize(answer->size() - 2);
                simcodec::appendCrc(*answer);
            }
            if (f.badCrc)
                answer->back() ^= 0x5A;
            if (f.shortAnswer)
                answer->resize(answer->size() / 2);
            if (f.garbage)
                *answer = {0xFF, 0x00, 0xA5, 0x5A, 0x13};
            if (f.streamMs > 0) {
                const auto n = static_cast<std::size_t>(
                    std::chrono::microseconds(f.streamMs * 1000LL) / byteTime());
                // Its own address and function every seven bytes: a master that looks for its
                // answer finds a candidate, never one with a good CRC.
                const std::uint8_t cycle[] = {
                    static_cast<std::uint8_t>(before), frame[1], 0xA5, 0x5A, 0xFF, 0x00, 0x13};
                answer->clear();
                for (std::size_t i = 0; i < n; ++i) answer->push_back(cycle[i % sizeof cycle]);
            }
            const bool late = f.lateMs > 0 && (given - 1) % std::max(1, f.lateEvery) == 0;
            answers.push_back(std::move(*answer));
            delays.push_back(std::chrono::microseconds(
                static_cast<long long>((options_.latencyMs + (late ? f.lateMs : 0)) * 1000.0)));
        }
    }
    const auto requestDone = begun + byteTime() * static_cast<long>(frame.size());
    std::lock_guard lock(queueMutex_);
    for (std::size_t i = 0; i < answers.size(); ++i) {
        const auto start = requestDone + delays[i];
        answersEnd_ =
            std::max(answersEnd_, start + byteTime() * static_cast<long>(answers[i].size()));
        queue_.push({start, seq_++, std::move(answers[i])});
    }
    queueCv_.notify_all();
}

std::size_t SimBus::nextPiece(std::size_t left, std::chrono::steady_clock::time_point& t,
                              std::chrono::steady_clock::time_point& handed,
                              std::chrono::steady_clock::time_point lastHanded,
                              std::minstd_rand& rng) const {
    const std::size_t k = options_.chunks ? std::min<std::size_t>(left, 1 + rng() % 8) : 1;
    t += byteTime() * static_cast<long>(k);
    handed = t;
    if (options_.chunks)
        handed = std::max(t, lastHanded + std::chrono::milliseconds(1 + rng() % 16));
    return k;
}

void SimBus::writeLoop() {
    auto lineFree = std::chrono::steady_clock::now();
    auto lastHanded = lineFree;
    std::minstd_rand rng(options_.seed);
    std::unique_lock lock(queueMutex_);
    while (!stopping_) {
        if (queue_.empty()) {
            queueCv_.wait(lock);
            continue;
        }
        const auto at = queue_.top().at;
        if (std::chrono::steady_clock::now() < at) {
            queueCv_.wait_until(lock, at);
            continue;
        }
        Scheduled s = queue_.top();
        queue_.pop();
        lock.unlock();
        // One answer at a time on the line; a byte is handed over once its last bit is sent,
        // or with the piece it belongs to.
        auto t = std::max(s.at, lineFree);
        auto handed = t;
        for (std::size_t i = 0; i < s.bytes.size() && !stopping_;) {
            const std::size_t k = nextPiece(s.bytes.size() - i, t, handed, lastHanded, rng);
            if (!s.echo)
                lineBusyUntil_ = t.time_since_epoch().count();
            std::this_thread::sleep_until(handed);
            lastHanded = handed;
            std::lock_guard line(lineMutex_);
            if (master_ >= 0 && running_) [[maybe_unused]]
                auto w = ::write(master_, s.bytes.data() + i, k);
            i += k;
        }
        if (!s.echo && handed > t)
            handoverUs_ +=
                std::chrono::duration_cast<std::chrono::microseconds>(handed - t).count();
        lineFree = t;
        lock.lock();
    }
}

bool SimBus::lineWrite(const std::uint8_t* data, std::size_t n,
                       std::chrono::steady_clock::time_point at) {
    std::lock_guard line(lineMutex_);
    if (gone_)
        return false;
    commitUpTo(at);
    if (options_.echo) {
        std::lock_guard lock(queueMutex_);
        queue_.push({at, seq_++, std::vector<std::uint8_t>(data, data + n), true});
    }
    if (!inBuf_.empty() && at - inLastByte_ > fragmentGap())
        inBuf_.clear();  // a fragment: silence
    inBuf_.insert(inBuf_.end(), data, data + n);
    inLastByte_ = at;
    while (const auto frame = takeRequest(inBuf_)) {
        // What the writer thread would have begun to send by now.
        auto busy = busyRead_;
        for (const Piece& p : timeline_) {
            if (p.begun > at)
                break;
            if (!p.echo)
                busy = std::max(busy, p.sent);
        }
        lineBusyUntil_ = busy.time_since_epoch().count();
        handleFrame(*frame, at);
        if (hangUpDue()) {
            gone_ = true;
            running_ = false;
            break;
        }
    }
    return true;  // the request went out; a hang-up shows at the next look
}

void SimBus::commitUpTo(std::chrono::steady_clock::time_point now) {
    std::lock_guard lock(queueMutex_);
    while (!queue_.empty()) {
        const auto begun = std::max(queue_.top().at, writerFree_);
        if (begun > now)
            break;
        Scheduled s = queue_.top();
        queue_.pop();
        auto t = std::max(s.at, lineFree_);
        auto handed = t;
        auto pieceBegun = begun;
        for (std::size_t i = 0; i < s.bytes.size();) {
            const std::size_t k = nextPiece(s.bytes.size() - i, t, handed, lastHanded_, rng_);
            timeline_.push_back({handed, t, pieceBegun, k, s.echo});
            timelineBytes_.insert(timelineBytes_.end(), s.bytes.begin() + static_cast<long>(i),
                                  s.bytes.begin() + static_cast<long>(i + k));
            pieceBegun = handed;
            lastHanded_ = handed;
            i += k;
        }
        if (!s.echo && handed > t)
            handoverUs_ +=
                std::chrono::duration_cast<std::chrono::microseconds>(handed - t).count();
        lineFree_ = t;
        writerFree_ = handed;
    }
}

bool SimBus::lineRead(std::vector<std::uint8_t>& out, std::size_t max,
                      std::chrono::steady_clock::time_point now) {
    std::lock_guard line(lineMutex_);
    if (gone_)
        return false;
    commitUpTo(now);
    std::size_t taken = 0;
    while (!timeline_.empty() && timeline_.front().handed <= now &&
           (taken == 0 || taken + timeline_.front().count <= max)) {
        const Piece p = timeline_.front();
        timeline_.pop_front();
        out.insert(out.end(), timelineBytes_.begin(),
                   timelineBytes_.begin() + static_cast<long>(p.count));
        timelineBytes_.erase(timelineBytes_.begin(),
                             timelineBytes_.begin() + static_cast<long>(p.count));
        taken += p.count;
        if (!p.echo)
            busyRead_ = std::max(busyRead_, p.sent);
    }
    return true;
}

std::size_t SimBus::lineWaiting(std::chrono::steady_clock::time_point now) {
    std::lock_guard line(lineMutex_);
    if (gone_)
        return 0;
    commitUpTo(now);
    std::size_t n = 0;
    for (const Piece& p : timeline_) {
        if (p.handed > now)
            break;
        n += p.count;
    }
    return n;
}

std::chrono::steady_clock::time_point SimBus::lineNextEvent(
    std::chrono::steady_clock::time_point now) {
    std::lock_guard line(lineMutex_);
    if (gone_)
        return now;
    commitUpTo(now);
    if (!timeline_.empty())
        return timeline_.front().handed;
    std::lock_guard lock(queueMutex_);
    // The writer begins the next answer then; its first byte comes a little later.
    return queue_.empty() ? std::chrono::steady_clock::time_point::max()
                          : std::max(queue_.top().at, writerFree_);
}

void SimBus::setAppliedPressure(double value) {
    std::lock_guard lock(mutex_);
    applied_ = value;
}

void SimBus::setFaults(int address, const SimFaults& faults) {
    std::lock_guard lock(mutex_);
    faults_[address] = faults;
}

void SimBus::setCountingReads(int address, bool on) {
    std::lock_guard lock(mutex_);
    if (auto* d = find(address))
        d->setCountingReads(on);
}

void SimBus::hangUpAfter(std::size_t frames) {
    std::lock_guard lock(mutex_);
    hangUpAt_ = framesSeen_ + frames;
}

// The master end goes, so the terminal's user sees the line hang up. From the reader thread, or
// once both threads have ended.
void SimBus::closeLine() {
    std::lock_guard line(lineMutex_);
    running_ = false;
    gone_ = true;
    timeline_.clear();
    timelineBytes_.clear();
    if (slaveKeeper_ >= 0)
        ::close(slaveKeeper_);
    slaveKeeper_ = -1;
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

void SimBus::setGainOffset(int address, double gain, double offset) {
    std::lock_guard lock(mutex_);
    if (auto* d = find(address))
        d->setGainOffset(gain, offset);
}

void SimBus::hangUp() {
    running_ = false;
    {
        // Under the queue's lock, so the writer cannot miss the wake-up between its check and
        // its wait.
        std::lock_guard lock(queueMutex_);
        stopping_ = true;
    }
    queueCv_.notify_all();
    if (reader_.joinable())
        reader_.join();
    if (writer_.joinable())
        writer_.join();
    closeLine();
}

std::vector<SimBus::ReceivedFrame> SimBus::framesReceived() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

void SimBus::clearFramesReceived() {
    std::lock_guard lock(mutex_);
    frames_.clear();
}

std::optional<std::uint16_t> SimBus::reg(int address, int r) const {
    std::lock_guard lock(mutex_);
    if (const auto* d = find(address))
        return d->reg(r);
    return std::nullopt;
}

void SimBus::setReg(int address, int r, std::uint16_t value) {
    std::lock_guard lock(mutex_);
    if (auto* d = find(address))
        d->setReg(r, value);
}

std::optional<std::uint16_t> SimBus::measuredValue(int address) const {
    std::lock_guard lock(mutex_);
    if (const auto* d = find(address))
        return d->measuredValue(applied_, secondsSinceStart());
    return std::nullopt;
}

std::optional<std::pair<float, float>> SimBus::coefficients(int address) const {
    std::lock_guard lock(mutex_);
    if (const auto* d = find(address))
        return std::make_pair(d->coefficientK(), d->coefficientB());
    return std::nullopt;
}

std::vector<int> SimBus::addresses() const {
    std::lock_guard lock(mutex_);
    std::vector<int> out;
    for (const auto& d : devices_) out.push_back(d->address());
    return out;
}
