// What the file dialogs are given to show.
#include <gtest/gtest.h>

#include "common/qt/FileDialogs.h"

TEST(FileDialogs, AllFilesPatternShowsFilesWithoutADotToo) {
    EXPECT_EQ(FileDialogs::dialogFilter("Rec Files (*.rec);;All Files (*.*)"),
              "Rec Files (*.rec);;All Files (*)");
    EXPECT_EQ(FileDialogs::dialogFilter("Text Files(*.txt);;ALL Files(*.*)"),
              "Text Files(*.txt);;ALL Files(*)");
    EXPECT_EQ(FileDialogs::dialogFilter("CSV Files (*.csv)"), "CSV Files (*.csv)");
}
