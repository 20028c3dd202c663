#include "link/BusTraffic.h"

#include <algorithm>
#include <iterator>

#include "base/NumberText.h"
#include "link/ModbusCrc16.h"

const char* outcomeToken(FrameOutcome outcome) {
    switch (outcome) {
        case FrameOutcome::Answer:
            return "answer";
        case FrameOutcome::Timeout:
            return "time-out";
        case FrameOutcome::Refused:
            return "refused";
        case FrameOutcome::Foreign:
            return "foreign";
        case FrameOutcome::Discarded:
            return "discarded";
        case FrameOutcome::NotRead:
            return "not-read";
        case FrameOutcome::Failed:
            return "failed";
    }
    return "?";
}

std::string hexBytes(const BusFrame& frame) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    out.reserve(frame.bytes.size() * 3 + 24);
    for (std::uint8_t b : frame.bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[b >> 4];
        out += digits[b & 0x0F];
    }
    if (frame.length > frame.bytes.size())
        out += " ... (" + num::formatInt(static_cast<long long>(frame.length)) + " bytes)";
    return out;
}

std::string formatFrameLine(const BusFrame& frame) {
    static const char* digits = "0123456789ABCDEF";
    std::string line = num::formatFixed(frame.timeMs, 3);
    line += frame.direction == FrameDirection::Sent ? " TX " : " RX ";
    line += frame.hasAddress() ? num::formatInt(frame.bytes[0]) : "-";
    line += ' ';
    if (frame.hasFunction()) {
        line += digits[frame.bytes[1] >> 4];
        line += digits[frame.bytes[1] & 0x0F];
    } else {
        line += '-';
    }
    line += frame.crcGood ? " good " : " bad ";
    line += outcomeToken(frame.outcome);
    line += ' ';
    line += frame.latencyMs < 0 ? "-" : num::formatFixed(frame.latencyMs, 3);
    line += ' ';
    line += hexBytes(frame);
    return line;
}

BusFrame makeFrame(double timeMs, FrameDirection direction, std::uint8_t exchangeAddress,
                   const std::uint8_t* bytes, std::size_t n, FrameOutcome outcome,
                   double latencyMs) {
    BusFrame f;
    f.timeMs = timeMs;
    f.direction = direction;
    f.exchangeAddress = exchangeAddress;
    f.bytes.assign(bytes, bytes + std::min(n, BusFrame::kKeptBytes));
    f.length = n;
    f.crcGood = n >= 4 && crcMatches(bytes, n);
    f.outcome = outcome;
    f.latencyMs = latencyMs;
    return f;
}

namespace {
const AddressHealth kNoFigures{};
}

AddressHealth* HealthTable::slot(int address) {
    if (address >= 1 && address <= kDeviceCount)
        return &entries_[static_cast<std::size_t>(address - 1)];
    if (address == kBroadcast)
        return &entries_[kDeviceCount];
    return nullptr;
}

const AddressHealth& HealthTable::at(int address) const {
    if (address >= 1 && address <= kDeviceCount)
        return entries_[static_cast<std::size_t>(address - 1)];
    if (address == kBroadcast)
        return entries_[kDeviceCount];
    return kNoFigures;
}

std::vector<int> HealthTable::addresses() {
    std::vector<int> out;
    for (int a = 1; a <= kDeviceCount; ++a) out.push_back(a);
    out.push_back(kBroadcast);
    return out;
}

void HealthTable::add(const std::vector<BusFrame>& frames) {
    for (const BusFrame& f : frames) {
        AddressHealth* h = slot(f.exchangeAddress);
        if (!h)
            continue;
        if (f.direction == FrameDirection::Sent) {
            ++h->requests;
            if (f.outcome == FrameOutcome::Answer) {
                const double ms = std::max(0.0, f.latencyMs);
                h->latencyMinMs = h->answers == 0 ? ms : std::min(h->latencyMinMs, ms);
                h->latencyMaxMs = h->answers == 0 ? ms : std::max(h->latencyMaxMs, ms);
                h->latencySumMs += ms;
                ++h->answers;
            } else if (f.outcome == FrameOutcome::Timeout) {
                ++h->timeouts;
            } else if (f.outcome == FrameOutcome::Refused) {
                ++h->refusals;
            }
            continue;
        }
        if (f.outcome == FrameOutcome::Foreign)
            ++h->foreign;
        else if (f.outcome == FrameOutcome::Timeout && !f.crcGood)
            ++h->crcErrors;
    }
}

std::string formatHealthTable(const HealthTable& table) {
    static const std::pair<const char*, std::size_t> kColumns[] = {
        {"address", 7}, {"requests", 9}, {"answers", 9}, {"time-outs", 9}, {"crc-errors", 10},
        {"refused", 8}, {"foreign", 8},  {"min-ms", 8},  {"mean-ms", 8},   {"max-ms", 8}};
    auto line = [](const std::vector<std::string>& fields) {
        std::string out;
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out += ' ';
            const std::size_t width = kColumns[i].second;
            if (fields[i].size() < width)
                out.append(width - fields[i].size(), ' ');
            out += fields[i];
        }
        return out + '\n';
    };
    std::vector<std::string> header;
    for (const auto& c : kColumns) header.emplace_back(c.first);
    std::string out = line(header);
    auto count = [](std::uint64_t n) { return num::formatInt(static_cast<long long>(n)); };
    for (int a : HealthTable::addresses()) {
        const AddressHealth& h = table.at(a);
        if (h.empty())
            continue;
        auto ms = [&h](double v) { return h.answers ? num::formatFixed(v, 1) : "-"; };
        out += line({num::formatInt(a), count(h.requests), count(h.answers), count(h.timeouts),
                     count(h.crcErrors), count(h.refusals), count(h.foreign), ms(h.latencyMinMs),
                     ms(h.latencyMeanMs()), ms(h.latencyMaxMs)});
    }
    return out;
}

void FrameQueue::push(const std::vector<BusFrame>& frames) {
    std::lock_guard lock(mutex_);
    waiting_.insert(waiting_.end(), frames.begin(), frames.end());
    if (waiting_.size() > capacity_) {
        const std::size_t over = waiting_.size() - capacity_;
        waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(over));
        dropped_ += over;
    }
}

std::vector<BusFrame> FrameQueue::take(std::size_t* dropped) {
    std::deque<BusFrame> out;
    {
        std::lock_guard lock(mutex_);
        out.swap(waiting_);
        if (dropped)
            *dropped = dropped_;
        dropped_ = 0;
    }
    return {std::make_move_iterator(out.begin()), std::make_move_iterator(out.end())};
}
