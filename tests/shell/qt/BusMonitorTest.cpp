// The bus monitor: the frames of a scan with their outcomes, the figures per address, pause,
// clear, save, reset, and the ring that keeps memory flat.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTableWidget>
#include <thread>

#include "ShellFixture.h"
#include "common/qt/FileDialogs.h"
#include "config/DeviceSearch.h"
#include "link/RegisterMap.h"
#include "shell/qt/BusFrameModel.h"
#include "shell/qt/BusMonitorWindow.h"
#include "tests/support/RecordingMessages.h"
#include "tests/support/TestBus.h"

namespace {

QString cell(const QAbstractItemModel* m, int row, int column) {
    return m->data(m->index(row, column)).toString();
}

QString healthCell(const BusMonitorWindow* w, int address, int column) {
    return w->healthTable()->item(BusMonitorWindow::rowOf(address), column)->text();
}

// Rows of the frame list whose exchange was with `address`.
std::vector<int> rowsOf(const BusFrameModel* m, int address) {
    std::vector<int> rows;
    for (int r = 0; r < m->rowCount(); ++r)
        if (m->frame(r).exchangeAddress == address)
            rows.push_back(r);
    return rows;
}

struct Monitored {
    explicit Monitored(std::vector<int> devices) : t(std::move(devices)), w(t.ctx) {
        SerialSettings s = t.settings();
        s.ResponseTimeoutMs = 20;
        t.ctx.bus.Open(s);
        t.messages.clear();
        monitor = w.frame.showBusMonitor();
    }
    ExchangeResult read(int address) {
        return t.ctx.bus.readInputRegisters(static_cast<std::uint8_t>(address), reg::kBlockFirst,
                                            reg::kBlockCount, Timing::kScanWaitMs);
    }
    QPushButton* button(const char* name) { return monitor->findChild<QPushButton*>(name); }
    TestBus t;
    ShellWindow w;
    BusMonitorWindow* monitor = nullptr;
};

TEST(BusMonitor, TheMenuOpensOneWindowThatLeavesTheMainWindowUsable) {
    RecordingMessages messages;
    AppContext ctx(messages);
    ShellWindow w(ctx);
    w.action("actionBusMonitor")->trigger();
    auto* monitor = w.frame.findChild<BusMonitorWindow*>("busMonitor");
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(monitor->isVisible());
    EXPECT_FALSE(monitor->isModal());
    EXPECT_TRUE(monitor->isWindow());
    EXPECT_EQ(monitor->windowTitle(), "Bus monitor");
    EXPECT_LE(monitor->width(), 1280);
    EXPECT_LE(monitor->height(), 720);
    monitor->close();
    w.action("actionBusMonitor")->trigger();
    EXPECT_EQ(w.frame.findChildren<BusMonitorWindow*>().size(), 1);
    EXPECT_TRUE(monitor->isVisible());
}

TEST(BusMonitor, AScanShowsTheAnswerTheBadCrcAndTheSilentDevice) {
    Monitored m({1, 5});
    SimFaults bad;
    bad.badCrc = true;
    m.t.sim.setFaults(5, bad);
    config::SearchState st;
    config::ScanAllDevices(m.t.ctx, st);
    m.monitor->drain();
    const BusFrameModel* f = m.monitor->frames();
    // Device 5's answer failed its CRC: the scan asked it once more.
    ASSERT_EQ(f->rowCount(), 60 + 1 + 2 + 1);

    const auto one = rowsOf(f, 1);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(cell(f, one[0], BusFrameModel::Direction), "TX");
    EXPECT_EQ(cell(f, one[0], BusFrameModel::Bytes), "01 04 00 03 00 13 41 C7");
    EXPECT_EQ(cell(f, one[0], BusFrameModel::Outcome), "answer");
    EXPECT_EQ(cell(f, one[1], BusFrameModel::Direction), "RX");
    EXPECT_EQ(cell(f, one[1], BusFrameModel::Address), "1");
    EXPECT_EQ(cell(f, one[1], BusFrameModel::Function), "04");
    EXPECT_EQ(cell(f, one[1], BusFrameModel::Crc), "good");
    EXPECT_EQ(cell(f, one[1], BusFrameModel::Outcome), "answer");
    EXPECT_EQ(cell(f, one[1], BusFrameModel::Bytes).left(9), "01 04 26 ");
    EXPECT_GT(cell(f, one[1], BusFrameModel::Latency).toDouble(), 0.0);

    const auto five = rowsOf(f, 5);
    ASSERT_EQ(five.size(), 4u);
    for (std::size_t i : {0u, 2u}) {
        EXPECT_EQ(cell(f, five[i], BusFrameModel::Outcome), "time-out");
        EXPECT_EQ(cell(f, five[i + 1], BusFrameModel::Crc), "bad");
        EXPECT_EQ(cell(f, five[i + 1], BusFrameModel::Outcome), "time-out");
    }

    const auto nine = rowsOf(f, 9);
    ASSERT_EQ(nine.size(), 1u);
    EXPECT_EQ(cell(f, nine[0], BusFrameModel::Outcome), "time-out");
    EXPECT_EQ(cell(f, nine[0], BusFrameModel::Crc), "good");

    // Address, requests, answers, time-outs, CRC errors, refused, foreign, min, mean, max.
    EXPECT_EQ(healthCell(m.monitor, 1, 1), "1");
    EXPECT_EQ(healthCell(m.monitor, 1, 2), "1");
    EXPECT_NE(healthCell(m.monitor, 1, 8), "-");
    EXPECT_EQ(healthCell(m.monitor, 5, 1), "2");
    EXPECT_EQ(healthCell(m.monitor, 5, 3), "2");
    EXPECT_EQ(healthCell(m.monitor, 5, 4), "2");
    EXPECT_EQ(healthCell(m.monitor, 5, 8), "-");
    EXPECT_EQ(healthCell(m.monitor, 9, 3), "1");
    EXPECT_EQ(healthCell(m.monitor, 9, 4), "0");
    EXPECT_EQ(healthCell(m.monitor, 127, 0), "127");
    EXPECT_EQ(healthCell(m.monitor, 127, 1), "0");
    EXPECT_EQ(m.monitor->findChild<QLabel*>("busMonitorCounts")->text(), "64 frames");
}

TEST(BusMonitor, FramesFromAWorkerArriveWhileTheWindowDrains) {
    Monitored m({2});
    std::thread worker([&] {
        for (int i = 0; i < 10; ++i) m.read(2);
    });
    EXPECT_TRUE(waitFor([&] { return m.monitor->frames()->rowCount() == 20; }, 5000));
    worker.join();
}

TEST(BusMonitor, PauseClearSaveAndResetDoWhatTheySay) {
    Monitored m({3});
    m.read(3);
    m.monitor->drain();
    ASSERT_EQ(m.monitor->frames()->rowCount(), 2);

    m.button("busMonitorPause")->click();
    m.read(3);
    m.monitor->drain();
    EXPECT_EQ(m.monitor->frames()->rowCount(), 2);
    EXPECT_EQ(m.monitor->findChild<QLabel*>("busMonitorCounts")->text(),
              "2 frames, 2 not shown (paused)");
    EXPECT_EQ(healthCell(m.monitor, 3, 1), "2");  // the figures go on
    m.button("busMonitorPause")->click();

    m.button("busMonitorClear")->click();
    EXPECT_EQ(m.monitor->frames()->rowCount(), 0);
    m.read(3);
    m.read(4);
    m.monitor->drain();
    ASSERT_EQ(m.monitor->frames()->rowCount(), 3);

    TempDir dir;
    const std::string path = dir.file("traffic.txt");
    FileDialogs::setTestAnswer(
        [&](const FileDialogs::Request&) { return QString::fromStdString(path); });
    m.button("busMonitorSave")->click();
    const auto saved = readFileBytes(path);
    std::string expected;
    for (int r = 0; r < 3; ++r) expected += formatFrameLine(m.monitor->frames()->frame(r)) + "\n";
    EXPECT_EQ(std::string(saved.begin(), saved.end()), expected);
    EXPECT_EQ(m.t.messages.texts(), std::vector<std::string>{"Bus traffic saved: " + path});

    m.t.messages.clear();
    const std::string nowhere = dir.file("no/such/dir/traffic.txt");
    FileDialogs::setTestAnswer(
        [&](const FileDialogs::Request&) { return QString::fromStdString(nowhere); });
    m.button("busMonitorSave")->click();
    EXPECT_EQ(m.t.messages.texts(), std::vector<std::string>{"Bus traffic not saved: " + nowhere +
                                                             " (" + std::strerror(ENOENT) + ")"});
    FileDialogs::setTestAnswer(nullptr);

    m.button("busMonitorResetFigures")->click();
    EXPECT_EQ(healthCell(m.monitor, 3, 1), "0");
    EXPECT_EQ(m.monitor->findChild<QLabel*>("busMonitorSince")->text(),
              "Figures since they were reset");
}

TEST(BusMonitor, TheRingKeepsTheNewestFrames) {
    BusFrameModel model(5);
    auto frames = [](int from, int n) {
        std::vector<BusFrame> out;
        for (int i = from; i < from + n; ++i) {
            BusFrame f;
            f.timeMs = i;
            out.push_back(f);
        }
        return out;
    };
    model.append(frames(0, 3));
    model.append(frames(3, 4));
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.frame(0).timeMs, 2.0);
    EXPECT_EQ(model.frame(4).timeMs, 6.0);
    model.append(frames(10, 12));
    ASSERT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.frame(0).timeMs, 17.0);
    EXPECT_EQ(model.frame(4).timeMs, 21.0);
}

}  // namespace

