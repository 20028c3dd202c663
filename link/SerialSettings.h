#pragma once
#include <string>

// The six line settings the operator edits; every run starts from these values.
struct SerialSettings {
    std::string DataFormat = "RTU";  // stored and shown only: the link always speaks RTU
    std::string PortName = "COM1";
    int BaudRate = 9600;
    std::string Parity = "No parity";
    int DataBits = 8;
    std::string StopBits = "1";
};
