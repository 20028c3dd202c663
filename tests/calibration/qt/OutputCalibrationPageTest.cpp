// The output calibration page: group enabling, compute, commands and downloads from its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cctype>
#include <cmath>

#include "calibration/qt/OutputCalibrationPage.h"
#include "calibration/qt/TemperaturePage.h"
#include "common/qt/WaitDialogs.h"
#include "link/RegisterMap.h"
#include "tests/calibration/qt/PageBench.h"
#include "tests/support/TestBus.h"
#include "tests/support/qt/EventLoop.h"

using calib::OutputKind;

namespace {

struct OutputPageBench : OnlinePageBench<COutputCalibrationPage> {
    explicit OutputPageBench(std::vector<int> addresses) : OnlinePageBench(std::move(addresses)) {}
    void activateWith(const char* outputType) {
        bus.ctx.setLiveSelections(outputType, "00.00");
        page.onSetActive();
    }
    bool enabled(const char* group) { return find<QGroupBox>(group)->isEnabled(); }
    float regFloat(int address, int first) const {
        const std::uint16_t lo = *bus.sim.reg(address, first);
        const std::uint16_t hi = *bus.sim.reg(address, first + 1);
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(lo >> 8), static_cast<std::uint8_t>(lo),
            static_cast<std::uint8_t>(hi >> 8), static_cast<std::uint8_t>(hi)};
        return reg::registersToFloat(bytes);
    }

    // Low and high values typed and computed, so a download has a slope to send.
    void compute(const char* group, const char* low, const char* high) {
        std::string g = group;
        const std::string edit = char(std::toupper(g[0])) + g.substr(1) + "Edit";
        find<QLineEdit>(("low" + edit).c_str())->setText(low);
        find<QLineEdit>(("high" + edit).c_str())->setText(high);
        find<QPushButton>((g + "ComputeButton").c_str())->click();
    }

    // Runs the window's events until `n` messages were shown (commands finish on a worker).
    bool waitForMessages(std::size_t n) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (bus.messages.texts().size() < n && std::chrono::steady_clock::now() < giveUp)
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        return bus.messages.texts().size() >= n;
    }
};

}  // namespace

// The groups were greyed out without a word: the page now says which output type does it.
TEST(OutputCalibrationPageGroups, FollowTheOutputTypeAtEachActivation) {
    struct Case {
        const char* outputType;
        bool current, voltage;
        const char* note;
    };
    const Case cases[] = {
        {"K1+1A", true, false, "输出类型K1+1A没有电压输出（见基本配置页）"},
        {"2K+1V", false, true, "输出类型2K+1V没有电流输出（见基本配置页）"},
        {"", false, true,
         "输出类型2K+1V没有电流输出（见基本配置页）"},  // no selection: as they are
        {"K1", false, false, "输出类型K1没有模拟输出（见基本配置页）"},
    };
    OutputPageBench p({});
    for (const Case& c : cases) {
        p.activateWith(c.outputType);
        EXPECT_EQ(p.enabled("currentGroup"), c.current) << c.outputType;
        EXPECT_EQ(p.enabled("voltageGroup"), c.voltage) << c.outputType;
        EXPECT_EQ(p.find<QLabel>("outputGroupsNote")->text(), QString::fromUtf8(c.note))
            << c.outputType;
        for (const char* g : {"currentGroup", "voltageGroup"})
            EXPECT_EQ(p.find<QGroupBox>(g)->toolTip(),
                      p.enabled(g) ? QString() : QString::fromUtf8(c.note))
                << c.outputType << g;
    }
}

TEST(OutputCalibrationPageCompute, FourAndTwentyMilliampsFromTheEdits) {
    OutputPageBench p({});
    p.find<QLineEdit>("lowCurrentEdit")->setText("4");
    p.find<QLineEdit>("highCurrentEdit")->setText(" 20 ");
    p.find<QPushButton>("currentComputeButton")->click();
    EXPECT_NEAR(p.page.CurrentSlope, 4.210526f, 5e-7f);
    EXPECT_NEAR(p.page.CurrentOffset, 3.157896f, 5e-7f);
    EXPECT_EQ(p.find<QLineEdit>("currentSlopeEdit")->text(), "4.21053");
    EXPECT_EQ(p.find<QLineEdit>("currentOffsetEdit")->text(), "3.1579");
    EXPECT_EQ(p.page.VoltageSlope, 0.0f);
    EXPECT_TRUE(p.bus.messages.texts().empty());
}

