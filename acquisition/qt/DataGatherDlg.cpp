#include "acquisition/qt/DataGatherDlg.h"

#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "acquisition/RecordImport.h"
#include "acquisition/qt/CurvePage.h"
#include "acquisition/qt/RecordJob.h"
#include "acquisition/qt/TablePage.h"
#include "base/Paths.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/Translate.h"
#include "common/qt/WaitDialogs.h"

namespace {

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    if (buddy)
        l->setBuddy(buddy);
    return l;
}

QLineEdit* edit(const QString& name, const QString& accessible, QWidget* parent) {
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAccessibleName(accessible);
    e->setMaximumWidth(80);
    return e;
}

QDateTimeEdit* picker(const QString& name, const QString& accessible, QDateTime now,
                      QWidget* parent) {
    auto* p = new QDateTimeEdit(now, parent);
    p->setObjectName(name);
    p->setAccessibleName(accessible);
    p->setDisplayFormat("yyyy/MM/dd HH:mm");
    // Times the program's clock can hold: a later end would wrap round to before the start.
    p->setDateTimeRange(QDateTime(QDate(1970, 1, 1), QTime(0, 0)),
                        QDateTime(QDate(2199, 12, 31), QTime(23, 59)));
    return p;
}

QPushButton* button(const QString& name, QWidget* parent) {
    const QString text = QCoreApplication::translate("CDataGatherDlg", "Acquisition");
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAccessibleName(text);
    return b;
}

Clock::TimePoint toTimePoint(const QDateTime& t) {
    return Clock::TimePoint(std::chrono::seconds(t.toSecsSinceEpoch()));
}

}  // namespace

