#pragma once
// "Data Collection": timed sampling into record files, with the record table and curve below.

#include <filesystem>
#include <memory>

#include "acquisition/GatherSession.h"
#include "acquisition/RecordTable.h"
#include "common/qt/SheetPage.h"
#include "state/AppContext.h"

class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class CCurvePage;
class CTablePage;

class CDataGatherDlg : public SheetPage {
    Q_OBJECT
public:
    CDataGatherDlg(AppContext& ctx, QWidget* parent = nullptr);
    ~CDataGatherDlg() override;

    // View commands: "Import data(&D)...", the time divisions (minutes) and the output indices.
    void ImportData();
    // Imports `path` into the table and the curve (a large file on a worker, with Cancel).
    void importPath(const std::filesystem::path& path);
    // "Show in table and curve": the record file the last acquisition wrote.
    void openLastRecord();
    void OnTimeDivision(int minutesPerDivision);
    void OnOutputIndex(int outputIndex);

    void onSetActive() override;

    GatherSession& session() { return session_; }
    CCurvePage* curvePage() const { return curve_; }
    CTablePage* tablePage() const { return table_; }
    QPushButton* openRecordButton() const { return openRecord_; }

private:
    void applyReservationLayout();
    void applyImmediateLayout();
    void onReservationAcquisition();
    void onImmediateAcquisition();
    void runWaitDialog();

    AppContext& ctx_;
    GatherSession session_;
    // The table the last import filled; the table page keeps the one it shows alive itself.
    std::shared_ptr<RecordTable> recordset_;

    QRadioButton* reserveRadio_;
    QRadioButton* immediateRadio_;
    QLineEdit* reserveInterval_;
    QDateTimeEdit* startTime_;
    QDateTimeEdit* endTime_;
    QPushButton* reserveButton_;
    QLabel* reserveCount_;
    QLineEdit* immediateInterval_;
    QLineEdit* duration_;
    QPushButton* immediateButton_;
    QLabel* immediateCount_;
    QLabel* dataDirLabel_;
    QPushButton* openRecord_;
    QTabWidget* tabs_;
    CTablePage* table_;
    CCurvePage* curve_;
};
