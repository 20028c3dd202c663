#pragma once
// What the status bar's port pane says about the line.

#include <string>

#include "link/SerialSettings.h"

// "9600 8N1", "19200 7E2": rate, data bits, parity (N, O, E) and stop bits as a device's label
// gives them. A setting the port does not know shows "?" (the port keeps the driver's value).
std::string lineSettingsText(const SerialSettings& settings);
