#include "link/Bus.h"

#include <algorithm>
#include <optional>
#include <thread>
#include <utility>

#include "link/AnswerMatcher.h"
#include "link/ModbusCrc16.h"

bool ExchangeResult::crcOk() const {
    return complete() && answer.size() >= 3 && crcMatches(answer.data(), answer.size());
}

namespace {

bool isRead(const std::vector<std::uint8_t>& answer) {
    return answer.size() >= 5 && (answer[1] == 0x03 || answer[1] == 0x04);
}

// The registers a read answer asked for: its data bytes between the byte count and the CRC.
std::size_t askedRegisters(const std::vector<std::uint8_t>& answer) {
    return (answer.size() - 5) / 2;
}

// As many as the byte count declares, never more than lie before the CRC.
std::size_t declaredRegisters(const std::vector<std::uint8_t>& answer) {
    return std::min<std::size_t>(answer[2] / 2, askedRegisters(answer));
}

}  // namespace

ExchangeResult::Outcome ExchangeResult::outcome() const {
    if (!status.ok())
        return Outcome::LineFailed;
    if (refused)
        return Outcome::Refused;
    if (received == 0)
        return Outcome::Silent;
    if (!complete())
        return Outcome::Cut;
    if (!crcOk())
        return Outcome::BadCrc;
    if (isRead(answer) && declaredRegisters(answer) < askedRegisters(answer))
        return Outcome::ShortCount;
    return Outcome::Answered;
}

RegisterView ExchangeResult::registers() const& {
    if (!isRead(answer) || outcome() != Outcome::Answered)
        return {};
    return {answer.data() + 3, declaredRegisters(answer)};
}

std::vector<std::uint8_t> buildReadInputRegisters(std::uint8_t address, std::uint16_t start,
                                                  std::uint16_t count) {
    return {address,
            0x04,
            static_cast<std::uint8_t>(start >> 8),
            static_cast<std::uint8_t>(start & 0xFF),
            static_cast<std::uint8_t>(count >> 8),
            static_cast<std::uint8_t>(count & 0xFF)};
}

std::vector<std::uint8_t> buildWriteSingle(std::uint8_t address, std::uint16_t reg,
                                           std::uint16_t value) {
    return {address,
            0x06,
            static_cast<std::uint8_t>(reg >> 8),
            static_cast<std::uint8_t>(reg & 0xFF),
            static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value & 0xFF)};
}

std::vector<std::uint8_t> buildWriteMultiple(std::uint8_t address, std::uint16_t start,
                                             const std::vector<std::uint8_t>& data) {
    const auto count = static_cast<std::uint16_t>(data.size() / 2);
    // Built by appending: GCC 12 at -O3 mistakes an initializer list followed by insert for an
    // out-of-bounds copy.
    std::vector<std::uint8_t> frame;
    frame.reserve(7 + data.size() + 2);
    for (std::uint8_t b :
         {address, std::uint8_t{0x10}, static_cast<std::uint8_t>(start >> 8),
          static_cast<std::uint8_t>(start & 0xFF), static_cast<std::uint8_t>(count >> 8),
          static_cast<std::uint8_t>(count & 0xFF), static_cast<std::uint8_t>(data.size())})
        frame.push_back(b);
    for (std::uint8_t b : data) frame.push_back(b);
    return frame;
}

using SteadyClock = CSerialPort::Clock;

Bus::Bus(Timing timing) : timing_(timing) {
    port_.setTiming(timing_);
}

template <typename Work>
auto Bus::locked(Work&& work) {
    decltype(work()) result{};
    Status said;
    CSerialPort::State before, after;
    std::vector<BusFrame> frames;
    {
        std::lock_guard lock(mutex_);
        before = port_.state();
        result = work();
        after = port_.state();
        state_ = after;
        said = std::exchange(said_, Status());
        frames.swap(frames_);
    }
    if (!frames.empty())
        notifyFrames(frames);
    // The window learns of a hang-up before the operator reads about it.
    if (after != before)
        notifyState(after);
    if (!said.ok() && !said.silent()) {
        StatusListener listener;
        {
            std::lock_guard lock(listenerMutex_);
            listener = listener_;
        }
        if (listener)
            listener(said);
    }
    return result;
}

void Bus::notifyFrames(const std::vector<BusFrame>& frames) {
    {
        std::lock_guard lock(healthMutex_);
        health_.add(frames);
    }
    std::lock_guard lock(observersMutex_);
    for (BusObserver* o : observers_) o->framesSeen(frames);
}

