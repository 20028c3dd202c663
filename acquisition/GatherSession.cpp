#include "acquisition/GatherSession.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "acquisition/RecordFile.h"
#include "acquisition/RecordImport.h"
#include "base/NumberText.h"
#include "base/Paths.h"
#include "base/ProgressTexts.h"
#include "base/Texts.h"
#include "link/LineFaults.h"
#include "link/RegisterMap.h"

namespace {
constexpr std::uint16_t kMeasuredValueRegister = 23;
constexpr std::string_view kNoDevice =
    KORV_TR_NOOP("Core", "No device, you can not search the data!");

long long minutesBetween(Clock::TimePoint from, Clock::TimePoint to) {
    return std::chrono::duration_cast<std::chrono::seconds>(to - from).count() / 60;
}

// "10:40:00", or "12-09 10:40:00" on another day than `today`.
std::string clockText(Clock::TimePoint t, const std::tm& today) {
    const std::tm l = Clock::localTime(t);
    char buf[32];
    if (l.tm_year != today.tm_year || l.tm_yday != today.tm_yday)
        std::snprintf(buf, sizeof buf, "%02d-%02d %02d:%02d:%02d", l.tm_mon + 1, l.tm_mday,
                      l.tm_hour, l.tm_min, l.tm_sec);
    else
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", l.tm_hour, l.tm_min, l.tm_sec);
    return buf;
}
}  // namespace

Message samplesWrittenText(int taken, int planned) {
    return compose(texts::kSamplesWritten, {Message::verbatim(num::formatInt(taken)),
                                            Message::verbatim(num::formatInt(planned))});
}

Message deviceSilentMessage(int misses) {
    return compose(texts::kDeviceSilent, {Message::verbatim(num::formatInt(misses))});
}

GatherSession::Check GatherSession::checkReservation(Clock::TimePoint start, Clock::TimePoint end,
                                                     std::string_view intervalText,
                                                     Clock::TimePoint now) {
    const auto interval = num::leadingInteger(intervalText);
    // A negative interval is refused like 0: no timer may run with a period that is not positive.
    if (!interval || *interval <= 0)
        return {std::nullopt, KORV_TR_NOOP("Core", "Time Interval can not be empty")};
    long long minutes = minutesBetween(start, end);
    if (minutes < 1)
        return {std::nullopt,
                KORV_TR_NOOP("Core", "End time setting can not be lower than the start time")};
    // A start minute already over: sampling begins now and still ends before the end.
    const auto nowMinute = std::chrono::floor<std::chrono::minutes>(now);
    if (nowMinute > std::chrono::floor<std::chrono::minutes>(start)) {
        if (end <= now)
            return {std::nullopt, std::string(kEndPassedMessage)};
        minutes = minutesBetween(nowMinute, end);
    }
    return {static_cast<int>(std::min<long long>(minutes / *interval, INT_MAX)), {}};
}

GatherSession::Check GatherSession::checkImmediate(std::string_view intervalText,
                                                   std::string_view durationText) {
    const auto interval = num::leadingInteger(intervalText);
    const auto hours = num::leadingInteger(durationText);
    if (!interval || !hours || *interval <= 0)
        return {std::nullopt, KORV_TR_NOOP("Core", "Time Interval or duration can not be empty")};
    const long long minutes = *hours * 60;
    if (minutes < *interval)
        return {std::nullopt,
                KORV_TR_NOOP("Core", "Duration time can not be less than the interval")};
    return {static_cast<int>(std::min<long long>(minutes / *interval, INT_MAX)), {}};
}

GatherSession::GatherSession(AppContext& ctx) : ctx_(ctx) {}

GatherSession::~GatherSession() {
    cancel();
    worker_.join();
}

std::filesystem::path GatherSession::recordPath() const {
    return path_;
}

void GatherSession::cancel() {
    GatherDone = 1;
}

bool GatherSession::startReservation(Clock::TimePoint start, Clock::TimePoint end,
                                     std::string_view intervalText,
                                     const std::function<void(int)>& showCount) {
    Plan p;
    p.mode = Mode::Reservation;
    p.scheduleStart = start;
    p.end = end;
    return startChecked(checkReservation(start, end, intervalText, ctx_.clock->now()), intervalText,
                        showCount, p);
}

