#pragma once
// The one "please wait" dialog behind which every long bus operation runs on a worker.
//
// It polls `finished` every 100 ms and closes when it holds. Its button, and Escape, run
// `cancel` (a stop request to the worker); the dialog still closes only when `finished` holds,
// so the window is never usable again while the worker runs. Enter does nothing.
// Given a Progress, it shows below its own text what the worker is doing, with a bar when the
// number of steps is known and the time left when the worker knows it.

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>

class Progress;
class QLabel;
class QProgressBar;
class QPushButton;

class WaitDialog : public QDialog {
    Q_OBJECT
public:
    WaitDialog(const QString& text, const QString& buttonCaption, std::function<bool()> finished,
               std::function<void()> cancel, QWidget* parent = nullptr);

    QPushButton* button() const { return button_; }
    static constexpr int kPollMs = 100;

    // `progress` must outlive the dialog.
    void followProgress(const Progress* progress);

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void poll();
    void showProgress();
    void requestCancel();

    std::function<bool()> finished_;
    std::function<void()> cancel_;
    const Progress* progress_ = nullptr;
    QLabel* label_;
    QLabel* progressText_;
    QProgressBar* progressBar_;
    QPushButton* button_;
    QTimer timer_;
};