HealthTable Bus::health() const {
    std::lock_guard lock(healthMutex_);
    return health_;
}

void Bus::resetHealth() {
    std::lock_guard lock(healthMutex_);
    health_.clear();
    health_.sinceReset = true;
}

double Bus::msSinceCreated(SteadyClock::time_point t) const {
    return std::chrono::duration<double, std::milli>(t - created_).count();
}

void Bus::noteDropped(const std::vector<std::uint8_t>& bytes, std::uint8_t exchangeAddress) {
    if (!bytes.empty())
        frames_.push_back(makeFrame(msSinceCreated(now()), FrameDirection::Received,
                                    exchangeAddress, bytes.data(), bytes.size(),
                                    FrameOutcome::Discarded, -1.0));
}

void Bus::notifyState(CSerialPort::State state) {
    std::lock_guard lock(observersMutex_);
    for (BusObserver* o : observers_) o->portStateChanged(state);
}

void Bus::addObserver(BusObserver* observer) {
    std::lock_guard lock(observersMutex_);
    observers_.push_back(observer);
}

void Bus::removeObserver(BusObserver* observer) {
    std::lock_guard lock(observersMutex_);
    std::erase(observers_, observer);
}

void Bus::setStatusListener(StatusListener listener) {
    std::lock_guard lock(listenerMutex_);
    listener_ = std::move(listener);
}

Status Bus::Open(const SerialSettings& settings) {
    {
        std::lock_guard lock(healthMutex_);
        health_.clear();
    }
    return locked([&] {
        lateUntil_.clear();
        lastSentEnd_ = {};
        lastSent_.clear();
        lineEchoes_ = false;
        responseTimeoutMs_ = SerialSettings::validResponseTimeout(settings.ResponseTimeoutMs)
                                 ? settings.ResponseTimeoutMs
                                 : SerialSettings::kClassicResponseTimeout;
        return port_.Open(settings);
    });
}

Status Bus::Close() {
    port_.interrupt();  // an exchange waiting for its answer lets go of the lock at once
    return locked([&] {
        lateUntil_.clear();
        return port_.Close();
    });
}

std::string Bus::lastOpenFailure() const {
    std::lock_guard lock(mutex_);
    return port_.lastOpenFailure();
}

int Bus::responseTimeoutMs() const {
    std::lock_guard lock(mutex_);
    return responseTimeoutMs_;
}

Timing Bus::timing() const {
    std::lock_guard lock(timingMutex_);
    return timing_;
}

void Bus::setTiming(const Timing& timing) {
    std::lock_guard lock(mutex_);
    std::lock_guard timingLock(timingMutex_);
    timing_ = timing;
    port_.setTiming(timing);
}

// A port that is not open says so once for the whole exchange, in either state.
Status Bus::portReady() const {
    if (refusing_.load())
        return Status::closed();
    if (!port_.isOpen())
        return Status(Status::Code::NotOpen, CSerialPort::kWriteNotOpen);
    return {};
}

int Bus::send(const std::vector<std::uint8_t>& request) {
    std::vector<std::uint8_t> frame = request;
    appendCrc(frame);
    return locked([&] {
        said_ = portReady();
        if (said_.ok())
            said_ = awaitSilence(frame[0]);
        if (!said_.ok())
            return 0;
        std::vector<std::uint8_t> dropped;
        port_.discardInput(&dropped);
        noteDropped(dropped, frame[0]);
        said_ = port_.Write(frame.data(), static_cast<std::uint32_t>(frame.size()));
        const int ok = said_.ok() ? 1 : 0;
        if (ok)
            noteSent(frame);
        frames_.push_back(makeFrame(msSinceCreated(now()), FrameDirection::Sent, frame[0],
                                    frame.data(), frame.size(),
                                    ok ? FrameOutcome::NotRead : FrameOutcome::Failed, -1.0));
        return ok;
    });
}

ExchangeResult Bus::exchange(const std::vector<std::uint8_t>& request, std::size_t answerLength,
                             int waitMs, int responseTimeoutMs) {
    std::vector<std::uint8_t> frame = request;
    appendCrc(frame);
    return locked([&] {
        ExchangeResult r = exchangeLocked(
            frame, answerLength, waitMs,
            responseTimeoutMs == kOwnResponseTimeout ? responseTimeoutMs_ : responseTimeoutMs);
        said_ = r.status;
        return r;
    });
}

