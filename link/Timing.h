#pragma once
// Every wait of the bus, as one value handed to the bus. Tests shrink all of them by `scale` and
// still run the same code; a few tests keep the real values (scale 1).

#include <chrono>
#include <cstddef>

struct Timing {
    using Duration = std::chrono::microseconds;

    // Waits between a request and its answer, in milliseconds at scale 1.
    static constexpr int kSearchWaitMs = 500;    // ordinary search poll
    static constexpr int kScanWaitMs = 700;      // full scan poll
    static constexpr int kRegisterWaitMs = 500;  // register 22/23 reads, coefficient writes
    static constexpr int kNoWaitMs = 0;          // the single-device download reads at once
    // Time devices need to store what was written; kept as they are, but off the window's thread.
    static constexpr int kStoreWaitMs = 5000;
    static constexpr int kOutputCommandWaitMs = 6000;

    double scale = 1.0;
    // true: the exchange returns as soon as its answer is in (wait and read time-out form one
    // deadline). false: sleep the whole wait first, then read, as the classic masters do.
    bool earlyReturn = true;

    Duration scaled(int ms) const { return Duration(static_cast<long long>(ms * 1000.0 * scale)); }
    // The port's read time-out for n bytes: 10 ms a byte plus 500 ms.
    Duration readTimeout(std::size_t n) const { return scaled(static_cast<int>(10 * n + 500)); }
    // The port's write time-out for n bytes: 50 ms a byte plus 1000 ms.
    Duration writeTimeout(std::size_t n) const { return scaled(static_cast<int>(50 * n + 1000)); }
    // The classic answer window of an exchange: its wait plus the read time-out of its answer.
    Duration classicWindow(int waitMs, std::size_t answerBytes) const {
        return scaled(waitMs) + readTimeout(answerBytes);
    }

    // How long n characters occupy the line; not scaled, the line is as fast as it is.
    static Duration wireTime(std::size_t n, int baud, int bitsPerCharacter) {
        if (baud <= 0)
            return Duration(0);
        return Duration(static_cast<long long>(n) * bitsPerCharacter * 1'000'000LL / baud);
    }
    // The quiet a device needs on the line before it takes a request as a new frame: 3.5
    // characters, and a fixed 1.75 ms above 19200 baud. Not scaled.
    static Duration interFrameSilence(int baud, int bitsPerCharacter) {
        if (baud > 19200)
            return Duration(1750);
        return Duration(wireTime(7, baud, bitsPerCharacter).count() / 2);
    }
    // The longest pause an adapter may put between the pieces of one answer (a USB adapter
    // hands bytes over when its latency timer of up to 16 ms runs out; the rest is room for a
    // busy machine), and the most an answer that has begun may take beyond its wire time: 10 ms
    // a byte, as the port's read time-out. Not scaled: they are the line's.
    static constexpr Duration kPieceGap{40'000};
    static constexpr Duration kTricklePerByte{10'000};
};
