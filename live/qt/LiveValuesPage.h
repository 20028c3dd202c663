#pragma once
// "Live values": every watched device's value, unit and age, round after round, through the
// same live::Watch as the command line's watch, optionally published to an MQTT broker.
//
// The watch runs on a worker until Stop; the window's thread only reads the latest values every
// 200 ms. While it runs the bus is the watch's: the page refuses to be left and says why.

#include <atomic>
#include <memory>

#include <QTimer>

#include "common/qt/SheetPage.h"
#include "live/LatestValues.h"
#include "live/Watch.h"
#include "state/AppContext.h"
#include "state/Worker.h"

class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

class CLiveValuesPage : public SheetPage {
    Q_OBJECT
public:
    CLiveValuesPage(AppContext& ctx, QWidget* parent = nullptr);
    ~CLiveValuesPage() override;

    void OnStart();
    void OnStop();
    bool watching() const { return watching_; }
    bool onKillActive() override;

    // What the indicator tool tips read.
    const live::LatestValues& latest() const { return latest_; }

    QTableWidget* table() const { return table_; }
    QPushButton* startButton() const { return start_; }
    QPushButton* stopButton() const { return stop_; }
    QLineEdit* hostEdit() const { return host_; }
    QSpinBox* portBox() const { return port_; }
    QLineEdit* prefixEdit() const { return prefix_; }

    // Shown through the operator messages, which translate them as the core's texts.
    static constexpr const char* kWatchRunning =
        QT_TRANSLATE_NOOP("Core", "Watching: other bus work is back when the watch stops");
    static constexpr const char* kMqttNotStarted =
        QT_TRANSLATE_NOOP("Core", "The MQTT client did not start.");
    static constexpr const char* kWatchNotStarted =
        QT_TRANSLATE_NOOP("Core", "Thread failed to start the watch!");

signals:
    void watchingChanged(bool on);

private:
    void refresh();
    void setWatching(bool on);

    AppContext& ctx_;
    QSpinBox* interval_ = nullptr;
    QLineEdit* host_ = nullptr;
    QSpinBox* port_ = nullptr;
    QLineEdit* prefix_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTimer timer_;
    bool watching_ = false;
    live::LatestValues latest_;
    std::atomic<int> stopFlag_{0};
    std::atomic<int> done_{0};
    Worker worker_;
};
