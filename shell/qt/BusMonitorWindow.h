#pragma once
// "Bus monitor": every frame the bus sends and receives, with its outcome, and the figures of
// every address. Non-modal; the frame list is a ring (BusFrameModel), so memory stays flat.
//
// The bus never waits for this window: it hands each exchange's frames to a FrameQueue (a short
// copy under a mutex of its own, outside the bus lock) and the window takes them on a timer.
// Window's thread only, but for the queue.

#include <QTimer>
#include <QWidget>

#include "link/BusTraffic.h"
#include "state/AppContext.h"

class QLabel;
class QPushButton;
class QTableView;
class QTableWidget;
class BusFrameModel;

class BusMonitorWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kDrainMs = 200;

    explicit BusMonitorWindow(AppContext& ctx, QWidget* parent = nullptr);
    ~BusMonitorWindow() override;

    BusFrameModel* frames() const { return model_; }
    QTableWidget* healthTable() const { return health_; }
    // Takes what the bus handed over and shows it (the timer's work).
    void drain();
    // The table's rows, in order: addresses 1..60, then 127.
    static int rowOf(int address);

private:
    class Listener : public BusObserver {
    public:
        explicit Listener(FrameQueue& queue) : queue_(queue) {}
        void framesSeen(const std::vector<BusFrame>& frames) override { queue_.push(frames); }

    private:
        FrameQueue& queue_;
    };

    void buildHealthTable();
    void refreshHealth();
    void refreshCounts();
    void save();

    AppContext& ctx_;
    FrameQueue queue_;
    Listener listener_{queue_};
    BusFrameModel* model_;
    QTableView* view_;
    QTableWidget* health_;
    QPushButton* pause_;
    QLabel* counts_;
    QLabel* since_;
    QTimer timer_;
    std::size_t notShown_ = 0;  // frames that came while paused, or that the queue let go
    std::string shownHealth_;   // the figures the table shows, as text
};
