#include "shell/qt/AboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/qt/Look.h"
#include "shell/qt/ProgramIcon.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setObjectName("aboutDlg");
    setWindowTitle(tr("About Korvelantis"));
    Look::paintDialogBackground(this);
    auto* icon = new QLabel(this);
    icon->setObjectName("aboutIcon");
    icon->setPixmap(ProgramIcon::pixmap(32));
    icon->setAccessibleName("Korvelantis");
    auto* name = new QLabel("Korvelantis V1.0", this);
    name->setObjectName("aboutVersion");
    auto* notice =
        new QLabel(tr("Configures, calibrates and logs switch-transmitters on RS-485."), this);
    notice->setObjectName("aboutNotice");
    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName("aboutOk");
    ok->setAccessibleName(tr("OK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(name);
    texts->addWidget(notice);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
}
