#include "shell/qt/BusMonitorWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/FileWrite.h"
#include "base/NumberText.h"
#include "common/qt/FileDialogs.h"
#include "shell/qt/BusFrameModel.h"

namespace {

QPushButton* button(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAccessibleName(text);
    return b;
}

QString number(std::uint64_t n) {
    return QString::fromStdString(num::formatInt(static_cast<long long>(n)));
}

QString milliseconds(const AddressHealth& h, double v) {
    return h.answers ? QString::fromStdString(num::formatFixed(v, 1)) : QStringLiteral("-");
}

}  // namespace

BusMonitorWindow::BusMonitorWindow(AppContext& ctx, QWidget* parent)
    : QWidget(parent, Qt::Window), ctx_(ctx), model_(new BusFrameModel(100'000, this)) {
    setObjectName("busMonitor");
    setWindowTitle(tr("Bus monitor"));
    setAccessibleName(windowTitle());

    pause_ = button(tr("Pause"), "busMonitorPause", this);
    pause_->setCheckable(true);
    QPushButton* clear = button(tr("Clear"), "busMonitorClear", this);
    QPushButton* save = button(tr("Save..."), "busMonitorSave", this);
    counts_ = new QLabel(this);
    counts_->setObjectName("busMonitorCounts");
    auto* tools = new QHBoxLayout;
    tools->addWidget(pause_);
    tools->addWidget(clear);
    tools->addWidget(save);
    tools->addStretch(1);
    tools->addWidget(counts_);

    view_ = new QTableView(this);
    view_->setObjectName("busMonitorFrames");
    view_->setAccessibleName(tr("Frames"));
    view_->setModel(model_);
    view_->setTabKeyNavigation(false);  // one Tab stop; the arrows move between cells
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(view_->fontMetrics().height() + 6);
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->horizontalHeader()->setSectionResizeMode(BusFrameModel::Bytes, QHeaderView::Stretch);
    // Each figure as wide as its longest text, so the bytes keep the rest of the row.
    const auto fit = [this](int column, const QString& widest) {
        const QString caption = model_->headerData(column, Qt::Horizontal).toString();
        const int header = view_->fontMetrics().horizontalAdvance(caption) + 16;
        view_->setColumnWidth(
            column, std::max(header, view_->fontMetrics().horizontalAdvance(widest) + 12));
    };
    fit(BusFrameModel::Time, QStringLiteral("9999999.999"));
    fit(BusFrameModel::Direction, QStringLiteral("TX"));
    fit(BusFrameModel::Address, QStringLiteral("127"));
    fit(BusFrameModel::Function, QStringLiteral("90"));
    fit(BusFrameModel::Crc, tr("good"));
    fit(BusFrameModel::Outcome, tr("foreign frame skipped"));
    fit(BusFrameModel::Latency, QStringLiteral("99999.999"));

    since_ = new QLabel(this);
    since_->setObjectName("busMonitorSince");
    QPushButton* reset = button(tr("Reset figures"), "busMonitorResetFigures", this);
    health_ = new QTableWidget(this);
    health_->setObjectName("busMonitorHealth");
    health_->setTabKeyNavigation(false);
    health_->setAccessibleName(tr("Figures per address"));
    buildHealthTable();
    auto* healthPane = new QWidget(this);
    auto* healthLayout = new QVBoxLayout(healthPane);
    healthLayout->setContentsMargins(0, 0, 0, 0);
    auto* healthTools = new QHBoxLayout;
    healthTools->addWidget(since_, 1);
    healthTools->addWidget(reset);
    healthLayout->addLayout(healthTools);
    healthLayout->addWidget(health_);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName("busMonitorSplitter");
    split->addWidget(view_);
    split->addWidget(healthPane);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(tools);
    layout->addWidget(split, 1);
    resize(1000, 620);  // within a 1280 x 720 screen with its panels

    connect(clear, &QPushButton::clicked, this, [this] {
        model_->clear();
        notShown_ = 0;
        refreshCounts();
    });
    connect(save, &QPushButton::clicked, this, &BusMonitorWindow::save);
    connect(reset, &QPushButton::clicked, this, [this] {
        ctx_.bus.resetHealth();
        refreshHealth();
    });
    connect(pause_, &QPushButton::toggled, this, [this] { refreshCounts(); });
    connect(&timer_, &QTimer::timeout, this, &BusMonitorWindow::drain);

    ctx_.bus.addObserver(&listener_);
    refreshHealth();
    refreshCounts();
    timer_.start(kDrainMs);
}

BusMonitorWindow::~BusMonitorWindow() {
    ctx_.bus.removeObserver(&listener_);
}

int BusMonitorWindow::rowOf(int address) {
    return address == HealthTable::kBroadcast ? HealthTable::kDeviceCount : address - 1;
}

void BusMonitorWindow::buildHealthTable() {
    const QStringList columns{
        tr("Address"), tr("Requests"),       tr("Answers"),  tr("Time-outs"), tr("CRC errors"),
        tr("Refused"), tr("Foreign frames"), tr("Min (ms)"), tr("Mean (ms)"), tr("Max (ms)")};
    const auto addresses = HealthTable::addresses();
    health_->setColumnCount(static_cast<int>(columns.size()));
    health_->setRowCount(static_cast<int>(addresses.size()));
    health_->setHorizontalHeaderLabels(columns);
    health_->verticalHeader()->hide();
    health_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    health_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    health_->verticalHeader()->setDefaultSectionSize(health_->fontMetrics().height() + 6);
    // The figures share the width: no sideways scrolling to reach "Max (ms)".
    health_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    health_->horizontalHeader()->setMinimumSectionSize(
        health_->fontMetrics().horizontalAdvance(QStringLiteral("99999.9")) + 8);
    for (int c = 0; c < health_->columnCount(); ++c) {
        for (int a : addresses) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            health_->setItem(rowOf(a), c, item);
        }
    }
    for (int a : addresses) health_->item(rowOf(a), 0)->setText(QString::number(a));
}

