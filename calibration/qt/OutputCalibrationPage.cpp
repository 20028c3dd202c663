#include "calibration/qt/OutputCalibrationPage.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "base/NumberText.h"
#include "calibration/CalibrationMath.h"
#include "calibration/SensorCalibration.h"
#include "common/qt/Translate.h"
#include "common/qt/WaitDialogs.h"

using calib::OutputKind;

namespace {

const char* const kEnterANumber = QT_TRANSLATE_NOOP("Core", "请键入一个数。");

// A number as the edit's data exchange accepts it: the whole text, blanks around it allowed.
// Infinities, NaN and values beyond a float are refused: they would reach the devices as
// output coefficients.
bool parseNumber(const QString& text, float& out) {
    const auto v = num::parseFloat(text.toStdString());
    if (!v)
        return false;
    out = *v;
    return true;
}

}  // namespace

QString COutputCalibrationPage::formatValue(float v) {
    return QString::fromStdString(num::formatGeneral(v, 6));
}

COutputCalibrationPage::COutputCalibrationPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx) {
    setObjectName("COutputCalibrationPage");
    setAccessibleName(tr("输出校准"));
    auto* page = new QVBoxLayout(this);
    auto* layout = new QHBoxLayout;
    currentGroup_ = buildGroup(OutputKind::Current);
    voltageGroup_ = buildGroup(OutputKind::Voltage);
    layout->addWidget(currentGroup_, 0, Qt::AlignTop);
    layout->addWidget(voltageGroup_, 0, Qt::AlignTop);
    layout->addStretch(1);
    page->addLayout(layout);
    groupsNote_ = new QLabel(this);
    groupsNote_->setObjectName("outputGroupsNote");
    groupsNote_->setWordWrap(true);
    page->addWidget(groupsNote_);
    page->addStretch(1);
    exchangeToEdits();
}

COutputCalibrationPage::~COutputCalibrationPage() = default;

QGroupBox* COutputCalibrationPage::buildGroup(OutputKind kind) {
    const bool current = kind == OutputKind::Current;
    const QString prefix = current ? "current" : "voltage";
    auto* group = new QGroupBox(current ? tr("电流校准") : tr("电压校准"), this);
    group->setObjectName(prefix + "Group");
    group->setAccessibleName(group->title());
    auto* grid = new QGridLayout(group);

    auto button = [&](const char* caption, const QString& name) {
        auto* b = new QPushButton(tr(caption), group);
        b->setObjectName(name);
        b->setAccessibleName(withoutMnemonic(b->text()));
        return b;
    };
    auto edit = [&](const QString& name, const char* caption) {
        auto* e = new QLineEdit(group);
        e->setObjectName(name);
        auto* label = new QLabel(tr(caption), group);
        label->setObjectName(name + "Label");
        label->setBuddy(e);
        e->setAccessibleName(label->text());
        return std::pair{e, label};
    };

    QPushButton* low =
        button(current ? QT_TR_NOOP("低电流校准") : QT_TR_NOOP("低电压校准"), prefix + "LowButton");
    QPushButton* high = button(current ? QT_TR_NOOP("高电流校准") : QT_TR_NOOP("高电压校准"),
                               prefix + "HighButton");
    QPushButton* compute = button(QT_TR_NOOP("计算>>"), prefix + "ComputeButton");
    QPushButton* download = button(QT_TR_NOOP("下载"), prefix + "DownloadButton");
    const char* unit = current ? "mA" : "V";
    auto [lowEdit, lowUnit] = edit("low" + QString(current ? "Current" : "Voltage") + "Edit", unit);
    auto [highEdit, highUnit] =
        edit("high" + QString(current ? "Current" : "Voltage") + "Edit", unit);
    auto [slopeEdit, slopeLabel] = edit(prefix + "SlopeEdit", QT_TR_NOOP("斜率："));
    auto [offsetEdit, offsetLabel] = edit(prefix + "OffsetEdit", QT_TR_NOOP("平移："));
    // Each low/high edit carries its point's command caption as its name: "mA" alone says
    // nothing to a screen reader.
    lowEdit->setAccessibleName(low->accessibleName() + " " + lowUnit->text());
    highEdit->setAccessibleName(high->accessibleName() + " " + highUnit->text());

    grid->addWidget(low, 0, 0);
    grid->addWidget(lowEdit, 0, 1);
    grid->addWidget(lowUnit, 0, 2);
    grid->addWidget(high, 1, 0);
    grid->addWidget(highEdit, 1, 1);
    grid->addWidget(highUnit, 1, 2);
    grid->addWidget(compute, 2, 0, 1, 3);
    grid->addWidget(slopeLabel, 3, 0);
    grid->addWidget(slopeEdit, 3, 1);
    grid->addWidget(offsetLabel, 4, 0);
    grid->addWidget(offsetEdit, 4, 1);
    grid->addWidget(download, 5, 0, 1, 3);

    if (current) {
        lowCurrentEdit_ = lowEdit;
        highCurrentEdit_ = highEdit;
        currentSlopeEdit_ = slopeEdit;
        currentOffsetEdit_ = offsetEdit;
    } else {
        lowVoltageEdit_ = lowEdit;
        highVoltageEdit_ = highEdit;
        voltageSlopeEdit_ = slopeEdit;
        voltageOffsetEdit_ = offsetEdit;
    }
    connect(low, &QPushButton::clicked, this,
            [this, kind] { OnCommand(kind, calib::kCommandLow); });
    connect(high, &QPushButton::clicked, this,
            [this, kind] { OnCommand(kind, calib::kCommandHigh); });
    connect(compute, &QPushButton::clicked, this, [this, kind] { OnCompute(kind); });
    connect(download, &QPushButton::clicked, this, [this, kind] { OnDownload(kind); });
    return group;
}

