#include "sim/SimDevice.h"

#include <algorithm>
#include <cmath>

#include "link/RegisterMap.h"
#include "sim/SimCodec.h"

namespace {

std::uint16_t clampU16(double v) {
    return static_cast<std::uint16_t>(std::clamp(std::lround(v), 0L, 65535L));
}

std::vector<std::uint8_t> exception(std::uint8_t address, std::uint8_t function,
                                    std::uint8_t code) {
    std::vector<std::uint8_t> a{address, static_cast<std::uint8_t>(function | 0x80), code};
    simcodec::appendCrc(a);
    return a;
}

}  // namespace

SimDevice::SimDevice(std::uint8_t address)
    : address_(address),
      gain_(9000.0 + 150.0 * (address % 7)),
      offset_(300.0 + 25.0 * (address % 11)) {
    using namespace reg;
    // A pressure transmitter, 0 .. 1.600 MPa, two switches and a 4-20 mA output.
    setReg(ProductCodeHigh, 0x0001);
    setReg(ProductCodeLow, static_cast<std::uint16_t>(1000 + address));
    setReg(Address, address);
    setReg(SignalType, 0);
    setReg(SignalUnit, 1);
    setReg(RangeStart, 0);
    setReg(RangeEnd, 1600);
    setReg(OutputType, 4);
    setReg(DotPos, 3);
    setReg(K1Type, 0);
    setReg(K1Action, static_cast<std::uint16_t>(800 + address));
    setReg(K1Release, 700);
    setReg(K1Delay, 5);
    setReg(K2Type, 1);
    setReg(K2Action, 1200);
    setReg(K2Release, 1100);
    setReg(K2Delay, 10);
    setReg(OutputRange, 1);
    setReg(RangeZStart, 0);
    setReg(RangeZEnd, 1600);
    setReg(Density, 0);
}

float SimDevice::coefficientK() const {
    return simcodec::floatFromRegisters(reg(24), reg(25));
}

float SimDevice::coefficientB() const {
    return simcodec::floatFromRegisters(reg(26), reg(27));
}

std::uint16_t SimDevice::rawReading(double applied) const {
    return clampU16(gain_ * applied + offset_);
}

std::uint16_t SimDevice::measuredValue(double applied, double seconds) const {
    if (calibrated_) {
        const double k = coefficientK();
        const double b = coefficientB();
        if (std::isfinite(k) && std::isfinite(b))
            return clampU16(k * rawReading(applied) + b);
        return 0;
    }
    // Before any calibration: a plausible value that drifts slowly.
    return clampU16(1000.0 + 10.0 * address_ + 25.0 * std::sin(seconds * 2.0 * M_PI / 120.0));
}

void SimDevice::refreshReadings(const std::vector<std::uint8_t>& q, double applied,
                                double seconds) {
    setReg(reg::RawReading, rawReading(applied));
    if (!counting_) {
        setReg(reg::MeasuredValue, measuredValue(applied, seconds));
        return;
    }
    const int start = q[2] << 8 | q[3];
    const int count = q[4] << 8 | q[5];
    if (q[1] == 0x04 && start <= reg::MeasuredValue && start + count > reg::MeasuredValue)
        setReg(reg::MeasuredValue, ++reads_);
}

std::optional<std::vector<std::uint8_t>> SimDevice::handle(const std::vector<std::uint8_t>& q,
                                                           bool broadcast) {
    const std::uint8_t function = q[1];
    const int start = q[2] << 8 | q[3];
    const std::uint8_t me = address_;
    switch (function) {
        case 0x04: {
            const int count = q[4] << 8 | q[5];
            if (broadcast)
                return std::nullopt;
            if (count < 1 || count > 125 || start + count > kRegisterCount)
                return exception(me, function, 0x02);
            std::vector<std::uint8_t> a{me, 0x04, static_cast<std::uint8_t>(2 * count)};
            for (int r = start; r < start + count; ++r) {
                a.push_back(static_cast<std::uint8_t>(reg(r) >> 8));
                a.push_back(static_cast<std::uint8_t>(reg(r) & 0xFF));
            }
            simcodec::appendCrc(a);
            return a;
        }
        case 0x06: {
            if (start < 1 || start >= kRegisterCount) {
                if (broadcast)
                    return std::nullopt;
                return exception(me, function, 0x02);
            }
            if (!ignoresWrites_)
                setReg(start, static_cast<std::uint16_t>(q[4] << 8 | q[5]));
            if (broadcast)
                return std::nullopt;
            std::vector<std::uint8_t> a(q.begin(), q.begin() + 6);
            simcodec::appendCrc(a);
            return a;
        }
        case 0x10: {
            const int count = q[4] << 8 | q[5];
            if (count < 1 || start < 1 || start + count > kRegisterCount || q[6] != 2 * count) {
                if (broadcast)
                    return std::nullopt;
                return exception(me, function, 0x02);
            }
            if (!ignoresWrites_)
                for (int i = 0; i < count; ++i)
                    setReg(start + i, static_cast<std::uint16_t>(q[7 + 2 * i] << 8 | q[8 + 2 * i]));
            if (!ignoresWrites_ && start <= 24 && start + count >= 28)
                calibrated_ = true;
            // A new bus address takes effect at once (registers 1-3 written together).
            if (!ignoresWrites_ && start <= reg::Address && start + count > reg::Address) {
                const int na = reg(reg::Address);
                if (na >= 1 && na <= 247)
                    address_ = static_cast<std::uint8_t>(na);
            }
            if (broadcast)
                return std::nullopt;
            std::vector<std::uint8_t> a{me, 0x10, q[2], q[3], q[4], q[5]};
            simcodec::appendCrc(a);
            return a;
        }
        default:
            if (broadcast)
                return std::nullopt;
            return exception(me, function, 0x01);
    }
}