bool GatherSession::startImmediate(std::string_view intervalText, std::string_view durationText,
                                   const std::function<void(int)>& showCount) {
    Plan p;
    p.mode = Mode::Immediate;
    return startChecked(checkImmediate(intervalText, durationText), intervalText, showCount, p);
}

bool GatherSession::startChecked(const Check& c, std::string_view intervalText,
                                 const std::function<void(int)>& showCount, Plan p) {
    if (c.count && showCount)
        showCount(*c.count);
    if (!c.message.empty()) {
        ctx_.messages.show(c.message);
        return false;
    }
    p.interval = std::chrono::minutes(*num::leadingInteger(intervalText));
    p.count = *c.count;
    return start(p);
}

bool GatherSession::start(const Plan& plan) {
    if (ctx_.CurrentAddress.load() == 0) {
        ctx_.messages.show(kNoDevice);
        GatherDone = 1;
        return false;
    }
    if (plan.interval.count() <= 0 || plan.count < 0) {
        ctx_.messages.show(KORV_TR_NOOP("Core", "Not enough memory assigned to the timer!"),
                           MessageIcon::Exclamation);
        return false;
    }
    // An earlier acquisition's worker has been stopped by its cancel; make sure it is gone
    // before the new one shares the counters.
    GatherDone = 1;
    worker_.join();

    planned_ = plan.count;
    remaining_ = plan.count;
    taken_ = 0;
    lost_ = 0;
    misses_ = 0;
    readFailed_ = false;
    missLimit_ = false;
    headerWritten_ = false;
    writeFailed_ = false;
    ScheduleStarted = 0;
    released_ = false;
    missesInRow_ = 0;
    lastValue_.clear();
    progress_.clear();
    GatherDone = 0;

    // The worker waits until the header is on disk; it is started first so that a refused
    // start leaves no file behind.
    if (!worker_.start([this, plan] { run(plan); })) {
        GatherDone = 1;
        ctx_.messages.show(KORV_TR_NOOP("Core", "Not enough memory assigned to the timer!"),
                           MessageIcon::Exclamation);
        return false;
    }
    const std::tm started = Clock::localTime(ctx_.clock->now());
    ensureDirectory(ctx_.dataDir);
    int error = 0;
    writer_ = openRecordFile(ctx_.dataDir, started, error);
    if (writer_ && !writer_->append(kRecordHeader))
        error = writer_->error();
    if (!writer_ || error != 0) {
        // Without its header no line may land there: the first sample would become the names.
        GatherDone = 1;
        released_ = true;
        released_.notify_all();
        worker_.join();
        writer_.reset();
        ctx_.messages.showWithDetail(kFileOpenFailedMessage, MessageIcon::None,
                                     Message::verbatim(std::strerror(error)));
        return false;
    }
    headerWritten_ = true;
    path_ = writer_->path();
    const std::filesystem::path named = ctx_.dataDir / recordFileName(started);
    if (path_ != named)
        ctx_.messages.show(
            compose(texts::kRecordFileHeld, {Message::verbatim(named.filename().string()),
                                             Message::verbatim(path_.filename().string())}));
    released_ = true;
    released_.notify_all();
    return true;
}

void GatherSession::run(Plan plan) {
    released_.wait(false);
    if (GatherDone.load() == 1) {
        writer_.reset();
        return;  // the start failed
    }
    Clock& clock = *ctx_.clock;
    const auto wall0 = clock.now();
    const auto steady0 = clock.steadyNow();
    // Wall-clock appointments (the start minute, the end) become steady times once, here.
    const auto steadyAt = [&](Clock::TimePoint wall) {
        return wall <= wall0 ? steady0 : later(steady0, wall - wall0);
    };
    Clock::SteadyPoint next;
    if (plan.mode == Mode::Immediate) {
        next = later(steady0, plan.interval);
    } else {
        // The first tick at the beginning of the start minute (or at once when it has passed).
        next = steadyAt(std::chrono::floor<std::chrono::minutes>(plan.scheduleStart));
    }
    const std::optional<Clock::SteadyPoint> end =
        plan.end ? std::optional(steadyAt(*plan.end)) : std::nullopt;
    for (bool first = true;; first = false) {
        publish(next, first);
        if (!clock.sleepUntilSteady(next, GatherDone))
            break;  // cancelled
        if (plan.mode == Mode::Reservation)
            ScheduleStarted = 1;
        if (end && clock.steadyNow() >= *end)
            break;
        if (tick(plan) == TickResult::Stop)
            break;
        next = later(next, plan.interval);
        // A tick that overran its interval (a slow answer, an operator reading a message) does
        // not make the next ones come in a burst.
        const auto now = clock.steadyNow();
        if (next < now)
            next = now;
    }
    ScheduleStarted = 0;
    publish(Clock::SteadyPoint::max(), false);
    writer_.reset();  // the lock goes with the file
    GatherDone = 1;
}