ExchangeResult Bus::exchangeLocked(const std::vector<std::uint8_t>& frame, std::size_t answerLength,
                                   int waitMs, int responseTimeoutMs) {
    const std::uint8_t address = frame.at(0);
    const std::uint8_t function = frame.at(1);
    const auto key = static_cast<std::uint16_t>(address << 8 | function);
    ExchangeResult result;
    result.answer.assign(answerLength, 0);
    result.status = portReady();
    if (result.status.ok())
        result.status = awaitLateAnswers(key);
    if (result.status.ok())
        result.status = awaitSilence(address);
    if (!result.status.ok())
        return result;

    std::vector<std::uint8_t> dropped;
    port_.discardInput(&dropped);
    noteDropped(dropped, address);
    const auto txAt = frames_.size();
    frames_.push_back(makeFrame(msSinceCreated(now()), FrameDirection::Sent, address, frame.data(),
                                frame.size(), FrameOutcome::Failed, -1.0));
    result.status = port_.Write(frame.data(), static_cast<std::uint32_t>(frame.size()));
    if (!result.status.ok())
        return result;  // the status says why; the port is closed
    result.sent = true;
    const auto sent = noteSent(frame);
    frames_[txAt].timeMs = msSinceCreated(sent);
    Window window = answerWindow(sent, frame.size(), answerLength, waitMs, responseTimeoutMs);
    if (!timing_.earlyReturn && responseTimeoutMs == SerialSettings::kClassicResponseTimeout) {
        if (clock_)
            clock_->sleepUntilSteady(now() + timing_.scaled(waitMs), refusingNever_);
        else
            std::this_thread::sleep_for(timing_.scaled(waitMs));
        window.deadline = now() + timing_.readTimeout(answerLength);
    }

    AnswerMatcher match(address, function, answerLength);
    // The echo of our request, when the line gives one, is not the answer: it neither starts the
    // answer's wait nor is looked at by the matcher. A request whose answer has its very shape
    // (0x06) is taken for an echo only once the line has shown that it echoes.
    const bool echoMayBeAnswer = answerLength == frame.size();
    std::size_t echoLength = 0;
    bool echoKnown = false;
    std::vector<std::uint8_t> rx;    // everything off the line
    std::vector<std::uint8_t> body;  // what follows the echo
    std::optional<SteadyClock::time_point> answerBegan;
    // How much had arrived after each chunk, and when: the arrival of each received frame.
    std::vector<std::pair<std::size_t, SteadyClock::time_point>> arrivals;
    const auto wire = [&](std::size_t n) {
        return Timing::wireTime(n, port_.baudRate(), port_.bitsPerCharacter());
    };
    const SteadyClock::duration pieceGap =
        std::max<SteadyClock::duration>(Timing::kPieceGap, 2 * wire(1));
    const SteadyClock::duration quietEnd =
        responseTimeoutMs == SerialSettings::kClassicResponseTimeout
            ? pieceGap
            : std::max<SteadyClock::duration>(pieceGap,
                                              std::chrono::milliseconds(responseTimeoutMs));
    result.status = port_.readUntil(rx, [&](const std::vector<std::uint8_t>& r) {
        const auto now = this->now();
        if (r.size() > (arrivals.empty() ? 0 : arrivals.back().first))
            arrivals.emplace_back(r.size(), now);
        if (!echoKnown) {
            const std::size_t n = std::min(r.size(), frame.size());
            const bool same =
                std::equal(r.begin(), r.begin() + static_cast<std::ptrdiff_t>(n), frame.begin());
            if (!same || (echoMayBeAnswer && !lineEchoes_)) {
                echoKnown = !r.empty();
            } else if (r.size() >= frame.size()) {
                echoKnown = true;
                echoLength = frame.size();
                lineEchoes_ = true;
                // The echo shows when the request really left the adapter: the answer's wait
                // counts from it.
                const auto from =
                    now + (responseTimeoutMs == SerialSettings::kClassicResponseTimeout
                               ? SteadyClock::duration::zero()
                               : std::chrono::milliseconds(responseTimeoutMs));
                window.silentAfter = std::max(window.silentAfter, from + wire(1));
                window.deadline = std::max(window.deadline, from + wire(answerLength));
            } else if (!r.empty()) {
                // An echo coming in pieces: waited for while its pieces keep coming.
                return CSerialPort::ReadWait{false,
                                             std::max(std::min(window.deadline, window.silentAfter),
                                                      port_.lastByteAt() + quietEnd)};
            }
        }
        if (echoKnown && r.size() > echoLength + body.size())
            body.insert(body.end(),
                        r.begin() + static_cast<std::ptrdiff_t>(echoLength + body.size()), r.end());
        if (match.feed(body))
            return CSerialPort::ReadWait{true, now};
        if (body.empty())
            return CSerialPort::ReadWait{false, std::min(window.deadline, window.silentAfter)};
        const auto candidate = match.firstCandidate();
        if (candidate && !answerBegan)
            answerBegan = now;
        // An answer that has begun is read to its end at the line's pace while its pieces keep
        // coming, however the adapter hands them over. Once as many bytes as a whole answer
        // have come since it began, or its wire time and the trickle allowance have passed, it
        // gets nothing more: bytes that keep coming cannot hold the bus.
        if (!candidate || body.size() - *candidate >= answerLength)
            return CSerialPort::ReadWait{false, window.deadline};
        const SteadyClock::time_point cap =
            *answerBegan + wire(answerLength) +
            static_cast<long>(answerLength) * Timing::kTricklePerByte;
        const SteadyClock::time_point pieces = std::min(cap, port_.lastByteAt() + quietEnd);
        return CSerialPort::ReadWait{false, std::max(window.deadline, pieces)};
    });
    lastExchangeEnd_ = now();
    if (echoLength > 0)
        frames_.push_back(makeFrame(msSinceCreated(arrivals.front().second),
                                    FrameDirection::Received, address, rx.data(), echoLength,
                                    FrameOutcome::Discarded, -1.0));
    BusFrame& tx = frames_[txAt];
    tx.latencyMs = std::chrono::duration<double, std::milli>(lastExchangeEnd_ - sent).count();
    tx.outcome = !result.status.ok() ? FrameOutcome::Failed
                 : match.refused()   ? FrameOutcome::Refused
                 : match.found()     ? FrameOutcome::Answer
                                     : FrameOutcome::Timeout;
    for (auto& a : arrivals) a.first -= std::min(a.first, echoLength);
    noteReceived(body, match, address, answerLength, sent, arrivals);
    if (match.refused()) {
        result.refused = true;
        result.exceptionCode = body[match.start() + 2];
    } else if (match.found() || match.firstCandidate()) {
        const std::size_t start = match.found() ? match.start() : *match.firstCandidate();
        const std::size_t n = std::min(answerLength, body.size() - start);
        std::copy_n(body.begin() + static_cast<std::ptrdiff_t>(start), n, result.answer.begin());
        result.received = n;
    }
    // Only an address that sent nothing of its own may still answer late.
    if (result.status.ok() && !match.found() && result.received == 0)
        lateUntil_[key] = lastExchangeEnd_ + 2 * timing_.classicWindow(waitMs, answerLength);
    return result;
}

