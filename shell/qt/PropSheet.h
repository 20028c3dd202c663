#pragma once
// The property sheet that fills the view: a tab per page. It owns all six pages for the life of
// the window, whether or not a page is in the sheet.
//
// Page changes ask the page being left (SheetPage::onKillActive); a refusal keeps it in front.
// The page entered gets SheetPage::onSetActive.
//
// Each page sits in a scroll area of its own: a page shrinks with the window down to what its
// layout needs, and scrolls below that instead of holding the window at its size.

#include <QPointer>
#include <QTabWidget>

#include "state/AppContext.h"

class QScrollArea;
class SheetPage;
class CBasicConfigPage;
class CDataGatherDlg;
class CCalibrationPage;
class COutputCalibrationPage;
class CTemperaturePage;
class CLiveValuesPage;

class CPropSheet : public QTabWidget {
    Q_OBJECT
public:
    // In ordinary mode the sheet starts with "The basic configuration" and "Data Collection".
    CPropSheet(AppContext& ctx, QWidget* parent = nullptr);

    CBasicConfigPage* basicConfigPage() const { return basic_; }
    CDataGatherDlg* dataGatherPage() const { return gather_; }
    CCalibrationPage* calibrationPage() const { return calibration_; }
    COutputCalibrationPage* outputCalibrationPage() const { return output_; }
    CTemperaturePage* temperaturePage() const { return temperature_; }
    CLiveValuesPage* liveValuesPage() const { return live_; }

    void AddPage(SheetPage* page);
    void RemovePage(SheetPage* page);
    // false when the page in front refused to be left (or `index` is out of range).
    bool SetActivePage(int index);
    SheetPage* activePage() const;
    // The tab of `page`, -1 when it is not in the sheet.
    int indexOf(const SheetPage* page) const;
    // The scroll area that holds `page`.
    static QScrollArea* holderOf(const SheetPage* page);

    static QString pageCaption(const SheetPage* page);

private:
    void onCurrentChanged(int index);
    SheetPage* pageAt(int index) const;
    QScrollArea* hold(SheetPage* page);

    CBasicConfigPage* basic_;
    CDataGatherDlg* gather_;
    CCalibrationPage* calibration_;
    COutputCalibrationPage* output_;
    CTemperaturePage* temperature_;
    CLiveValuesPage* live_;

    QPointer<SheetPage> front_;  // the page that last became active
    bool askedAlready_ = false;  // SetActivePage has already asked the page in front
    bool reverting_ = false;
    bool restructuring_ = false;  // adding or removing: nobody is asked
};
