#include "calibration/qt/CalibrationPage.h"

#include <algorithm>

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/NumberText.h"
#include "calibration/CalibrationReport.h"
#include "calibration/qt/FitQualityTable.h"
#include "calibration/qt/OnlinePanel.h"
#include "common/qt/Translate.h"
#include "common/qt/WaitDialogs.h"

namespace {
const char* const kKRowText = "               k";
const char* const kBRowText = "               b";
}  // namespace

CCalibrationPage::CCalibrationPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx), core_(ctx) {
    setObjectName("CCalibrationPage");
    setAccessibleName(tr("Calibration"));

    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 0);

    auto* countRow = new QHBoxLayout;
    auto* countLabel = new QLabel(tr("标定点数："), this);
    countLabel->setObjectName("pointCountLabel");
    pointCount_ = new QComboBox(this);
    pointCount_->setObjectName("pointCountCombo");
    pointCount_->addItems({"2", "3", "5"});
    countLabel->setBuddy(pointCount_);
    pointCount_->setAccessibleName(countLabel->text());
    countRow->addWidget(countLabel);
    countRow->addWidget(pointCount_);
    countRow->addStretch(1);
    left->addLayout(countRow);

    auto* points = new QGridLayout;
    points->setVerticalSpacing(2);
    for (int i = 0; i < calib::kMaxPoints; ++i) {
        const QString n = QString::number(i + 1);
        targetTexts_[i] = new QLabel(this);
        targetTexts_[i]->setObjectName("targetText" + n);
        targetTexts_[i]->setMinimumWidth(90);
        unitTexts_[i] = new QLabel(this);
        unitTexts_[i]->setObjectName("unitText" + n);
        acquireButtons_[i] = new QPushButton(tr("采集"), this);
        acquireButtons_[i]->setObjectName("acquireButton" + n);
        acquireButtons_[i]->setAccessibleName(acquireButtons_[i]->text());
        acquireButtons_[i]->setAccessibleDescription(tr("point %1").arg(n));
        // Verifying at a point is done with that point applied, so it sits in the point's row.
        verifyButtons_[i] = new QPushButton(tr("校验"), this);
        verifyButtons_[i]->setObjectName("verifyButton" + n);
        verifyButtons_[i]->setAccessibleName(verifyButtons_[i]->text());
        verifyButtons_[i]->setAccessibleDescription(tr("point %1").arg(n));
        points->addWidget(targetTexts_[i], i, 0);
        points->addWidget(unitTexts_[i], i, 1);
        points->addWidget(acquireButtons_[i], i, 2);
        points->addWidget(verifyButtons_[i], i, 3);
        connect(acquireButtons_[i], &QPushButton::clicked, this, [this, i] { OnAcquire(i + 1); });
        connect(verifyButtons_[i], &QPushButton::clicked, this, [this, i] { OnVerify(i + 1); });
    }
    points->setColumnStretch(2, 1);
    points->setColumnStretch(3, 1);
    left->addLayout(points);

    grid_ = new QTableWidget(this);
    grid_->setObjectName("calibrationGrid");
    grid_->setTabKeyNavigation(false);  // one Tab stop; the arrows move between cells
    grid_->setAccessibleName(tr("Calibration table"));
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 8);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    left->addWidget(grid_, 1);

    quality_ = new CFitQualityTable(this);
    // The table's title, once its top-left cell: that corner now belongs to the headers.
    auto* qualityCaption = new QLabel(CFitQualityTable::tr("拟合残差"), this);
    qualityCaption->setObjectName("fitQualityCaption");
    qualityCaption->setBuddy(quality_);
    left->addWidget(qualityCaption);
    left->addWidget(quality_, 1);
    // One column per device in both tables: they scroll together so the columns stay aligned.
    connect(grid_->horizontalScrollBar(), &QScrollBar::valueChanged,
            quality_->horizontalScrollBar(), &QScrollBar::setValue);
    connect(quality_->horizontalScrollBar(), &QScrollBar::valueChanged,
            grid_->horizontalScrollBar(), &QScrollBar::setValue);

    auto* buttons = new QHBoxLayout;
    computeButton_ = new QPushButton(tr("计算K和B值并下载"), this);
    computeButton_->setObjectName("computeDownloadButton");
    computeButton_->setAccessibleName(withoutMnemonic(computeButton_->text()));
    reportButton_ = new QPushButton(tr("保存标定报告"), this);
    reportButton_->setObjectName("saveReportButton");
    reportButton_->setAccessibleName(withoutMnemonic(reportButton_->text()));
    buttons->addWidget(computeButton_);
    buttons->addWidget(reportButton_);
    buttons->addStretch(1);
    left->addLayout(buttons);
    connect(computeButton_, &QPushButton::clicked, this, &CCalibrationPage::OnComputeAndDownload);
    connect(reportButton_, &QPushButton::clicked, this, &CCalibrationPage::OnSaveReport);

    panel_ = new COnlinePanel(this);
    right->addWidget(panel_);

    results_ = new QTreeWidget(this);
    results_->setObjectName("resultList");
    results_->setAccessibleName(tr("Acquisition results"));
    results_->setRootIsDecorated(false);
    results_->setAllColumnsShowFocus(true);
    results_->setColumnCount(3);
    results_->setHeaderLabels({tr("压力"), tr("地址"), tr("数值")});
    results_->setColumnWidth(0, 100);
    results_->setColumnWidth(1, 100);
    results_->setColumnWidth(2, 150);
    right->addWidget(results_, 1);

    // Initial state: three points in MPa, placeholder addresses until the first activation.
    const BasicSettings basic = ctx_.basicSettings();
    PageSignalType = basic.SignalTypeText;
    PageDensity = basic.LiquidDensity;
    unitText_ = "MPa";
    targets_ = calib::targetSetFor(basic, 3, PageSignalType, PageDensity);
    pointCount_->setCurrentIndex(1);
    for (int i = 0; i < calib::kMaxPoints; ++i) {
        const bool visible = i < 3;
        targetTexts_[i]->setVisible(visible);
        unitTexts_[i]->setVisible(visible);
        acquireButtons_[i]->setVisible(visible);
        verifyButtons_[i]->setVisible(visible);
    }
    updateTargets(3);
    for (int i = 0; i < 3; ++i) unitTexts_[i]->setText("MPa");
    grid_->setColumnCount(10);
    grid_->setRowCount(5);
    for (int c = 1; c <= 10; ++c) setGridText(0, c, QString::asprintf("%02d", c));
    for (int r = 1; r <= 3; ++r)
        setGridText(r, 0, QString::fromStdString(calib::formatTarget(TargetValues[r - 1])));
    setGridText(4, 0, kKRowText);
    setGridText(5, 0, kBRowText);
    alignColumns();

    connect(pointCount_, &QComboBox::currentIndexChanged, this,
            &CCalibrationPage::OnPointCountChanged);
}

