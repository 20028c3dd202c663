#pragma once
// A line that lives inside the program, on a clock its owner moves: the port talks to it in
// place of a descriptor, so nothing on it waits for the wall clock. The simulator provides one
// for tests (SimBus with a clock); the program itself always has a descriptor.
//
// Thread contract: called by the port under the bus lock; the implementation guards itself
// against its owner's other threads.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class InProcessLine {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~InProcessLine() = default;

    // The port name that opens this line.
    virtual const std::string& name() const = 0;
    // False once the line has hung up: it cannot be opened again.
    virtual bool present() const = 0;
    // Bytes the master puts on the line at `at`; false when the line has hung up.
    virtual bool write(const std::uint8_t* data, std::size_t n, TimePoint at) = 0;
    // Moves at most `max` bytes that have arrived by `now` to the end of `out`; false when the
    // line has hung up.
    virtual bool read(std::vector<std::uint8_t>& out, std::size_t max, TimePoint now) = 0;
    // Bytes that have arrived by `now` and not been read.
    virtual std::size_t waiting(TimePoint now) = 0;
    // No byte can arrive before this (TimePoint::max() when none is due; `now` when the line
    // has hung up).
    virtual TimePoint nextEvent(TimePoint now) = 0;
};
