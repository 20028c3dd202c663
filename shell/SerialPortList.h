#pragma once
// The serial ports present on this machine, for the serial configuration dialog.

#include <filesystem>
#include <string>
#include <vector>

// /dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/* and those /dev/ttyS* whose UART the kernel
// knows (sysfs "type" not 0: the kernel creates every ttyS node whether a UART is there or not).
// Natural order within each kind (ttyS2 before ttyS10). `devRoot` and `sysRoot` let tests use
// a fake tree.
std::vector<std::string> listSerialPorts(const std::filesystem::path& devRoot = "/dev",
                                         const std::filesystem::path& sysRoot = "/sys");

// "COM1" .. "COM8", the names the dialog has always offered.
std::vector<std::string> classicPortNames();

// What the dialog offers after the classic names: `found` without the ports a classic name
// already opens ("COM1" is /dev/ttyS0) and without repeats, in the order found.
std::vector<std::string> portChoicesBeyond(const std::vector<std::string>& found);