// The bytes of a 17-byte frame were cut and "Max (ms)" needed sideways scrolling.
TEST(BusMonitor, WholeFramesAndEveryFigureFitAtTheWindowsSize) {
    Monitored m({7});
    // A write of four registers: 17 bytes out.
    m.t.ctx.bus.writeRegisters(7, 24, {0, 1, 0, 2, 0, 3, 0, 4}, Timing::kRegisterWaitMs);
    const BusFrameModel* frames = m.monitor->frames();
    ASSERT_TRUE(waitFor([&] { return frames->rowCount() >= 1; }, 5000));
    int longest = -1;
    for (int r = 0; r < frames->rowCount(); ++r)
        if (frames->frame(r).bytes.size() == 17)
            longest = r;
    ASSERT_GE(longest, 0);
    const QModelIndex bytes = frames->index(longest, BusFrameModel::Bytes);
    const QString whole = bytes.data().toString();
    EXPECT_EQ(whole.split(' ', Qt::SkipEmptyParts).size(), 17);
    EXPECT_EQ(bytes.data(Qt::ToolTipRole).toString(), whole);

    m.monitor->show();
    QApplication::processEvents();
    EXPECT_LE(m.monitor->width(), 1280);
    EXPECT_LE(m.monitor->height(), 720);
    auto* view = m.monitor->findChild<QTableView*>("busMonitorFrames");
    const int room = view->columnWidth(BusFrameModel::Bytes);
    EXPECT_GE(room, view->fontMetrics().horizontalAdvance(whole)) << whole.toStdString();
    QTableWidget* health = m.monitor->healthTable();
    for (int c = 0; c < health->columnCount(); ++c) {
        const QString caption = health->horizontalHeaderItem(c)->text();
        EXPECT_GE(health->columnWidth(c), health->fontMetrics().horizontalAdvance(caption))
            << caption.toStdString();
    }
    EXPECT_EQ(health->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(view->horizontalScrollBar()->maximum(), 0);
    m.monitor->hide();
}