SteadyClock::time_point Bus::noteSent(const std::vector<std::uint8_t>& frame) {
    const auto sent = now();
    lastSentEnd_ =
        sent + Timing::wireTime(frame.size(), port_.baudRate(), port_.bitsPerCharacter());
    lastSent_ = frame;
    return sent;
}

// The received bytes as frames: the answer (or refusal, or the asked device's frame that did not
// check) and whatever was skipped before and after it.
void Bus::noteReceived(
    const std::vector<std::uint8_t>& rx, const AnswerMatcher& match, std::uint8_t address,
    std::size_t answerLength, SteadyClock::time_point sent,
    const std::vector<std::pair<std::size_t, SteadyClock::time_point>>& arrivals) {
    auto segment = [&](std::size_t from, std::size_t to, FrameOutcome outcome) {
        to = std::min(to, rx.size());
        if (from >= to)
            return;
        auto at = std::find_if(arrivals.begin(), arrivals.end(),
                               [to](const auto& a) { return a.first >= to; });
        const auto when = at != arrivals.end() ? at->second : now();
        frames_.push_back(makeFrame(
            msSinceCreated(when), FrameDirection::Received, address, rx.data() + from, to - from,
            outcome, std::chrono::duration<double, std::milli>(when - sent).count()));
    };
    if (match.found()) {
        const std::size_t start = match.start();
        const std::size_t end =
            start + (match.refused() ? AnswerMatcher::kRefusalLength : answerLength);
        segment(0, start, FrameOutcome::Foreign);
        segment(start, end, match.refused() ? FrameOutcome::Refused : FrameOutcome::Answer);
        segment(end, rx.size(), FrameOutcome::Foreign);
    } else if (const auto candidate = match.firstCandidate()) {
        segment(0, *candidate, FrameOutcome::Foreign);
        segment(*candidate, rx.size(), FrameOutcome::Timeout);
    } else {
        segment(0, rx.size(), FrameOutcome::Foreign);
    }
}

