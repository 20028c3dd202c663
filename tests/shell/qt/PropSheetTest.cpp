#include <gtest/gtest.h>

#include <QScrollArea>

#include "ShellFixture.h"
#include "common/qt/SheetPage.h"
#include "tests/support/RecordingMessages.h"

namespace {
struct CountingPage : SheetPage {
    bool allowLeave = true;
    int setActive = 0;
    int killActive = 0;
    void onSetActive() override { ++setActive; }
    bool onKillActive() override {
        ++killActive;
        return allowLeave;
    }
};

struct PropSheetTest : ::testing::Test {
    RecordingMessages messages;
    AppContext ctx{messages};
    CPropSheet sheet{ctx};
    CountingPage* a = new CountingPage;
    CountingPage* b = new CountingPage;
    void SetUp() override {
        sheet.AddPage(a);
        sheet.AddPage(b);
        ASSERT_TRUE(sheet.SetActivePage(2));
        a->setActive = a->killActive = 0;
    }
};
}  // namespace

TEST_F(PropSheetTest, LeavingAPageAsksItAndEntersTheNext) {
    ASSERT_TRUE(sheet.SetActivePage(3));
    EXPECT_EQ(a->killActive, 1);
    EXPECT_EQ(b->setActive, 1);
    EXPECT_EQ(sheet.activePage(), b);
}

TEST_F(PropSheetTest, APageThatRefusesStaysInFront) {
    a->allowLeave = false;
    EXPECT_FALSE(sheet.SetActivePage(3));
    EXPECT_EQ(sheet.activePage(), a);
    // A click on the tab changes the tab bar first; the sheet puts the page back.
    sheet.setCurrentIndex(3);
    EXPECT_EQ(sheet.activePage(), a);
    EXPECT_EQ(b->setActive, 0);
    EXPECT_EQ(a->killActive, 2);
}

TEST_F(PropSheetTest, TabClickAsksOnceAndEntersOnce) {
    sheet.setCurrentIndex(3);
    EXPECT_EQ(a->killActive, 1);
    EXPECT_EQ(b->setActive, 1);
}

TEST_F(PropSheetTest, RemovingTheFrontPageEntersAnotherWithoutAskingTheRemoved) {
    sheet.RemovePage(a);
    EXPECT_EQ(a->killActive, 0);
    EXPECT_NE(sheet.activePage(), a);
    EXPECT_EQ(sheet.indexOf(a), -1);
    ASSERT_NE(CPropSheet::holderOf(a), nullptr);
    EXPECT_EQ(CPropSheet::holderOf(a)->parent(), &sheet) << "the sheet keeps owning a removed page";
}