CCalibrationPage::~CCalibrationPage() = default;

int CCalibrationPage::selectedPointCount() const {
    return static_cast<int>(
        num::leadingInteger(pointCount_->currentText().toStdString()).value_or(0));
}

void CCalibrationPage::updateTargets(int n) {
    const BasicSettings basic = ctx_.basicSettings();
    TargetValues = calib::targetValues(basic.RangeStart, basic.RangeEnd, n);
    for (int i = 0; i < calib::kMaxPoints; ++i)
        targetTexts_[i]->setText(QString::fromStdString(calib::formatTarget(TargetValues[i])));
}

void CCalibrationPage::setGridText(int row, int column, const QString& text) {
    if (row >= gridRowCount() || column >= gridColumnCount() || (row == 0 && column == 0))
        return;
    if (row == 0)
        grid_->setHorizontalHeaderItem(column - 1, new QTableWidgetItem(text));
    else if (column == 0)
        grid_->setVerticalHeaderItem(row - 1, new QTableWidgetItem(text));
    else if (QTableWidgetItem* item = grid_->item(row - 1, column - 1))
        item->setText(text);
    else
        grid_->setItem(row - 1, column - 1, new QTableWidgetItem(text));
}

QString CCalibrationPage::gridText(int row, int column) const {
    const QTableWidgetItem* item =
        row == 0      ? (column == 0 ? nullptr : grid_->horizontalHeaderItem(column - 1))
        : column == 0 ? grid_->verticalHeaderItem(row - 1)
                      : grid_->item(row - 1, column - 1);
    return item ? item->text() : QString();
}

