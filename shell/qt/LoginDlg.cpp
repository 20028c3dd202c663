#include "shell/qt/LoginDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/qt/Look.h"
#include "shell/EnterpriseLogin.h"

CLoginDlg::CLoginDlg(OperatorMessages& messages, std::function<void()> onSuccess, QWidget* parent)
    : QDialog(parent), messages_(messages), onSuccess_(std::move(onSuccess)) {
    setObjectName("loginDlg");
    setWindowTitle(tr("The enterprise user login"));
    Look::paintDialogBackground(this);
    auto* label = new QLabel(tr("Login password："), this);
    label->setObjectName("loginPasswordLabel");
    edit_ = new QLineEdit(this);
    edit_->setObjectName("loginPassword");
    edit_->setEchoMode(QLineEdit::Password);
    edit_->setAccessibleName(label->text());
    label->setBuddy(edit_);
    login_ = new QPushButton(tr("Login"), this);
    login_->setObjectName("loginButton");
    login_->setAccessibleName(tr("Login"));
    login_->setDefault(true);
    connect(login_, &QPushButton::clicked, this, &CLoginDlg::OnLogin);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(edit_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(login_, 0, Qt::AlignRight);
    setMinimumWidth(320);
}

void CLoginDlg::OnLogin() {
    const QByteArray typed = edit_->text().toUtf8();
    if (!isEnterprisePassword(std::string_view(typed.constData(), typed.size()))) {
        messages_.show(kLoginFailedText);
    } else if (onSuccess_) {
        onSuccess_();
    }
    accept();
}
