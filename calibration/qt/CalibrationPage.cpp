#include "calibration/qt/CalibrationPage.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "calibration/qt/OnlinePanel.h"
#include "common/NumberText.h"
#include "common/qt/WaitDialogs.h"

namespace {
const char* const kKRowText = "               k";
const char* const kBRowText = "               b";
}  // namespace

CCalibrationPage::CCalibrationPage(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx), core_(ctx) {
    setObjectName("CCalibrationPage");
    setAccessibleName("Calibration");

    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left, 1);

    auto* countRow = new QHBoxLayout;
    auto* countLabel = new QLabel(QString::fromUtf8("标定点数："), this);
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
    for (int i = 0; i < calib::kMaxPoints; ++i) {
        const QString n = QString::number(i + 1);
        targetTexts_[i] = new QLabel(this);
        targetTexts_[i]->setObjectName("targetText" + n);
        targetTexts_[i]->setMinimumWidth(90);
        unitTexts_[i] = new QLabel(this);
        unitTexts_[i]->setObjectName("unitText" + n);
        acquireButtons_[i] = new QPushButton(QString::fromUtf8("采集"), this);
        acquireButtons_[i]->setObjectName("acquireButton" + n);
        acquireButtons_[i]->setAccessibleName(acquireButtons_[i]->text());
        acquireButtons_[i]->setAccessibleDescription("point " + n);
        points->addWidget(targetTexts_[i], i, 0);
        points->addWidget(unitTexts_[i], i, 1);
        points->addWidget(acquireButtons_[i], i, 2);
        connect(acquireButtons_[i], &QPushButton::clicked, this, [this, i] { OnAcquire(i + 1); });
    }
    left->addLayout(points);

    results_ = new QTreeWidget(this);
    results_->setObjectName("resultList");
    results_->setAccessibleName("Acquisition results");
    results_->setRootIsDecorated(false);
    results_->setAllColumnsShowFocus(true);
    results_->setColumnCount(3);
    results_->setHeaderLabels(
        {QString::fromUtf8("压力"), QString::fromUtf8("地址"), QString::fromUtf8("数值")});
    results_->setColumnWidth(0, 100);
    results_->setColumnWidth(1, 100);
    results_->setColumnWidth(2, 150);
    left->addWidget(results_, 1);

    grid_ = new QTableWidget(this);
    grid_->setObjectName("calibrationGrid");
    grid_->setAccessibleName("Calibration table");
    grid_->horizontalHeader()->hide();
    grid_->verticalHeader()->hide();
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    left->addWidget(grid_, 1);

    computeButton_ = new QPushButton(QString::fromUtf8("计算K和B值并下载"), this);
    computeButton_->setObjectName("computeDownloadButton");
    computeButton_->setAccessibleName(computeButton_->text());
    left->addWidget(computeButton_, 0, Qt::AlignLeft);
    connect(computeButton_, &QPushButton::clicked, this, &CCalibrationPage::OnComputeAndDownload);

    panel_ = new COnlinePanel(this);
    top->addWidget(panel_, 0, Qt::AlignTop);

    // Initial state: three points in MPa, placeholder addresses until the first activation.
    pointCount_->setCurrentIndex(1);
    for (int i = 0; i < calib::kMaxPoints; ++i) {
        const bool visible = i < 3;
        targetTexts_[i]->setVisible(visible);
        unitTexts_[i]->setVisible(visible);
        acquireButtons_[i]->setVisible(visible);
    }
    updateTargets(3);
    for (int i = 0; i < 3; ++i) unitTexts_[i]->setText("MPa");
    grid_->setColumnCount(11);
    grid_->setRowCount(6);
    for (int c = 1; c <= 10; ++c) setGridText(0, c, QString::asprintf("%02d", c));
    for (int r = 1; r <= 3; ++r)
        setGridText(r, 0, QString::fromStdString(calib::formatTarget(TargetValues[r - 1])));
    setGridText(4, 0, kKRowText);
    setGridText(5, 0, kBRowText);

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
    if (row >= grid_->rowCount() || column >= grid_->columnCount())
        return;
    if (QTableWidgetItem* item = grid_->item(row, column))
        item->setText(text);
    else
        grid_->setItem(row, column, new QTableWidgetItem(text));
}

QString CCalibrationPage::gridText(int row, int column) const {
    const QTableWidgetItem* item = grid_->item(row, column);
    return item ? item->text() : QString();
}