void COutputCalibrationPage::onSetActive() {
    const QString type = QString::fromStdString(ctx_.outputTypeText());
    QString note;
    switch (calib::groupsForOutputType(ctx_.outputTypeText())) {
        case calib::OutputGroups::Neither:
            currentGroup_->setEnabled(false);
            voltageGroup_->setEnabled(false);
            note = tr("输出类型%1没有模拟输出（见基本配置页）").arg(type);
            break;
        case calib::OutputGroups::CurrentOnly:
            currentGroup_->setEnabled(true);
            voltageGroup_->setEnabled(false);
            note = tr("输出类型%1没有电压输出（见基本配置页）").arg(type);
            break;
        case calib::OutputGroups::VoltageOnly:
            currentGroup_->setEnabled(false);
            voltageGroup_->setEnabled(true);
            note = tr("输出类型%1没有电流输出（见基本配置页）").arg(type);
            break;
        case calib::OutputGroups::Unchanged:
            note = groupsNote_->text();
            break;
    }
    groupsNote_->setText(note);
    groupsNote_->setAccessibleName(note);
    for (QGroupBox* g : {currentGroup_, voltageGroup_})
        g->setToolTip(g->isEnabled() ? QString() : note);
    SheetPage::onSetActive();
}

void COutputCalibrationPage::OnCommand(OutputKind kind, std::uint16_t value) {
    const bool current = kind == OutputKind::Current;
    const char* text = value == calib::kCommandLow
                           ? (current ? QT_TRANSLATE_NOOP("Core", "低电流校准完成！")
                                      : QT_TRANSLATE_NOOP("Core", "低电压校准完成！"))
                           : (current ? QT_TRANSLATE_NOOP("Core", "高电流校准完成！")
                                      : QT_TRANSLATE_NOOP("Core", "高电压校准完成！"));
    // Off the window's thread and behind a wait dialog: waiting for every device's echo takes
    // about a second on a full bus, and a silent device its read time-out.
    commandDone_ = 0;
    commandCancel_ = 0;
    commandSent_ = 0;
    progress_.clear();
    const bool started = runBehindWaitDialog(
        worker_,
        [this, value] {
            commandSent_ = calib::sendOutputCommand(ctx_, value, &commandCancel_, &progress_);
            commandDone_ = 1;
        },
        ctx_.messages, kStartFailureHandledByCaller, nullptr, &progress_,
        [this] {
            return COutputCommandWaitDlg([this] { return commandDone_.load() != 0; },
                                         [this] { commandCancel_ = 1; }, &worker_, this);
        });
    if (!started) {
        // No thread to spare: here rather than not at all.
        commandSent_ = calib::sendOutputCommand(ctx_, value);
    } else if (commandCancel_.load()) {
        return;  // called off: not every device may have its command
    }
    // A failed port has spoken: no completion is reported for a command that never went out.
    if (commandSent_.load() >= 0)
        ctx_.messages.show(text);
}