TEST(OutputCalibrationPageCompute, NonNumberStopsTheExchangeAndTheComputeStillRuns) {
    OutputPageBench p({});
    p.find<QLineEdit>("lowVoltageEdit")->setText("0.2");
    p.find<QLineEdit>("highVoltageEdit")->setText("4");
    p.find<QLineEdit>("currentOffsetEdit")->setText("x");
    p.find<QPushButton>("voltageComputeButton")->click();
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{"请键入一个数。"});
    // The voltage edits come after the bad one and were not taken: the compute used 0 and 0.
    EXPECT_EQ(p.page.LowVoltage, 0.0f);
    EXPECT_EQ(p.page.VoltageSlope, 0.0f);
    EXPECT_EQ(p.find<QLineEdit>("lowVoltageEdit")->text(), "0");
    EXPECT_EQ(p.find<QLineEdit>("currentOffsetEdit")->text(), "0");

    p.bus.messages.clear();
    p.find<QLineEdit>("lowVoltageEdit")->setText("0.2");
    p.find<QLineEdit>("highVoltageEdit")->setText("4");
    p.find<QPushButton>("voltageComputeButton")->click();
    EXPECT_TRUE(p.bus.messages.texts().empty());
    EXPECT_NEAR(p.page.VoltageSlope, 1.0f, 1e-6f);
    EXPECT_NEAR(p.page.VoltageOffset, 0.0f, 1e-5f);
}

TEST(OutputCalibrationPageCompute, RefusesValuesNoFloatCanHoldSoNoneReachTheDevices) {
    for (const char* typed : {"inf", "-INF", "nan", "1e39", "-1e39"}) {
        OutputPageBench p({});
        p.find<QLineEdit>("lowCurrentEdit")->setText("4");
        p.find<QLineEdit>("highCurrentEdit")->setText(typed);
        p.find<QPushButton>("currentComputeButton")->click();
        EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{"请键入一个数。"}) << typed;
        EXPECT_EQ(p.page.HighCurrent, 0.0f) << typed;
        EXPECT_TRUE(std::isfinite(p.page.CurrentSlope)) << typed;
        EXPECT_TRUE(std::isfinite(p.page.CurrentOffset)) << typed;
        EXPECT_EQ(p.find<QLineEdit>("highCurrentEdit")->text(), "0") << typed;
    }
    // The largest float is still a number.
    OutputPageBench p({});
    p.find<QLineEdit>("highVoltageEdit")->setText("3.4e38");
    p.find<QPushButton>("voltageComputeButton")->click();
    EXPECT_TRUE(p.bus.messages.texts().empty());
    EXPECT_EQ(p.page.HighVoltage, 3.4e38f);
}

TEST(OutputCalibrationPageCommands, ShowTheirCompletionEvenWithNoDeviceOnline) {
    OutputPageBench p({});
    p.find<QPushButton>("currentLowButton")->click();
    ASSERT_TRUE(p.waitForMessages(1));
    p.find<QPushButton>("currentHighButton")->click();
    ASSERT_TRUE(p.waitForMessages(2));
    p.find<QPushButton>("voltageLowButton")->click();
    ASSERT_TRUE(p.waitForMessages(3));
    p.find<QPushButton>("voltageHighButton")->click();
    ASSERT_TRUE(p.waitForMessages(4));
    EXPECT_EQ(p.bus.messages.texts(),
              (std::vector<std::string>{"低电流校准完成！", "高电流校准完成！", "低电压校准完成！",
                                        "高电压校准完成！"}));
}

TEST(OutputCalibrationPageCommands, WriteRegisterFortyOfEveryOnlineDeviceBehindAWaitDialog) {
    OutputPageBench p({3, 14});
    p.activateWith("2K+1V");
    QString shown;
    Qt::WindowModality modality = Qt::NonModal;
    whenModal<COutputCommandWaitDlg>([&](COutputCommandWaitDlg* d) {
        shown = d->findChild<QLabel*>("waitText")->text();
        modality = d->windowModality();
    });
    p.find<QPushButton>("voltageHighButton")->click();
    // The window was held (tabs and menus included) until the commands were out.
    EXPECT_EQ(shown, "Calibrating the outputs, please wait......");
    EXPECT_EQ(modality, Qt::ApplicationModal);
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{"高电压校准完成！"});
    EXPECT_EQ(*p.bus.sim.reg(3, 40), 2);
    EXPECT_EQ(*p.bus.sim.reg(14, 40), 2);
    EXPECT_FALSE(p.page.findChild<QWidget*>("outputCommandWaitDlg"));  // gone
    EXPECT_FALSE(p.enabled("currentGroup"));
    EXPECT_TRUE(p.enabled("voltageGroup"));
}

