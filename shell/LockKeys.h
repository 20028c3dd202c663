#pragma once
// The Caps, Num and Scroll lock states for the status bar.
//
// Read from the keyboard LEDs the kernel exports (/sys/class/leds/<device>::capslock etc.,
// readable by everyone, whatever the window system). A machine without such LEDs (a remote
// session, a container) reports every lock as off.

#include <filesystem>

struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
    bool operator==(const LockKeyState&) const = default;
};

// A lock counts as on when any keyboard shows its LED lit.
LockKeyState readLockKeys(const std::filesystem::path& ledsDir = "/sys/class/leds");
