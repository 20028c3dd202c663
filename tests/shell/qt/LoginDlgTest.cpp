#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "ShellFixture.h"
#include "shell/qt/LoginDlg.h"
#include "tests/support/RecordingMessages.h"

namespace {
struct LoginTest : ::testing::Test {
    RecordingMessages messages;
    AppContext ctx{messages};
    ShellWindow w{ctx};

    // Runs the menu command, types `password` into the dialog and presses "Login".
    void loginWith(const QString& password) {
        bool seen = false;
        whenModal<CLoginDlg>([&](CLoginDlg* d) {
            seen = true;
            d->passwordEdit()->setText(password);
            d->loginButton()->click();
        });
        w.action("actionLogin")->trigger();
        ASSERT_TRUE(seen);
    }
};
}  // namespace

TEST_F(LoginTest, WrongEmptyPaddedAndFiveDigitPasswordsAreRejected) {
    for (const char* typed : {"123456", "", "740215 ", " 740215", "74021"}) {
        messages.clear();
        loginWith(QString::fromUtf8(typed));
        EXPECT_EQ(messages.texts(),
                  std::vector<std::string>{"Login password you entered is incorrect"})
            << '"' << typed << '"';
        EXPECT_EQ(ctx.EnterpriseMode.load(), 0);
        EXPECT_EQ(w.tabs(), QStringList({"The basic configuration", "Data Collection"}));
        EXPECT_TRUE(w.action("actionLogin")->isEnabled());
    }
}

TEST_F(LoginTest, TheFactoryPasswordSwitchesToEnterpriseMode) {
    loginWith("740215");
    EXPECT_TRUE(messages.texts().empty());
    EXPECT_EQ(ctx.EnterpriseMode.load(), 1);
    EXPECT_EQ(w.tabs().size(), 5);  // the enterprise pages, "Live values" last
    EXPECT_FALSE(w.action("actionLogin")->isEnabled());
    EXPECT_EQ(w.menuTitles(), QStringList({"File(&F)", "Serial port(&S)", "Help(&H)"}));
}

TEST_F(LoginTest, EnterPressesLoginAndTheEditIsMasked) {
    bool switched = false;
    CLoginDlg dlg(messages, [&] { switched = true; });
    EXPECT_EQ(dlg.passwordEdit()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dlg.loginButton()->isDefault());
    dlg.show();
    dlg.passwordEdit()->setFocus();
    dlg.passwordEdit()->setText("740215");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(dlg.passwordEdit(), &enter);
    EXPECT_TRUE(switched);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_FALSE(dlg.isVisible());
}

TEST_F(LoginTest, EscapeEndsTheDialogWithoutLoginOrMessage) {
    bool switched = false;
    CLoginDlg dlg(messages, [&] { switched = true; });
    dlg.show();
    dlg.passwordEdit()->setText("740215");
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&dlg, &escape);
    EXPECT_FALSE(switched);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(messages.texts().empty());
}