GatherSession::TickResult GatherSession::tick(const Plan& plan) {
    if (remaining_.load() <= 0 || GatherDone.load() == 1)
        return TickResult::Stop;
    const std::uint16_t address = ctx_.CurrentAddress.load();
    if (address == 0) {
        ctx_.messages.show(plan.mode == Mode::Reservation
                               ? KORV_TR_NOOP("Core", " Searching device failed!")
                               : kNoDevice);
        return TickResult::Stop;
    }
    const ExchangeResult r =
        ctx_.bus.readInputRegisters(static_cast<std::uint8_t>(address & 0xFF),
                                    kMeasuredValueRegister, 1, Timing::kRegisterWaitMs);
    if (r.lineFailed()) {
        readFailed_ = true;
        return TickResult::Stop;
    }
    if (!r.answered()) {
        // The tick is lost, nothing counted. A refusal is named where it cannot hold the ticks.
        ++misses_;
        const Message refusal = r.refused ? refusalText(address, r.exceptionCode) : Message();
        if (r.refused)
            ctx_.messages.status(refusal);
        if (plan.maxMisses > 0 && ++missesInRow_ >= plan.maxMisses) {
            missLimit_ = true;
            ctx_.messages.show(r.refused ? refusal : deviceSilentMessage(missesInRow_));
            return TickResult::Stop;
        }
        return TickResult::Continue;
    }
    missesInRow_ = 0;
    const int left = --remaining_;
    const std::tm now = Clock::localTime(ctx_.clock->now());
    lastValue_ = recordValueText(r.reg(0), ctx_.pointPositionText());
    if (!writer_->append(recordSampleLine(now, lastValue_))) {
        // A disk that refused one line refuses the next: stop, saying why and what is on disk.
        ++lost_;
        writeFailed_ = true;
        ctx_.messages.showWithDetail(
            kFileOpenFailedMessage, MessageIcon::None,
            Message::joined({Message::verbatim(std::strerror(writer_->error())),
                             samplesWrittenText(taken_.load(), planned_.load())},
                            "\n"));
        return TickResult::Stop;
    }
    ++taken_;
    return left <= 0 ? TickResult::Stop : TickResult::Continue;
}

void GatherSession::publish(Clock::SteadyPoint next, bool first) {
    namespace pt = progress_text;
    std::vector<ProgressPart> parts{
        {pt::kSamplesTaken, {num::formatInt(taken_.load()), num::formatInt(planned_.load())}}};
    if (const int m = misses_.load())
        parts.push_back({pt::kWithoutAnswer, {num::formatInt(m)}});
    if (const int l = lost_.load())
        parts.push_back({pt::kNotWritten, {num::formatInt(l)}});
    if (taken_.load() + lost_.load() > 0)
        parts.push_back({pt::kLastValue,
                         {lastValue_.empty() ? std::string("-") : lastValue_,
                          ctx_.basicSettings().SignalUnitText}});
    if (next != Clock::SteadyPoint::max()) {
        const Clock& clock = *ctx_.clock;
        const auto wallNow = clock.now();
        const auto steadyNow = clock.steadyNow();
        const auto at = next <= steadyNow ? wallNow : later(wallNow, next - steadyNow);
        parts.push_back({first ? pt::kFirstSample : pt::kNextSample,
                         {clockText(at, Clock::localTime(wallNow))}});
    }
    const int planned = planned_.load();
    progress_.setParts(std::move(parts), planned - remaining_.load(), planned);
}
