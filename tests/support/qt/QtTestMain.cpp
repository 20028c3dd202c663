// Qt widget tests need one QApplication for the whole run. They run headless unless a platform
// is asked for, and in UTC like the core tests, so local times in files are predictable.
#include <gtest/gtest.h>

#include <QApplication>
#include <ctime>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TZ")) {
        qputenv("TZ", "UTC");
        tzset();
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