int CCalibrationPage::gridRowCount() const {
    return grid_->rowCount() + 1;
}

int CCalibrationPage::gridColumnCount() const {
    return grid_->columnCount() + 1;
}

void CCalibrationPage::alignColumns() {
    const int captions = std::max(grid_->verticalHeader()->sizeHint().width(),
                                  quality_->verticalHeader()->sizeHint().width());
    grid_->verticalHeader()->setFixedWidth(captions);
    quality_->verticalHeader()->setFixedWidth(captions);
    grid_->resizeColumnsToContents();
    quality_->resizeColumnsToContents();
    for (int c = 0; c < grid_->columnCount(); ++c) {
        const int w = std::max(grid_->columnWidth(c),
                               c < quality_->columnCount() ? quality_->columnWidth(c) : 0);
        grid_->setColumnWidth(c, w);
        if (c < quality_->columnCount())
            quality_->setColumnWidth(c, w);
    }
}

void CCalibrationPage::layoutGrid(int n) {
    const std::vector<int> online = ctx_.onlineAddresses();
    grid_->setRowCount(calib::gridRows(n) - 1);
    grid_->setColumnCount(static_cast<int>(online.size()));
    for (std::size_t j = 0; j < online.size(); ++j)
        setGridText(0, static_cast<int>(j) + 1, QString::number(online[j]));
    for (int i = 1; i <= n; ++i)
        setGridText(i, 0, QString::fromStdString(calib::formatTarget(TargetValues[i - 1])));
    setGridText(calib::kRow(n), 0, kKRowText);
    setGridText(calib::bRow(n), 0, kBRowText);
}

void CCalibrationPage::showState() {
    const int n = targets_.pointCount;
    const calib::CalibrationSnapshot s = core_.snapshot();
    const std::vector<int> online = ctx_.onlineAddresses();
    grid_->clearContents();
    layoutGrid(n);
    for (std::size_t j = 0; j < online.size(); ++j) {
        const int column = static_cast<int>(j) + 1;
        const calib::DeviceCalibration* d = s.device(online[j]);
        if (!d)
            continue;
        for (int i = 1; i <= n; ++i)
            if (d->readings[i - 1])
                setGridText(i, column,
                            QString::fromStdString(
                                num::formatInt(static_cast<long long>(*d->readings[i - 1]))));
        // Coefficients a device did not confirm are not shown as if it held them.
        if (d->outcome == calib::DeviceOutcome::Written) {
            setGridText(calib::kRow(n), column,
                        QString::fromStdString(calib::formatCoefficient(d->K)));
            setGridText(calib::bRow(n), column,
                        QString::fromStdString(calib::formatCoefficient(d->B)));
        }
    }
    quality_->showSnapshot(s, online);
    alignColumns();
}

std::function<void()> CCalibrationPage::stateChanged() {
    return [this] {
        QMetaObject::invokeMethod(
            this, [this] { showState(); }, Qt::QueuedConnection);
    };
}

void CCalibrationPage::applyPointCount(int n) {
    for (int i = 0; i < calib::kMaxPoints; ++i) {
        const bool visible = i < n;
        targetTexts_[i]->setVisible(visible);
        unitTexts_[i]->setVisible(visible);
        acquireButtons_[i]->setVisible(visible);
        verifyButtons_[i]->setVisible(visible);
    }
    updateTargets(n);
    targets_ = calib::targetSetFor(ctx_.basicSettings(), n, PageSignalType, PageDensity);
    // Readings of other targets are gone with them, and so is the list of the last pass.
    calib::CalibrationSnapshot before = core_.snapshot();
    if (core_.useTargets(targets_)) {
        results_->clear();
        if (!before.devices.empty())
            clearedResults_ = std::move(before);
    }
    showState();
}

bool CCalibrationPage::holdsResults() const {
    return !core_.snapshot().devices.empty();
}

void CCalibrationPage::OnPointCountChanged() {
    const int n = selectedPointCount();
    if (!calib::isPointCount(n))
        return;
    if (n != targets_.pointCount && holdsResults() && !ctx_.messages.ask(kDiscardResults)) {
        const QSignalBlocker keep(pointCount_);
        pointCount_->setCurrentText(QString::number(targets_.pointCount));
        return;
    }
    applyPointCount(n);
}