void BusMonitorWindow::refreshHealth() {
    const HealthTable table = ctx_.bus.health();
    since_->setText(table.sinceReset ? tr("Figures since they were reset")
                                     : tr("Figures since the port was opened"));
    std::string text = formatHealthTable(table);
    if (text == shownHealth_)
        return;
    shownHealth_ = std::move(text);
    for (int a : HealthTable::addresses()) {
        const AddressHealth& h = table.at(a);
        const QStringList cells{number(h.requests),
                                number(h.answers),
                                number(h.timeouts),
                                number(h.crcErrors),
                                number(h.refusals),
                                number(h.foreign),
                                milliseconds(h, h.latencyMinMs),
                                milliseconds(h, h.latencyMeanMs()),
                                milliseconds(h, h.latencyMaxMs)};
        for (int c = 0; c < cells.size(); ++c) health_->item(rowOf(a), c + 1)->setText(cells[c]);
    }
}

void BusMonitorWindow::refreshCounts() {
    QString text = tr("%n frames", nullptr, model_->rowCount());
    if (notShown_ > 0)
        text += tr(", %1 not shown").arg(number(notShown_));
    if (pause_->isChecked())
        text += tr(" (paused)");
    counts_->setText(text);
}

void BusMonitorWindow::drain() {
    std::size_t dropped = 0;
    std::vector<BusFrame> frames = queue_.take(&dropped);
    notShown_ += dropped;
    if (pause_->isChecked()) {
        notShown_ += frames.size();
    } else if (!frames.empty()) {
        QScrollBar* bar = view_->verticalScrollBar();
        const bool following = bar->value() >= bar->maximum();
        model_->append(std::move(frames));
        if (following)
            view_->scrollToBottom();
    }
    refreshHealth();
    refreshCounts();
}

void BusMonitorWindow::save() {
    FileDialogs::Request r;
    r.save = true;
    r.title = tr("Save bus traffic");
    r.filter = tr("Text Files(*.txt);;All Files(*.*)");
    r.defaultSuffix = "txt";
    const QString path = FileDialogs::ask(this, r);
    if (path.isEmpty())
        return;
    const FileWritten w = replaceFileAtomically(path.toStdString(), model_->text());
    if (!w.ok) {
        ctx_.messages.show(tr("Bus traffic not saved: %1 (%2)")
                               .arg(path, QString::fromStdString(w.why))
                               .toStdString());
        return;
    }
    ctx_.messages.show(tr("Bus traffic saved: %1").arg(path).toStdString());
}
