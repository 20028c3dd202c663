#pragma once
// The one "please wait" dialog behind which every long bus operation runs on a worker.
//
// It polls `finished` every 100 ms and closes when it holds. Its button, and Escape, run
// `cancel` (a stop request to the worker); the dialog still closes only when `finished` holds,
// so the window is never usable again while the worker runs. Enter does nothing.

#include <QDialog>
#include <QString>
#include <QTimer>
#include <functional>

class QLabel;
class QPushButton;

class WaitDialog : public QDialog {
    Q_OBJECT
public:
    WaitDialog(const QString& text, const QString& buttonCaption, std::function<bool()> finished,
               std::function<void()> cancel, QWidget* parent = nullptr);

    QPushButton* button() const { return button_; }
    static constexpr int kPollMs = 100;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;

private:
    void poll();
    void requestCancel();

    std::function<bool()> finished_;
    std::function<void()> cancel_;
    QLabel* label_;
    QPushButton* button_;
    QTimer timer_;
};