CDataGatherDlg::CDataGatherDlg(AppContext& ctx, QWidget* parent)
    : SheetPage(parent), ctx_(ctx), session_(ctx) {
    setObjectName("CDataGatherDlg");
    setWindowTitle(tr("Data Collection"));
    const auto secs =
        std::chrono::duration_cast<std::chrono::seconds>(ctx_.clock->now().time_since_epoch())
            .count();
    QDateTime now = QDateTime::fromSecsSinceEpoch(secs);
    now.setTime(QTime(now.time().hour(), now.time().minute()));

    auto* modeBox = new QGroupBox(tr("Acquisition mode"), this);
    modeBox->setObjectName("modeGroup");
    reserveRadio_ = new QRadioButton(tr("Reservation mode"), modeBox);
    reserveRadio_->setObjectName("reserveRadio");
    reserveRadio_->setAccessibleName(tr("Reservation mode"));
    immediateRadio_ = new QRadioButton(tr("Immediate Mode"), modeBox);
    immediateRadio_->setObjectName("immediateRadio");
    immediateRadio_->setAccessibleName(tr("Immediate Mode"));
    auto* modeLayout = new QVBoxLayout(modeBox);
    modeLayout->addWidget(reserveRadio_);
    modeLayout->addWidget(immediateRadio_);

    auto* reserveBox = new QGroupBox(tr("Reservation mode"), this);
    reserveBox->setObjectName("reserveGroup");
    reserveInterval_ = edit("reserveInterval", tr("Time interval:"), reserveBox);
    startTime_ = picker("startTime", tr("Start time:"), now, reserveBox);
    endTime_ = picker("endTime", tr("End time:"), now, reserveBox);
    reserveButton_ = button("reserveAcquisition", reserveBox);
    reserveCount_ = new QLabel(reserveBox);
    reserveCount_->setObjectName("reserveCount");
    auto* rg = new QGridLayout(reserveBox);
    rg->addWidget(caption(tr("Time interval:"), reserveInterval_, reserveBox), 0, 0);
    rg->addWidget(reserveInterval_, 0, 1);
    rg->addWidget(new QLabel(tr("Minute"), reserveBox), 0, 2);
    rg->addWidget(caption(tr("Start time:"), startTime_, reserveBox), 1, 0);
    rg->addWidget(startTime_, 1, 1, 1, 2);
    rg->addWidget(caption(tr("End time:"), endTime_, reserveBox), 2, 0);
    rg->addWidget(endTime_, 2, 1, 1, 2);
    rg->addWidget(reserveButton_, 0, 3);
    rg->addWidget(new QLabel(tr("Note:"), reserveBox), 3, 0);
    rg->addWidget(reserveCount_, 3, 1);
    rg->addWidget(new QLabel(tr("(Article) recording"), reserveBox), 3, 2);

    auto* immediateBox = new QGroupBox(tr("Immediate Mode"), this);
    immediateBox->setObjectName("immediateGroup");
    immediateInterval_ = edit("immediateInterval", tr("Time interval:"), immediateBox);
    duration_ = edit("duration", tr("Continued time:"), immediateBox);
    immediateButton_ = button("immediateAcquisition", immediateBox);
    immediateCount_ = new QLabel(immediateBox);
    immediateCount_->setObjectName("immediateCount");
    auto* ig = new QGridLayout(immediateBox);
    ig->addWidget(caption(tr("Time interval:"), immediateInterval_, immediateBox), 0, 0);
    ig->addWidget(immediateInterval_, 0, 1);
    ig->addWidget(new QLabel(tr("Minute"), immediateBox), 0, 2);
    ig->addWidget(caption(tr("Continued time:"), duration_, immediateBox), 1, 0);
    ig->addWidget(duration_, 1, 1);
    ig->addWidget(new QLabel(tr("Hour"), immediateBox), 1, 2);
    ig->addWidget(immediateButton_, 0, 3);
    ig->addWidget(new QLabel(tr("Note:"), immediateBox), 2, 0);
    ig->addWidget(immediateCount_, 2, 1);
    ig->addWidget(new QLabel(tr("(Article) recording"), immediateBox), 2, 2);

    dataDirLabel_ =
        new QLabel(tr("Record files: %1").arg(QString::fromStdString(ctx_.dataDir.string())), this);
    dataDirLabel_->setObjectName("dataDirLabel");
    dataDirLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    openRecord_ = new QPushButton(tr("Show in table and curve"), this);
    openRecord_->setObjectName("openRecordButton");
    openRecord_->setAccessibleName(withoutMnemonic(tr("Show in table and curve")));
    openRecord_->setEnabled(false);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("recordTabs");
    tabs_->setAccessibleName(tr("Record data"));
    table_ = new CTablePage(ctx_, tabs_);
    curve_ = new CCurvePage(ctx_, tabs_);
    tabs_->addTab(table_, tr("Record data"));
    tabs_->addTab(curve_, tr("Record curve"));
    tabs_->setCurrentIndex(0);

    auto* top = new QHBoxLayout;
    top->addWidget(modeBox);
    top->addWidget(reserveBox);
    top->addWidget(immediateBox);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto* files = new QHBoxLayout;
    files->addWidget(dataDirLabel_, 1);
    files->addWidget(openRecord_);
    layout->addLayout(files);
    layout->addWidget(tabs_, 1);

    connect(reserveRadio_, &QRadioButton::clicked, this, &CDataGatherDlg::applyReservationLayout);
    connect(immediateRadio_, &QRadioButton::clicked, this, &CDataGatherDlg::applyImmediateLayout);
    connect(reserveButton_, &QPushButton::clicked, this, &CDataGatherDlg::onReservationAcquisition);
    connect(immediateButton_, &QPushButton::clicked, this, &CDataGatherDlg::onImmediateAcquisition);
    connect(openRecord_, &QPushButton::clicked, this, &CDataGatherDlg::openLastRecord);

    reserveRadio_->setChecked(true);
    applyReservationLayout();
}

CDataGatherDlg::~CDataGatherDlg() = default;

void CDataGatherDlg::applyReservationLayout() {
    immediateInterval_->setReadOnly(true);
    duration_->setReadOnly(true);
    immediateButton_->setEnabled(false);
    reserveInterval_->setReadOnly(false);
    reserveButton_->setEnabled(true);
    startTime_->setEnabled(true);
    endTime_->setEnabled(true);
}