void CCalibrationPage::layoutGrid(int n) {
    const std::vector<int> online = ctx_.onlineAddresses();
    grid_->setRowCount(calib::gridRows(n));
    grid_->setColumnCount(static_cast<int>(online.size()) + 1);
    for (std::size_t j = 0; j < online.size(); ++j)
        setGridText(0, static_cast<int>(j) + 1, QString::number(online[j]));
    for (int i = 1; i <= n; ++i)
        setGridText(i, 0, QString::fromStdString(calib::formatTarget(TargetValues[i - 1])));
    setGridText(calib::kRow(n), 0, kKRowText);
    setGridText(calib::bRow(n), 0, kBRowText);
}

void CCalibrationPage::applyPointCount(int n, bool clearGrid) {
    for (int i = 0; i < calib::kMaxPoints; ++i) {
        const bool visible = i < n;
        targetTexts_[i]->setVisible(visible);
        unitTexts_[i]->setVisible(visible);
        acquireButtons_[i]->setVisible(visible);
    }
    updateTargets(n);
    if (clearGrid)
        grid_->clearContents();
    layoutGrid(n);
}

void CCalibrationPage::OnPointCountChanged() {
    const int n = selectedPointCount();
    if (calib::isPointCount(n))
        applyPointCount(n, true);
}

void CCalibrationPage::onSetActive() {
    const BasicSettings basic = ctx_.basicSettings();
    for (QLabel* unit : unitTexts_) unit->setText(QString::fromStdString(basic.SignalUnitText));
    PageDensity = basic.LiquidDensity;
    PageSignalType = basic.SignalTypeText;
    results_->headerItem()->setText(0, QString::fromStdString(PageSignalType));
    const int n = selectedPointCount();
    // The grid keeps what earlier runs wrote into cells that still exist.
    if (calib::isPointCount(n))
        applyPointCount(n, false);
    panel_->RefreshOnlinePanel(ctx_);
    SheetPage::onSetActive();
}

void CCalibrationPage::OnAcquire(int point) {
    core_.prepareAcquisition(point);
    const auto publish = [this, point](const calib::AcquisitionOutcome& outcome) {
        QMetaObject::invokeMethod(
            this, [this, point, outcome] { showAcquisition(point, outcome); },
            Qt::QueuedConnection);
    };
    if (!StartWorkerOrReport(
            worker_, [this, point, publish] { core_.acquire(point, publish); }, ctx_.messages,
            WorkerStartFailure::acquisition(point)))
        return;
    CCollectWaitDlg wait(
        point, [this, point] { return core_.AcqDone[point - 1] || core_.AcqFailed[point - 1]; },
        [this] { core_.stopAcquisitions(); }, &worker_, this);
    wait.exec();
}

void CCalibrationPage::showAcquisition(int point, const calib::AcquisitionOutcome& outcome) {
    const QString signalType = QString::fromStdString(ctx_.basicSettings().SignalTypeText);
    results_->clear();
    for (const auto& r : outcome.readings) {
        auto* item = new QTreeWidgetItem(results_);
        item->setText(0, signalType);
        item->setText(1, QString::number(r.address));
        item->setText(2, QString::fromStdString(r.text));
    }
    for (const auto& r : outcome.readings)
        setGridText(point, r.column, QString::fromStdString(r.text));
}

void CCalibrationPage::OnComputeAndDownload() {
    const int n = selectedPointCount();
    const std::string signalType = PageSignalType;
    const int density = PageDensity;
    core_.prepareDownload();
    const auto publish = [this, n](const std::vector<calib::CoefficientCell>& cells) {
        QMetaObject::invokeMethod(
            this, [this, n, cells] { showCoefficients(n, cells); }, Qt::QueuedConnection);
    };
    if (!StartWorkerOrReport(
            worker_,
            [this, n, signalType, density, publish] {
                core_.computeAndDownload(n, signalType, density, publish);
            },
            ctx_.messages, WorkerStartFailure::kBatchDownload))
        return;
    CBatchDownloadWaitDlg wait([this] { return core_.KBDownloadDone || core_.KBDownloadFailed; },
                               [this] { core_.cancelDownload(); }, &worker_, this);
    wait.exec();
}

void CCalibrationPage::showCoefficients(int n, const std::vector<calib::CoefficientCell>& cells) {
    for (const auto& c : cells) {
        setGridText(calib::kRow(n), c.column,
                    QString::fromStdString(calib::formatCoefficient(c.K)));
        setGridText(calib::bRow(n), c.column,
                    QString::fromStdString(calib::formatCoefficient(c.B)));
    }
}