TEST(OutputCalibrationPageCommands, CancelStopsBeforeTheNextDeviceAndClaimsNoCompletion) {
    std::vector<int> silent;
    for (int a = 1; a <= 40; ++a) silent.push_back(a);
    OutputPageBench p(silent);
    for (int a : silent) p.bus.sim.setFaults(a, SimFaults{.silent = true});
    QString progress;
    whenModal<COutputCommandWaitDlg>([&](COutputCommandWaitDlg* d) {
        QTimer::singleShot(150, d, [d, &progress] {  // after a poll has shown the progress
            progress = d->findChild<QLabel*>("waitProgressText")->text();
            d->button()->click();
        });
    });
    p.find<QPushButton>("currentLowButton")->click();
    EXPECT_TRUE(p.bus.messages.texts().empty());
    EXPECT_LT(p.bus.sim.framesReceived().size(), silent.size());
    EXPECT_TRUE(progress.startsWith("Address ")) << progress.toStdString();
    EXPECT_TRUE(progress.contains(" of 40")) << progress.toStdString();
}

TEST(OutputCalibrationPageDownload, WritesTheComputedCurrentCoefficients) {
    OutputPageBench p({8});
    p.compute("current", "4", "20");
    p.find<QPushButton>("currentDownloadButton")->click();
    EXPECT_EQ(p.page.CurrentDownloadDone.load(), 1);
    EXPECT_EQ(p.regFloat(8, 28), p.page.CurrentSlope);
    EXPECT_EQ(p.regFloat(8, 30), p.page.CurrentOffset);
    EXPECT_TRUE(p.bus.messages.texts().empty());
}

// A slope of 0 (no compute yet, or equal values) or below (high under low) would leave every
// output flat or reversed: nothing is sent, and the devices keep their coefficients.
TEST(OutputCalibrationPageDownload, RefusesASlopeNotAboveZeroAndSendsNothing) {
    struct Case {
        const char* low;  // nullptr: no compute before the download
        const char* high;
    };
    for (const Case& c : {Case{nullptr, nullptr}, Case{"4", "4"}, Case{"20", "4"}}) {
        SCOPED_TRACE(c.low ? std::string(c.low) + ".." + c.high : "no compute");
        OutputPageBench p({8});
        p.bus.sim.setReg(8, 32, 0x1234);
        p.page.VoltageDownloadDone = 1;
        if (c.low) {
            p.compute("voltage", c.low, c.high);
        } else {
            p.find<QLineEdit>("highVoltageEdit")->setText("9");  // typed, not computed
        }
        p.bus.sim.clearFramesReceived();
        p.find<QPushButton>("voltageDownloadButton")->click();
        EXPECT_EQ(p.bus.messages.texts(),
                  std::vector<std::string>{"斜率须大于0，请先计算斜率和平移，未下载！"});
        EXPECT_TRUE(p.bus.sim.framesReceived().empty());
        EXPECT_EQ(*p.bus.sim.reg(8, 32), 0x1234);
        EXPECT_EQ(p.page.VoltageDownloadDone.load(), 1);
    }
}

TEST(OutputCalibrationPageDownload, NoDeviceOnlineShowsItsMessage) {
    OutputPageBench p({});
    p.compute("current", "4", "20");
    p.find<QPushButton>("currentDownloadButton")->click();
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{"未搜索到在线设备！"});
}

TEST(OutputCalibrationPageDownload, CancelButtonStopsBeforeTheNextDevice) {
    OutputPageBench p({1, 2, 3});
    p.compute("current", "4", "20");
    p.bus.sim.clearFramesReceived();
    QTimer::singleShot(30, [] {
        if (QWidget* w = QApplication::activeModalWidget())
            if (auto* b = w->findChild<QPushButton*>("waitCancel"))
                b->click();
    });
    p.find<QPushButton>("currentDownloadButton")->click();
    EXPECT_EQ(p.page.CurrentDownloadDone.load(), 1);
    // Pressed among the commands or in the one 6 s wait after them: no device was written.
    for (const auto& f : p.bus.sim.framesReceived()) EXPECT_EQ(f.bytes[1], 0x06);
    for (int a : {1, 2, 3}) EXPECT_EQ(*p.bus.sim.reg(a, 28), 0) << a;
}

TEST(OutputCalibrationPageDownload, ThreadStartFailureShowsItsMessage) {
    OutputPageBench p({1});
    p.compute("voltage", "0.2", "4");
    Worker::failNextStartForTest();
    p.page.VoltageDownloadDone = 1;
    p.find<QPushButton>("voltageDownloadButton")->click();
    EXPECT_EQ(p.bus.messages.texts(), std::vector<std::string>{"批量下载线程启动失败！"});
    EXPECT_EQ(p.page.VoltageDownloadDone.load(), 1) << "no run, so the flag keeps its value";
}

TEST(TemperaturePage, IsAnEmptyPage) {
    CTemperaturePage page;
    EXPECT_EQ(page.objectName(), "CTemperaturePage");
    EXPECT_TRUE(page.findChildren<QWidget*>().isEmpty());
}