void CDataGatherDlg::applyImmediateLayout() {
    immediateInterval_->setReadOnly(false);
    duration_->setReadOnly(false);
    immediateButton_->setEnabled(true);
    reserveInterval_->setReadOnly(true);
    reserveButton_->setEnabled(false);
    startTime_->setEnabled(false);
    endTime_->setEnabled(false);
}

void CDataGatherDlg::onReservationAcquisition() {
    const bool started = session_.startReservation(
        toTimePoint(startTime_->dateTime()), toTimePoint(endTime_->dateTime()),
        reserveInterval_->text().toStdString(),
        [this](int n) { reserveCount_->setText(QString::number(n)); });
    if (started)
        runWaitDialog();
}

void CDataGatherDlg::onImmediateAcquisition() {
    const bool started = session_.startImmediate(
        immediateInterval_->text().toStdString(), duration_->text().toStdString(),
        [this](int n) { immediateCount_->setText(QString::number(n)); });
    if (started)
        runWaitDialog();
}

void CDataGatherDlg::runWaitDialog() {
    const QString path = QString::fromStdString(session_.recordPath().string());
    dataDirLabel_->setText(
        tr("Record files: %1")
            .arg(QString::fromStdString(session_.recordPath().parent_path().string())));
    openRecord_->setEnabled(false);
    CGatherWaitDlg wait([this] { return session_.finished(); }, [this] { session_.cancel(); },
                        this);
    wait.followProgress(&session_.progress());
    wait.exec();
    // Ended or cancelled: what was written can be looked at at once.
    if (session_.headerWritten())
        dataDirLabel_->setText(tr("Record file: %1").arg(path));
    if (session_.taken() > 0) {
        openRecord_->setEnabled(true);
        openRecord_->setFocus();
    }
}

void CDataGatherDlg::onSetActive() {
    curve_->setUnitText(QString::fromStdString(ctx_.basicSettings().SignalUnitText));
    // The range may have changed on the basic configuration page meanwhile.
    curve_->redraw();
}

void CDataGatherDlg::ImportData() {
    ctx_.importState.clear();
    recordset_ = std::make_shared<RecordTable>();
    FileDialogs::Request r;
    r.title = tr("Import data file");
    r.filter = tr("Rec Files (*.rec);;All Files (*)");
    r.directory = QString::fromStdString(ctx_.dataDir.string());
    const QString file = FileDialogs::ask(this, r);
    if (file.isEmpty())
        return;
    importPath(std::filesystem::path(file.toStdString()));
}

void CDataGatherDlg::openLastRecord() {
    importPath(session_.recordPath());
    tabs_->setCurrentWidget(table_);
}

void CDataGatherDlg::importPath(const std::filesystem::path& path) {
    std::error_code ec;
    const std::uintmax_t size =
        std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
    auto table = std::make_shared<RecordTable>();
    ImportState state;
    ImportOutcome outcome = ImportOutcome::CannotRead;
    runRecordJob(this, ec ? 0 : static_cast<std::size_t>(size), kImportWaitText,
                 kImportCancelCaption, [&](const JobControl& c) {
                     outcome = importRecordFile(path, *table, state, ctx_.messages, c);
                 });
    ctx_.importState = std::move(state);
    switch (outcome) {
        case ImportOutcome::Loaded:
            recordset_ = table;
            curve_->loadFromImport();
            table_->BindTable(recordset_);
            break;
        case ImportOutcome::NoRecords:
            // The columns of the file, no points.
            recordset_ = table;
            curve_->clearCurve();
            table_->BindTable(recordset_);
            break;
        case ImportOutcome::NotCollected:
        case ImportOutcome::CannotRead:
        case ImportOutcome::Cancelled:
            // Nothing new to show; what is on screen stays as it was.
            break;
    }
}

void CDataGatherDlg::OnTimeDivision(int minutes) {
    ctx_.MinutesPerDivision = minutes;
    curve_->applyTimeDivision();
}

void CDataGatherDlg::OnOutputIndex(int index) {
    ctx_.OutputIndex = index;
    curve_->applyOutputIndex();
}
