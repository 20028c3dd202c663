#pragma once
#include <optional>
#include <string>
#include <string_view>

// The parity as the settings store and show it: "No parity", "Odd parity", "even parity".
enum class Parity { None, Odd, Even };
constexpr const char* parityText(Parity p) {
    switch (p) {
        case Parity::Odd:
            return "Odd parity";
        case Parity::Even:
            return "even parity";
        case Parity::None:
            break;
    }
    return "No parity";
}
// The texts compare exactly; any other text is no parity setting.
constexpr std::optional<Parity> parityOf(std::string_view text) {
    for (Parity p : {Parity::None, Parity::Odd, Parity::Even})
        if (text == parityText(p))
            return p;
    return std::nullopt;
}

// The line settings the operator edits; every run starts from these values.
struct SerialSettings {
    // The response time-out: 0 is "Classic" (the classic waits of each exchange), otherwise
    // milliseconds within [kMinResponseTimeoutMs, kMaxResponseTimeoutMs].
    static constexpr int kClassicResponseTimeout = 0;
    static constexpr int kMinResponseTimeoutMs = 20;
    static constexpr int kMaxResponseTimeoutMs = 5000;
    static constexpr bool validResponseTimeout(int ms) {
        return ms == kClassicResponseTimeout ||
               (ms >= kMinResponseTimeoutMs && ms <= kMaxResponseTimeoutMs);
    }

    std::string DataFormat = "RTU";  // stored and shown only: the link always speaks RTU
    std::string PortName = "COM1";
    int BaudRate = 9600;
    std::string Parity = parityText(::Parity::None);
    int DataBits = 8;
    std::string StopBits = "1";
    int ResponseTimeoutMs = kClassicResponseTimeout;
    // The kernel's RS-485 mode (RTS high while sending) for a native UART that drives the
    // transceiver's direction itself; a port whose driver lacks it is not opened.
    bool Rs485 = false;
};
