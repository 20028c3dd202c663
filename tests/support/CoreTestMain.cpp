// The core tests run under the locale the environment names (QApplication does the same for the
// window), so a run with LC_ALL=de_DE.UTF-8 shows whether any number depends on it.
#include <gtest/gtest.h>

#include <clocale>

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
