#include "shell/PortPane.h"

#include "base/NumberText.h"

std::string lineSettingsText(const SerialSettings& s) {
    std::string parity = "?";
    if (s.Parity == "No parity")
        parity = "N";
    else if (s.Parity == "Odd parity")
        parity = "O";
    else if (s.Parity == "even parity")
        parity = "E";
    const bool knownStop = s.StopBits == "1" || s.StopBits == "1.5" || s.StopBits == "2";
    const bool knownBits = s.DataBits == 7 || s.DataBits == 8;
    return num::formatInt(s.BaudRate) + " " + (knownBits ? num::formatInt(s.DataBits) : "?") +
           parity + (knownStop ? s.StopBits : "?");
}
