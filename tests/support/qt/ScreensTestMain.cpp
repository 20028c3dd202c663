// Widget tests on small screens: the offscreen platform reads its screens from a configuration
// file, which must be named before the QApplication exists. Four screens side by side: 1280 x
// 720, 1366 x 768, 1024 x 600 and 1920 x 1080 (see kTestScreens).
#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/support/qt/TestScreens.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path config =
        fs::temp_directory_path() / ("korv-screens-" + std::to_string(::getpid()) + ".json");
    {
        std::ofstream out(config);
        out << "{\"windowFrameMargins\": true, \"screens\": [";
        int x = 0;
        for (std::size_t i = 0; i < kTestScreens.size(); ++i) {
            const TestScreen& s = kTestScreens[i];
            out << (i ? ", " : "") << "{\"name\": \"" << s.name << "\", \"x\": " << x
                << ", \"y\": 0, \"width\": " << s.width << ", \"height\": " << s.height
                << ", \"logicalDpi\": 96, \"logicalBaseDpi\": 96, \"dpr\": 1}";
            x += s.width;
        }
        out << "]}\n";
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str());
    qputenv("TZ", "UTC");
    tzset();
    int result = 1;
    {
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    fs::remove(config);
    return result;
}
