#include "shell/qt/BusFrameModel.h"

#include "base/NumberText.h"

BusFrameModel::BusFrameModel(std::size_t capacity, QObject* parent)
    : QAbstractTableModel(parent), capacity_(capacity) {}

void BusFrameModel::append(std::vector<BusFrame> frames) {
    if (frames.empty())
        return;
    // More than the ring holds: only the newest ones could stay.
    if (frames.size() > capacity_)
        frames.erase(frames.begin(),
                     frames.begin() + static_cast<std::ptrdiff_t>(frames.size() - capacity_));
    const std::size_t over =
        frames_.size() + frames.size() > capacity_ ? frames_.size() + frames.size() - capacity_ : 0;
    if (over > 0) {
        beginRemoveRows({}, 0, static_cast<int>(over) - 1);
        frames_.erase(frames_.begin(), frames_.begin() + static_cast<std::ptrdiff_t>(over));
        endRemoveRows();
    }
    const int first = static_cast<int>(frames_.size());
    beginInsertRows({}, first, first + static_cast<int>(frames.size()) - 1);
    for (BusFrame& f : frames) frames_.push_back(std::move(f));
    endInsertRows();
}

void BusFrameModel::clear() {
    beginResetModel();
    frames_.clear();
    endResetModel();
}

std::string BusFrameModel::text() const {
    std::string out;
    for (const BusFrame& f : frames_) out += formatFrameLine(f) + '\n';
    return out;
}

QString BusFrameModel::outcomeText(FrameOutcome outcome) {
    switch (outcome) {
        case FrameOutcome::Answer:
            return tr("answer");
        case FrameOutcome::Timeout:
            return tr("time-out");
        case FrameOutcome::Refused:
            return tr("refused");
        case FrameOutcome::Foreign:
            return tr("foreign frame skipped");
        case FrameOutcome::Discarded:
            return tr("late bytes discarded");
        case FrameOutcome::NotRead:
            return tr("no answer read");
        case FrameOutcome::Failed:
            return tr("line failed");
    }
    return {};
}

int BusFrameModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(frames_.size());
}

int BusFrameModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BusFrameModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const BusFrame& f = frame(index.row());
    if (role == Qt::TextAlignmentRole) {
        const bool number =
            index.column() == Time || index.column() == Address || index.column() == Latency;
        return QVariant::fromValue(Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft));
    }
    // A long frame may be cut in its column: its tool tip has every byte.
    if (role == Qt::ToolTipRole && index.column() == Bytes)
        return QString::fromStdString(hexBytes(f));
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
        case Time:
            return QString::fromStdString(num::formatFixed(f.timeMs, 3));
        case Direction:
            return f.direction == FrameDirection::Sent ? QStringLiteral("TX")
                                                       : QStringLiteral("RX");
        case Address:
            return f.hasAddress() ? QString::fromStdString(num::formatInt(f.bytes[0]))
                                  : QStringLiteral("-");
        case Function:
            return f.hasFunction()
                       ? QStringLiteral("%1").arg(f.bytes[1], 2, 16, QChar('0')).toUpper()
                       : QStringLiteral("-");
        case Bytes:
            return QString::fromStdString(hexBytes(f));
        case Crc:
            return f.crcGood ? tr("good") : tr("bad");
        case Outcome:
            return outcomeText(f.outcome);
        case Latency:
            return f.latencyMs < 0 ? QStringLiteral("-")
                                   : QString::fromStdString(num::formatFixed(f.latencyMs, 3));
        default:
            return {};
    }
}

QVariant BusFrameModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
        case Time:
            return tr("Time (ms)");
        case Direction:
            return tr("Direction");
        case Address:
            return tr("Address");
        case Function:
            return tr("Function");
        case Bytes:
            return tr("Bytes");
        case Crc:
            return tr("CRC");
        case Outcome:
            return tr("Outcome");
        case Latency:
            return tr("Latency (ms)");
        default:
            return {};
    }
}
