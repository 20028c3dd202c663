#include "shell/PortPane.h"

#include "base/NumberText.h"

std::string lineSettingsText(const SerialSettings& s) {
    std::string parity = "?";
    if (const auto p = parityOf(s.Parity))
        parity = *p == Parity::None ? "N" : *p == Parity::Odd ? "O" : "E";
    const bool knownStop = s.StopBits == "1" || s.StopBits == "1.5" || s.StopBits == "2";
    const bool knownBits = s.DataBits == 7 || s.DataBits == 8;
    return num::formatInt(s.BaudRate) + " " + (knownBits ? num::formatInt(s.DataBits) : "?") +
           parity + (knownStop ? s.StopBits : "?");
}
