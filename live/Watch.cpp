#include "live/Watch.h"

#include <cstdio>
#include <cstdlib>

#include "link/BlockRead.h"
#include "link/RegisterMap.h"

namespace live {

Watch::Watch(AppContext& ctx, WatchPlan plan) : ctx_(ctx), plan_(std::move(plan)) {
    for (int a : plan_.addresses) {
        DeviceState d;
        d.address = a;
        devices_.push_back(d);
    }
}

bool Watch::readDevice(DeviceState& d, Reading& out) {
    const auto address = static_cast<std::uint8_t>(d.address);
    bool answered = false;
    if (!d.blockRead) {
        const BlockRead read = readParameterBlock(ctx_.bus, address);
        if (read.result.lineFailed())
            return false;
        if (read.block) {
            d.blockRead = true;
            const int dot = read.block->get(reg::DotPos);
            const auto point = reg::decodeCode(reg::kDotPositions, dot);
            if (point)
                d.pointPosition = *point;
            else
                d.unknownPointCode = dot;
            d.unit = reg::decodeCode(reg::kSignalUnits, read.block->get(reg::SignalUnit))
                         .value_or(std::string());
        }
    }
    if (d.blockRead && !d.unknownPointCode) {
        const ExchangeResult r =
            ctx_.bus.readInputRegisters(address, reg::MeasuredValue, 1, Timing::kRegisterWaitMs);
        if (r.lineFailed())
            return false;
        if (r.answered()) {
            answered = true;
            d.value = reg::measuredValueText(r.reg(0), d.pointPosition);
            d.valueTime = ctx_.clock->now();
        }
    }
    out.address = d.address;
    out.answered = answered;
    out.unit = d.unit;
    if (answered) {
        ++d.answers;
        d.missesInRow = 0;
        out.value = d.value;
        if (d.online != true)
            out.onlineNow = true;
    } else {
        ++d.misses;
        if (++d.missesInRow >= plan_.maxMisses && d.online != false)
            out.onlineNow = false;
    }
    if (out.onlineNow)
        d.online = out.onlineNow;
    return true;
}

WatchEnd Watch::run(const std::atomic<int>& stop, const std::vector<RoundSink*>& sinks) {
    Clock& clock = *ctx_.clock;
    Clock::SteadyPoint next = clock.steadyNow();
    for (long long n = 1; plan_.count == 0 || n <= plan_.count; ++n) {
        if (n > 1 && !clock.sleepUntilSteady(next, stop))
            return WatchEnd::Stopped;
        if (stop.load())
            return WatchEnd::Stopped;
        Round round;
        round.number = n;
        round.time = clock.now();
        for (DeviceState& d : devices_) {
            Reading reading;
            if (!readDevice(d, reading))
                return WatchEnd::PortFailed;
            round.readings.push_back(std::move(reading));
        }
        rounds_ = n;
        for (RoundSink* sink : sinks)
            if (!sink->take(round, devices_))
                return WatchEnd::SinkFailed;
        next = later(next, plan_.interval);
        // A round that overran its interval does not make the next ones come in a burst.
        if (const auto now = clock.steadyNow(); next < now)
            next = now;
    }
    return WatchEnd::Done;
}

std::string isoTime(Clock::TimePoint t) {
    const std::tm tm = Clock::localTime(t);
    const long offset = tm.tm_gmtoff;
    const int minutes = static_cast<int>(std::labs(offset) / 60 % (24 * 60));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
    return buf;
}

}  // namespace live
