#pragma once
// The frames the bus monitor shows: a ring of at most `capacity` frames, the oldest leaving
// first, so memory stays flat however long the monitor is open. Window's thread only.

#include <QAbstractTableModel>
#include <deque>

#include "link/BusTraffic.h"

class BusFrameModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Direction, Address, Function, Bytes, Crc, Outcome, Latency, ColumnCount };

    explicit BusFrameModel(std::size_t capacity = 100'000, QObject* parent = nullptr);

    void append(std::vector<BusFrame> frames);
    void clear();
    const BusFrame& frame(int row) const { return frames_.at(static_cast<std::size_t>(row)); }
    std::size_t capacity() const { return capacity_; }
    // Every frame as the trace's text lines, oldest first, each ended by a line end.
    std::string text() const;

    // What the monitor calls each outcome.
    static QString outcomeText(FrameOutcome outcome);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::size_t capacity_;
    std::deque<BusFrame> frames_;
};
