#include "acquisition/GatherSession.h"

#include <cctype>
#include <climits>
#include <thread>

#include "acquisition/RecordFile.h"
#include "common/NumberText.h"
#include "common/Paths.h"
#include "link/RegisterMap.h"

namespace {
constexpr std::uint16_t kMeasuredValueRegister = 23;
constexpr std::string_view kNoDevice = "No device, you can not search the data!";

// t + d, held at the clock's last representable time: an interval of millions of minutes would
// otherwise wrap the time point round into the past and sample at once, then without pause.
Clock::TimePoint later(Clock::TimePoint t, std::chrono::seconds d) {
    using D = Clock::TimePoint::duration;
    if (d.count() <= 0)
        return t;
    if (d > std::chrono::duration_cast<std::chrono::seconds>(D::max()))
        return Clock::TimePoint::max();
    const D step = std::chrono::duration_cast<D>(d);
    if (t.time_since_epoch() > D::max() - step)
        return Clock::TimePoint::max();
    return t + step;
}
}  // namespace

GatherSession::Check GatherSession::checkReservation(Clock::TimePoint start, Clock::TimePoint end,
                                                     std::string_view intervalText) {
    const auto interval = num::leadingInteger(intervalText);
    // A negative interval is refused like 0: no timer may run with a period that is not positive.
    if (!interval || *interval <= 0)
        return {std::nullopt, "Time Interval can not be empty"};
    const long long minutes =
        std::chrono::duration_cast<std::chrono::seconds>(end - start).count() / 60;
    if (minutes < 1)
        return {std::nullopt, "End time setting can not be lower than the start time"};
    return {static_cast<int>(std::min<long long>(minutes / *interval, INT_MAX)), {}};
}

GatherSession::Check GatherSession::checkImmediate(std::string_view intervalText,
                                                   std::string_view durationText) {
    const auto interval = num::leadingInteger(intervalText);
    const auto hours = num::leadingInteger(durationText);
    if (!interval || !hours || *interval <= 0)
        return {std::nullopt, "Time Interval or duration can not be empty"};
    const long long minutes = *hours * 60;
    if (minutes < *interval)
        return {std::nullopt, "Duration time can not be less than the interval"};
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
    return startChecked(checkReservation(start, end, intervalText), intervalText, showCount, p);
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
        ctx_.messages.show("Not enough memory assigned to the timer!", MessageIcon::Exclamation);
        return false;
    }
    // An earlier acquisition's worker has been stopped by its cancel; make sure it is gone
    // before the new one shares the counters.
    GatherDone = 1;
    worker_.join();

    remaining_ = plan.count;
    taken_ = 0;
    readFailed_ = false;
    ScheduleStarted = 0;
    released_ = false;
    GatherDone = 0;

    const std::tm started = Clock::localTime(ctx_.clock->now());
    const std::filesystem::path path = ctx_.dataDir / recordFileName(started);
    // The worker waits until the header is on disk; it is started first so that a refused
    // start leaves no file behind.
    if (!worker_.start([this, plan, path] { run(plan, path); })) {
        GatherDone = 1;
        ctx_.messages.show("Not enough memory assigned to the timer!", MessageIcon::Exclamation);
        return false;
    }
    path_ = path;
    EnsureDirectory(ctx_.dataDir);
    if (!RecordWriter(path).append(kRecordHeader))
        ctx_.messages.show("File Open Failed!");
    released_ = true;
    released_.notify_all();
    return true;
}

void GatherSession::run(Plan plan, std::filesystem::path path) {
    released_.wait(false);
    const auto pressed = ctx_.clock->now();
    Clock::TimePoint next;
    if (plan.mode == Mode::Immediate) {
        next = later(pressed, plan.interval);
    } else {
        // The first tick at the beginning of the start minute (or at once when it has passed).
        const std::tm s = Clock::localTime(plan.scheduleStart);
        const auto minuteStart =
            makeLocalTime(s.tm_year + 1900, s.tm_mon + 1, s.tm_mday, s.tm_hour, s.tm_min, 0);
        next = std::max(minuteStart, pressed);
    }
    for (;;) {
        if (!ctx_.clock->sleepUntil(next, GatherDone))
            break;  // cancelled
        if (plan.mode == Mode::Reservation)
            ScheduleStarted = 1;
        if (tick(plan.mode, path) == TickResult::Stop)
            break;
        next = later(next, plan.interval);
        // A tick that overran its interval (a slow answer, an operator reading a message) does
        // not make the next ones come in a burst.
        const auto now = ctx_.clock->now();
        if (next < now)
            next = now;
    }
    ScheduleStarted = 0;
    GatherDone = 1;
}

GatherSession::TickResult GatherSession::tick(Mode mode, const std::filesystem::path& path) {
    if (remaining_.load() <= 0 || GatherDone.load() == 1)
        return TickResult::Stop;
    const std::uint16_t address = ctx_.CurrentAddress.load();
    if (address == 0) {
        ctx_.messages.show(mode == Mode::Reservation ? " Searching device failed!" : kNoDevice);
        return TickResult::Stop;
    }
    const ExchangeResult r =
        ctx_.bus.readInputRegisters(static_cast<std::uint8_t>(address & 0xFF),
                                    kMeasuredValueRegister, 1, Timing::kRegisterWaitMs);
    if (!r.ioOk) {
        readFailed_ = true;
        return TickResult::Stop;
    }
    if (!r.crcOk())
        return TickResult::Continue;  // the tick is lost, nothing counted
    const int left = --remaining_;
    ++taken_;
    const std::tm now = Clock::localTime(ctx_.clock->now());
    const std::string line =
        recordSampleLine(now, recordValueText(r.reg(0), ctx_.pointPositionText()));
    if (!RecordWriter(path).append(line))
        ctx_.messages.show("File Open Failed!");
    return left <= 0 ? TickResult::Stop : TickResult::Continue;
}
