#pragma once
// The screens ScreensTestMain gives the offscreen platform, in the order of
// QApplication::screens().

#include <array>

struct TestScreen {
    const char* name;
    int width;
    int height;
};

inline constexpr std::array<TestScreen, 4> kTestScreens{{
    {"hd", 1280, 720},
    {"laptop", 1366, 768},
    {"netbook", 1024, 600},
    {"fullhd", 1920, 1080},
}};