bool COutputCalibrationPage::exchangeFromEdits() {
    const std::array<std::pair<QLineEdit*, float*>, 8> order{{
        {lowCurrentEdit_, &LowCurrent},
        {highCurrentEdit_, &HighCurrent},
        {currentSlopeEdit_, &CurrentSlope},
        {currentOffsetEdit_, &CurrentOffset},
        {lowVoltageEdit_, &LowVoltage},
        {voltageOffsetEdit_, &VoltageOffset},
        {voltageSlopeEdit_, &VoltageSlope},
        {highVoltageEdit_, &HighVoltage},
    }};
    for (auto [edit, value] : order) {
        if (!parseNumber(edit->text(), *value)) {
            ctx_.messages.show(kEnterANumber);
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    return true;
}

void COutputCalibrationPage::exchangeToEdits() {
    lowCurrentEdit_->setText(formatValue(LowCurrent));
    highCurrentEdit_->setText(formatValue(HighCurrent));
    currentSlopeEdit_->setText(formatValue(CurrentSlope));
    currentOffsetEdit_->setText(formatValue(CurrentOffset));
    lowVoltageEdit_->setText(formatValue(LowVoltage));
    highVoltageEdit_->setText(formatValue(HighVoltage));
    voltageSlopeEdit_->setText(formatValue(VoltageSlope));
    voltageOffsetEdit_->setText(formatValue(VoltageOffset));
}

void COutputCalibrationPage::OnCompute(OutputKind kind) {
    exchangeFromEdits();
    if (kind == OutputKind::Current)
        calib::ComputeSlopeOffset(LowCurrent, HighCurrent, CurrentSlope, CurrentOffset);
    else
        calib::ComputeSlopeOffset(LowVoltage, HighVoltage, VoltageSlope, VoltageOffset);
    exchangeToEdits();
}

void COutputCalibrationPage::OnDownload(OutputKind kind) {
    const bool current = kind == OutputKind::Current;
    std::atomic<int>& done = current ? CurrentDownloadDone : VoltageDownloadDone;
    const float slope = current ? CurrentSlope : VoltageSlope;
    const float offset = current ? CurrentOffset : VoltageOffset;
    if (!(slope > 0.0f)) {
        ctx_.messages.show(calib::kSlopeNotPositive, MessageIcon::Exclamation);
        return;
    }
    const KeptFlags kept{&done};
    done = 0;
    downloadCancel_ = 0;
    progress_.clear();
    const auto work = [this, kind, slope, offset, &done] {
        calib::downloadOutputCoefficients(ctx_, kind, slope, offset, done, downloadCancel_,
                                          &progress_);
    };
    const auto finished = [&done] { return done.load() != 0; };
    const auto cancel = [this] { downloadCancel_ = 1; };
    if (current)
        runBehindWaitDialog(
            worker_, work, ctx_.messages, WorkerStartFailure::kBatchDownload, &kept, &progress_,
            [&] { return CCurrentDownloadWaitDlg(finished, cancel, &worker_, this); });
    else
        runBehindWaitDialog(
            worker_, work, ctx_.messages, WorkerStartFailure::kBatchDownload, &kept, &progress_,
            [&] { return CVoltageDownloadWaitDlg(finished, cancel, &worker_, this); });
}
