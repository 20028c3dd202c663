#include "link/Bus.h"

#include <thread>

#include "link/ModbusCrc16.h"

bool ExchangeResult::crcOk() const {
    return complete() && answer.size() >= 3 && CrcMatches(answer.data(), answer.size());
}

std::uint16_t ExchangeResult::reg(std::size_t index) const {
    const std::size_t at = 3 + 2 * index;
    if (at + 1 >= answer.size())
        return 0;
    return static_cast<std::uint16_t>(answer[at] << 8 | answer[at + 1]);
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

namespace {

// Where in `rx` the answer to (address, function) of `length` bytes starts.
struct Match {
    bool found = false;    // a complete answer with a good CRC, or an exception answer
    bool refused = false;  // the exception answer
    std::size_t start = 0;
    bool candidate = false;  // the first place where address and function match
    std::size_t candidateStart = 0;
};

Match findAnswer(const std::vector<std::uint8_t>& rx, std::uint8_t address, std::uint8_t function,
                 std::size_t length) {
    Match m;
    for (std::size_t i = 0; i + 1 < rx.size(); ++i) {
        if (rx[i] != address)
            continue;
        if (rx[i + 1] == function) {
            if (!m.candidate) {
                m.candidate = true;
                m.candidateStart = i;
            }
            if (rx.size() - i >= length && CrcMatches(&rx[i], length)) {
                m.found = true;
                m.start = i;
                return m;
            }
        } else if (rx[i + 1] == (function | 0x80) && rx.size() - i >= 5 && CrcMatches(&rx[i], 5)) {
            // The device refused: its answer is in, and nothing more will come.
            m.found = true;
            m.refused = true;
            m.start = i;
            return m;
        }
    }
    return m;
}

}  // namespace

Bus::Bus(OperatorMessages& messages, Timing timing) : port_(messages), timing_(timing) {
    port_.setTiming(timing_);
}

int Bus::Open(const SerialSettings& settings) {
    std::lock_guard lock(mutex_);
    return port_.Open(settings);
}

int Bus::Close() {
    std::lock_guard lock(mutex_);
    return port_.Close();
}

CSerialPort::State Bus::state() const {
    std::lock_guard lock(mutex_);
    return port_.state();
}

std::string Bus::lastOpenFailure() const {
    std::lock_guard lock(mutex_);
    return port_.lastOpenFailure();
}

Timing Bus::timing() const {
    std::lock_guard lock(mutex_);
    return timing_;
}

void Bus::setTiming(const Timing& timing) {
    std::lock_guard lock(mutex_);
    timing_ = timing;
    port_.setTiming(timing);
}

int Bus::send(const std::vector<std::uint8_t>& request) {
    std::vector<std::uint8_t> frame = request;
    AppendCrc(frame);
    std::lock_guard lock(mutex_);
    port_.DiscardInput();
    return port_.Write(frame.data(), static_cast<std::uint32_t>(frame.size()));
}

ExchangeResult Bus::exchange(const std::vector<std::uint8_t>& request, std::size_t answerLength,
                             int waitMs) {
    std::vector<std::uint8_t> frame = request;
    AppendCrc(frame);
    const std::uint8_t address = request.at(0);
    const std::uint8_t function = request.at(1);

    ExchangeResult result;
    result.answer.assign(answerLength, 0);

    std::lock_guard lock(mutex_);
    port_.DiscardInput();
    // The write's own failure has shown its message; the read then reports the port's state.
    port_.Write(frame.data(), static_cast<std::uint32_t>(frame.size()));

    auto deadline = CSerialPort::Clock::now() + timing_.readTimeout(answerLength);
    if (timing_.earlyReturn) {
        deadline += timing_.scaled(waitMs);
    } else {
        std::this_thread::sleep_for(timing_.scaled(waitMs));
        deadline = CSerialPort::Clock::now() + timing_.readTimeout(answerLength);
    }
    std::vector<std::uint8_t> rx;
    result.ioOk = port_.ReadUntil(rx, deadline, [&](const std::vector<std::uint8_t>& r) {
        return findAnswer(r, address, function, answerLength).found;
    });
    const Match m = findAnswer(rx, address, function, answerLength);
    if (m.refused) {
        result.refused = true;
    } else if (m.found || m.candidate) {
        const std::size_t start = m.found ? m.start : m.candidateStart;
        const std::size_t n = std::min(answerLength, rx.size() - start);
        std::copy_n(rx.begin() + static_cast<std::ptrdiff_t>(start), n, result.answer.begin());
        result.received = n;
    }
    return result;
}

ExchangeResult Bus::readInputRegisters(std::uint8_t address, std::uint16_t start,
                                       std::uint16_t count, int waitMs) {
    return exchange(buildReadInputRegisters(address, start, count), 5 + 2 * std::size_t{count},
                    waitMs);
}

ExchangeResult Bus::writeRegisters(std::uint8_t address, std::uint16_t start,
                                   const std::vector<std::uint8_t>& data, int waitMs) {
    return exchange(buildWriteMultiple(address, start, data), 8, waitMs);
}

bool Bus::pause(int ms, const std::atomic<int>* cancel) const {
    const auto until = std::chrono::steady_clock::now() + timing().scaled(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (cancel && cancel->load())
            return false;
        const auto step = std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(20), until - std::chrono::steady_clock::now());
        if (step.count() > 0)
            std::this_thread::sleep_for(step);
    }
    return !(cancel && cancel->load());
}
