#include "shell/qt/PropSheet.h"

#include <QScrollArea>

#include "acquisition/qt/DataGatherDlg.h"
#include "calibration/qt/CalibrationPage.h"
#include "calibration/qt/OnlinePanel.h"
#include "calibration/qt/OutputCalibrationPage.h"
#include "calibration/qt/TemperaturePage.h"
#include "common/qt/Look.h"
#include "common/qt/Translate.h"
#include "config/qt/BasicConfigPage.h"
#include "live/qt/LiveValuesPage.h"

CPropSheet::CPropSheet(AppContext& ctx, QWidget* parent) : QTabWidget(parent) {
    setObjectName("propSheet");
    setAccessibleName(tr("Property sheet"));
    basic_ = new CBasicConfigPage(ctx, this);
    gather_ = new CDataGatherDlg(ctx, this);
    calibration_ = new CCalibrationPage(ctx, this);
    output_ = new COutputCalibrationPage(ctx, this);
    temperature_ = new CTemperaturePage(this);
    live_ = new CLiveValuesPage(ctx, this);
    const std::initializer_list<SheetPage*> pages{basic_,  gather_,      calibration_,
                                                  output_, temperature_, live_};
    for (SheetPage* p : pages) {
        Look::paintPageBackground(p);
        hold(p)->hide();
    }
    restructuring_ = true;
    if (ctx.EnterpriseMode.load() == 0) {
        AddPage(basic_);
        AddPage(gather_);
    } else {
        for (SheetPage* p :
             std::initializer_list<SheetPage*>{basic_, calibration_, output_, temperature_, live_})
            AddPage(p);
    }
    restructuring_ = false;
    front_ = activePage();
    connect(this, &QTabWidget::currentChanged, this, &CPropSheet::onCurrentChanged);
    calibration_->onlinePanel()->showLatestValues(&live_->latest());
    // While the watch has the bus, no other page can reach it.
    connect(live_, &CLiveValuesPage::watchingChanged, this, [this](bool on) {
        const QString why = on ? trCore(CLiveValuesPage::kWatchRunning) : QString();
        for (int i = 0; i < count(); ++i) {
            if (pageAt(i) == live_)
                continue;
            setTabEnabled(i, !on);
            setTabToolTip(i, why);
        }
    });
}

QString CPropSheet::pageCaption(const SheetPage* page) {
    if (qobject_cast<const CBasicConfigPage*>(page))
        return tr("The basic configuration");
    if (qobject_cast<const CDataGatherDlg*>(page))
        return tr("Data Collection");
    if (qobject_cast<const CCalibrationPage*>(page))
        return tr("Calibration");
    if (qobject_cast<const COutputCalibrationPage*>(page))
        return tr("输出校准");
    if (qobject_cast<const CTemperaturePage*>(page))
        return tr("温度补偿");
    if (qobject_cast<const CLiveValuesPage*>(page))
        return tr("Live values");
    return {};
}

QScrollArea* CPropSheet::holderOf(const SheetPage* page) {
    QWidget* viewport = page ? page->parentWidget() : nullptr;
    return viewport ? qobject_cast<QScrollArea*>(viewport->parentWidget()) : nullptr;
}

QScrollArea* CPropSheet::hold(SheetPage* page) {
    if (QScrollArea* holder = holderOf(page))
        return holder;
    auto* holder = new QScrollArea(this);
    holder->setObjectName(page->objectName() + "Scroll");
    holder->setAccessibleName(pageCaption(page));
    holder->setFrameShape(QFrame::NoFrame);
    holder->setWidgetResizable(true);
    holder->setWidget(page);
    return holder;
}

int CPropSheet::indexOf(const SheetPage* page) const {
    QScrollArea* holder = holderOf(page);
    return holder ? QTabWidget::indexOf(holder) : -1;
}

void CPropSheet::AddPage(SheetPage* page) {
    if (indexOf(page) >= 0)
        return;
    const bool wasRestructuring = restructuring_;
    restructuring_ = true;
    addTab(hold(page), pageCaption(page));
    restructuring_ = wasRestructuring;
}

void CPropSheet::RemovePage(SheetPage* page) {
    const int index = indexOf(page);
    if (index < 0)
        return;
    const bool wasRestructuring = restructuring_;
    restructuring_ = true;
    removeTab(index);
    restructuring_ = wasRestructuring;
    QScrollArea* holder = holderOf(page);
    holder->setParent(this);  // the sheet keeps owning it, in its scroll area
    holder->hide();
    if (front_ == page || !front_) {
        front_ = activePage();
        if (front_)
            front_->onSetActive();
    }
}

SheetPage* CPropSheet::pageAt(int index) const {
    auto* holder = qobject_cast<QScrollArea*>(widget(index));
    return holder ? qobject_cast<SheetPage*>(holder->widget()) : nullptr;
}

SheetPage* CPropSheet::activePage() const {
    return pageAt(currentIndex());
}

bool CPropSheet::SetActivePage(int index) {
    SheetPage* target = pageAt(index);
    if (!target)
        return false;
    if (target == front_) {
        setCurrentIndex(index);
        return true;
    }
    if (front_ && !front_->onKillActive())
        return false;
    askedAlready_ = true;
    setCurrentIndex(index);
    askedAlready_ = false;
    return activePage() == target;
}

void CPropSheet::onCurrentChanged(int index) {
    if (reverting_)
        return;
    SheetPage* entered = pageAt(index);
    if (restructuring_) {
        return;  // RemovePage settles the front page itself
    }
    if (entered == front_)
        return;
    if (front_ && !askedAlready_ && !front_->onKillActive()) {
        reverting_ = true;
        setCurrentWidget(holderOf(front_));
        reverting_ = false;
        return;
    }
    front_ = entered;
    if (entered)
        entered->onSetActive();
}
