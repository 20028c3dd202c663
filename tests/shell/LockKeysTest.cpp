#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "shell/LockKeys.h"
#include "tests/support/TestBus.h"

namespace fs = std::filesystem;

namespace {
void led(const fs::path& dir, const std::string& name, int brightness) {
    fs::create_directories(dir / name);
    std::ofstream(dir / name / "brightness") << brightness << "\n";
}
}  // namespace

TEST(LockKeys, ALockIsOnWhenAnyKeyboardLightsItsLed) {
    TempDir tmp;
    const fs::path leds = tmp.path();
    led(leds, "input3::capslock", 0);
    led(leds, "input7::capslock", 1);  // a second keyboard
    led(leds, "input3::numlock", 1);
    led(leds, "input3::scrolllock", 0);
    led(leds, "phy0-led", 1);  // not a keyboard
    const LockKeyState s = readLockKeys(leds);
    EXPECT_TRUE(s.caps);
    EXPECT_TRUE(s.num);
    EXPECT_FALSE(s.scroll);
}

TEST(LockKeys, NoLedsMeansEveryLockOff) {
    TempDir tmp;
    EXPECT_EQ(readLockKeys(fs::path(tmp.path()) / "absent"), LockKeyState{});
    led(tmp.path(), "input1::scrolllock", 0);
    EXPECT_EQ(readLockKeys(tmp.path()), LockKeyState{});
}
