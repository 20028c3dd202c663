#pragma once
// "The enterprise user login": one masked password field and the default button "Login".
// A wrong password shows its message and closes the dialog too; the operator chooses the menu
// item again to retry. Closing the window or Escape ends it without a login.

#include <QDialog>
#include <functional>

#include "link/OperatorMessages.h"

class QLineEdit;
class QPushButton;

class CLoginDlg : public QDialog {
    Q_OBJECT
public:
    // `onSuccess` switches the program into enterprise mode; it runs before the dialog closes.
    CLoginDlg(OperatorMessages& messages, std::function<void()> onSuccess,
              QWidget* parent = nullptr);

    QLineEdit* passwordEdit() const { return edit_; }
    QPushButton* loginButton() const { return login_; }

private:
    void OnLogin();

    OperatorMessages& messages_;
    std::function<void()> onSuccess_;
    QLineEdit* edit_;
    QPushButton* login_;
};