void CCalibrationPage::onSetActive() {
    const BasicSettings basic = ctx_.basicSettings();
    unitText_ = basic.SignalUnitText;
    for (QLabel* unit : unitTexts_) unit->setText(QString::fromStdString(unitText_));
    PageDensity = basic.LiquidDensity;
    PageSignalType = basic.SignalTypeText;
    results_->headerItem()->setText(0, QString::fromStdString(PageSignalType));
    const int n = selectedPointCount();
    if (calib::isPointCount(n))
        applyPointCount(n);
    panel_->RefreshOnlinePanel(ctx_);
    SheetPage::onSetActive();
}

void CCalibrationPage::OnAcquire(int point) {
    const KeptFlags kept{&core_.AcqDone[point - 1], &core_.AcqFailed[point - 1]};
    core_.prepareAcquisition(point);
    const auto publish = [this](const calib::AcquisitionOutcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, outcome] { showAcquisition(outcome); }, Qt::QueuedConnection);
    };
    const calib::TargetSet targets = targets_;
    if (!runBehindWaitDialog(
            worker_, [this, point, targets, publish] { core_.acquire(point, targets, publish); },
            ctx_.messages, WorkerStartFailure::acquisition(point), &kept, &core_.progress,
            [this, point] {
                return CCollectWaitDlg(
                    point,
                    [this, point] {
                        return core_.AcqDone[point - 1] || core_.AcqFailed[point - 1];
                    },
                    [this] { core_.stopAcquisitions(); }, &worker_, this);
            }))
        return;
    if (holdsResults())
        clearedResults_.reset();  // new readings: the report is theirs from now on
    showState();                  // a stopped pass keeps what it read, as the fit will
}

void CCalibrationPage::showAcquisition(const calib::AcquisitionOutcome& outcome) {
    const QString signalType = QString::fromStdString(ctx_.basicSettings().SignalTypeText);
    results_->clear();
    for (const auto& r : outcome.readings) {
        auto* item = new QTreeWidgetItem(results_);
        item->setText(0, signalType);
        item->setText(1, QString::number(r.address));
        item->setText(2, QString::fromStdString(r.text));
    }
    showState();
}

void CCalibrationPage::OnComputeAndDownload() {
    const KeptFlags kept{&core_.KBDownloadDone, &core_.KBDownloadFailed};
    core_.prepareDownload();
    const calib::TargetSet targets = targets_;
    const auto changed = stateChanged();
    if (!runBehindWaitDialog(
            worker_, [this, targets, changed] { core_.computeAndDownload(targets, changed); },
            ctx_.messages, WorkerStartFailure::kBatchDownload, &kept, &core_.progress,
            [this] {
                return CBatchDownloadWaitDlg(
                    [this] { return core_.KBDownloadDone || core_.KBDownloadFailed; },
                    [this] { core_.cancelDownload(); }, &worker_, this);
            }))
        return;
    showState();
}

void CCalibrationPage::OnVerify(int point) {
    const KeptFlags kept{&core_.VerifyDone, &core_.VerifyFailed};
    core_.prepareVerify();
    const calib::TargetSet targets = targets_;
    const auto changed = stateChanged();
    if (!runBehindWaitDialog(
            worker_, [this, point, targets, changed] { core_.verify(point, targets, changed); },
            ctx_.messages, calib::kVerifyThreadFailed, &kept, &core_.progress,
            [this, point] {
                return CCollectWaitDlg(
                    point, [this] { return core_.VerifyDone || core_.VerifyFailed; },
                    [this] { core_.cancelVerify(); }, &worker_, this);
            }))
        return;
    showState();
}

void CCalibrationPage::OnSaveReport() {
    calib::CalibrationSnapshot s = core_.snapshot();
    if (s.devices.empty() && clearedResults_)
        s = *clearedResults_;
    if (s.devices.empty()) {
        ctx_.messages.show(calib::kNothingToReport);
        return;
    }
    const calib::ReportSaved saved =
        calib::saveCalibrationReport(ctx_.dataDir, s, unitText_, ctx_.clock->now());
    ctx_.messages.show(saved.ok ? calib::reportSavedText(saved.path)
                                : calib::reportFailedText(saved.path, saved.reason));
}
