#include "common/qt/WaitDialog.h"

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Progress.h"
#include "base/ProgressTexts.h"
#include "common/qt/ProgressText.h"
#include "common/qt/Translate.h"

WaitDialog::WaitDialog(const QString& text, const QString& buttonCaption,
                       std::function<bool()> finished, std::function<void()> cancel,
                       QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint),
      finished_(std::move(finished)),
      cancel_(std::move(cancel)) {
    setObjectName("waitDialog");
    setModal(true);
    setAccessibleName(text);
    auto* layout = new QVBoxLayout(this);
    label_ = new QLabel(text, this);
    label_->setObjectName("waitText");
    progressText_ = new QLabel(this);
    progressText_->setObjectName("waitProgressText");
    progressText_->hide();
    progressBar_ = new QProgressBar(this);
    progressBar_->setObjectName("waitProgressBar");
    progressBar_->setAccessibleName(tr("Progress"));
    progressBar_->setTextVisible(false);
    progressBar_->hide();
    button_ = new QPushButton(buttonCaption, this);
    button_->setObjectName("waitCancel");
    button_->setAutoDefault(false);
    button_->setAccessibleName(buttonCaption);
    layout->addWidget(label_);
    layout->addWidget(progressText_);
    layout->addWidget(progressBar_);
    layout->addWidget(button_, 0, Qt::AlignHCenter);
    connect(button_, &QPushButton::clicked, this, &WaitDialog::requestCancel);
    connect(&timer_, &QTimer::timeout, this, &WaitDialog::poll);
}

// Polling starts with the dialog on screen: a worker that ended before exec() would otherwise
// close a dialog that was not yet shown, and exec() would then wait for ever.
void WaitDialog::showEvent(QShowEvent* event) {
    if (progress_) {
        // Room for a long line from the start, so the dialog does not grow with every digit;
        // measured in the font the label shows, once it is polished.
        ProgressSnapshot sample;
        sample.parts = {{progress_text::kScanAddress, {"60", "60", "60"}}};
        const QString wide = progressText(sample) + tr(", about %1 s left").arg(90);
        progressText_->setMinimumWidth(progressText_->fontMetrics().horizontalAdvance(wide));
    }
    QDialog::showEvent(event);
    timer_.start(kPollMs);
}

void WaitDialog::followProgress(const Progress* progress) {
    progress_ = progress;
    showProgress();
}

void WaitDialog::showProgress() {
    if (!progress_)
        return;
    const ProgressSnapshot p = progress_->snapshot();
    QString text = progressText(p);
    if (!text.isEmpty() && p.secondsLeft >= 0)
        text += tr(", about %1 s left").arg(p.secondsLeft);
    progressText_->setText(text);
    progressText_->setVisible(!text.isEmpty());
    if (p.total > 0) {
        progressBar_->setRange(0, p.total);
        progressBar_->setValue(std::min(p.done, p.total));
    }
    progressBar_->setVisible(p.total > 0);
}

void WaitDialog::poll() {
    showProgress();
    if (finished_ && finished_()) {
        timer_.stop();
        accept();
    }
}

void WaitDialog::requestCancel() {
    if (cancel_)
        cancel_();
}

void WaitDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        requestCancel();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    QDialog::keyPressEvent(event);
}

// The window's close button is a cancel request too; the dialog goes when the worker has ended.
void WaitDialog::reject() {
    requestCancel();
}