// A late answer could still come until the horizon set at the miss; bytes meanwhile are dropped.
// Once the horizon has passed (a whole scan later, say), nothing is waited for.
Status Bus::awaitLateAnswers(std::uint16_t key) {
    const auto it = lateUntil_.find(key);
    if (it == lateUntil_.end())
        return {};
    const auto until = it->second;
    lateUntil_.erase(it);
    if (now() >= until)
        return {};
    std::vector<std::uint8_t> dropped;
    Status s = port_.readUntil(dropped, [until](const std::vector<std::uint8_t>&) {
        return CSerialPort::ReadWait{false, until};
    });
    noteDropped(dropped, static_cast<std::uint8_t>(key >> 8));
    return s;
}

// Devices take a request only after the line has been quiet for the inter-frame silence since
// its last byte, ours or theirs. Bytes that come meanwhile are dropped and start it again; a line
// that never falls quiet gets the request after two silences all the same.
Status Bus::awaitSilence(std::uint8_t address) {
    const auto silence = port_.interFrameSilence();
    const auto now = this->now();
    auto since = std::max(port_.lastByteAt(), lastSentEnd_);
    std::vector<std::uint8_t> dropped;
    if (port_.inputWaiting() > 0) {
        // When these bytes came is unknown: the silence starts now.
        port_.discardInput(&dropped);
        since = now;
    }
    // `since` may lie ahead: our request is still on the line.
    Status s =
        port_.discardUntilQuiet(silence, since, std::max(since, now) + 2 * silence, &dropped);
    // The echo of a request whose answer was not read shows the line echoes.
    if (!lastSent_.empty() && dropped.size() >= lastSent_.size() &&
        std::equal(lastSent_.begin(), lastSent_.end(), dropped.begin()))
        lineEchoes_ = true;
    lastSent_.clear();
    noteDropped(dropped, address);
    return s;
}

Bus::Window Bus::answerWindow(SteadyClock::time_point sent, std::size_t requestLength,
                              std::size_t answerLength, int waitMs, int responseTimeoutMs) const {
    if (responseTimeoutMs == SerialSettings::kClassicResponseTimeout)
        return {sent + timing_.classicWindow(waitMs, answerLength)};
    const auto wire = [&](std::size_t n) {
        return Timing::wireTime(n, port_.baudRate(), port_.bitsPerCharacter());
    };
    const auto endOfRequest = sent + wire(requestLength);
    const auto n = std::chrono::milliseconds(responseTimeoutMs);
    return {endOfRequest + wire(answerLength) + n, endOfRequest + n + wire(1)};
}

ExchangeResult Bus::readInputRegisters(std::uint8_t address, std::uint16_t start,
                                       std::uint16_t count, int waitMs, int responseTimeoutMs) {
    return exchange(buildReadInputRegisters(address, start, count), 5 + 2 * std::size_t{count},
                    waitMs, responseTimeoutMs);
}

ExchangeResult Bus::writeRegisters(std::uint8_t address, std::uint16_t start,
                                   const std::vector<std::uint8_t>& data, int waitMs) {
    return exchange(buildWriteMultiple(address, start, data), 8, waitMs);
}

void Bus::refuseNewExchanges(bool on) {
    refusing_ = on;
}

void Bus::attachLine(std::shared_ptr<InProcessLine> line, std::shared_ptr<Clock> clock) {
    std::lock_guard lock(mutex_);
    clock_ = clock;
    created_ = clock->steadyNow();
    port_.attachLine(std::move(line), std::move(clock));
}

bool Bus::pause(int ms, const std::atomic<int>* cancel) const {
    if (clock_) {
        // In steps, as below: a cancel from another thread is seen at the next one.
        const auto until = now() + timing().scaled(ms);
        while (now() < until) {
            if ((cancel && cancel->load()) || refusing_.load())
                return false;
            clock_->sleepUntilSteady(std::min(until, now() + std::chrono::milliseconds(20)),
                                     refusingNever_);
        }
        return !(cancel && cancel->load()) && !refusing_.load();
    }
    const auto until = std::chrono::steady_clock::now() + timing().scaled(ms);
    while (std::chrono::steady_clock::now() < until) {
        if ((cancel && cancel->load()) || refusing_.load())
            return false;
        const auto step = std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(20), until - std::chrono::steady_clock::now());
        if (step.count() > 0)
            std::this_thread::sleep_for(step);
    }
    return !(cancel && cancel->load()) && !refusing_.load();
}
