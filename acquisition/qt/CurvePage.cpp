#include "acquisition/qt/CurvePage.h"

#include <QPainter>

#include "common/NumberText.h"

namespace {

CColorLabel* makeLabel(const QString& text, const QString& name, QWidget* parent) {
    auto* l = new CColorLabel(text, parent);
    l->setObjectName(name);
    l->SetFont("Arial", 14);
    return l;
}

}  // namespace

CCurvePage::CCurvePage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("CCurvePage");
    setMinimumSize(400, 455);
    for (int k = 1; k <= 10; ++k)
        xLabels_[static_cast<std::size_t>(k - 1)] =
            makeLabel(QString::number(k), QString("xLabel%1").arg(k), this);
    timeUnit_ = makeLabel("Hour", "timeUnitLabel", this);
    timeUnit_->SetTextColor(QColor(255, 0, 0));
    top_ = makeLabel("40.000", "topValueLabel", this);
    unit_ = makeLabel("MPa", "unitLabel", this);
    unit_->SetTextColor(QColor(255, 0, 0));
    middle_ = makeLabel("20.000", "middleValueLabel", this);
    bottom_ = makeLabel("0.000", "bottomValueLabel", this);
    readout_ = makeLabel("", "readoutLabel", this);
    plot_ = new CCurveCtrl(this);
    plot_->setReadoutSink([this](const QString& t) {
        readout_->SetTextColor(QColor(0, 0, 0));
        readout_->SetText(t);
    });
    plot_->setRedrawRequest([this] {
        if (plot_->loaded())
            plot_->DrawCurve(range(), ctx_.OutputIndex, ctx_.MinutesPerDivision);
    });
    relayout();
}

float CCurvePage::range() const {
    const BasicSettings b = ctx_.basicSettings();
    return b.RangeEnd - b.RangeStart;
}

// The plot follows the page's width; the labels keep their places relative to it.
void CCurvePage::relayout() {
    const int plotWidth = std::max(100, width() - kPlotLeft - 10);
    plot_->setGeometry(kPlotLeft, kPlotTop, plotWidth, kPlotBottom - kPlotTop);
    const int dx = plotWidth / 10;
    readout_->setGeometry(dx - 30, 420, 140, 15);
    for (int k = 1; k <= 9; ++k)
        xLabels_[static_cast<std::size_t>(k - 1)]->setGeometry(kPlotLeft + k * dx - 20, 400, 30,
                                                               20);
    const int x10 = kPlotLeft + 10 * dx - 30;
    xLabels_[9]->setGeometry(x10, 400, 30, 20);
    timeUnit_->setGeometry(x10 - 20, 420, 50, 30);
    constexpr int d = ((kPlotBottom - kPlotTop) / 10) * 5;
    top_->setGeometry(40, 10, 60, 20);
    unit_->setGeometry(40, 30, 60, 20);
    middle_->setGeometry(40, 10 + d, 60, 20);
    bottom_->setGeometry(40, 10 + 2 * d, 60, 20);
}

void CCurvePage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(205, 216, 228));
}

void CCurvePage::resizeEvent(QResizeEvent*) {
    relayout();
}

void CCurvePage::setUnitText(const QString& unit) {
    unit_->SetText(unit);
}

void CCurvePage::setValueLabels() {
    const float f = plot_->series().first;
    const float h = outputHalfSpan(range(), ctx_.OutputIndex);
    top_->SetText(QString::fromStdString(num::formatFixed(f + h, 3)));
    middle_->SetText(QString::fromStdString(num::formatFixed(f, 3)));
    bottom_->SetText(QString::fromStdString(num::formatFixed(f - h, 3)));
}

void CCurvePage::redraw() {
    plot_->ClearToGrid();
    plot_->DrawCurve(range(), ctx_.OutputIndex, ctx_.MinutesPerDivision);
}

void CCurvePage::loadFromImport() {
    plot_->SetData(CurveSeries::fromImport(ctx_.importState, 1));
    setValueLabels();
    plot_->setLoaded(true);
    redraw();
}

void CCurvePage::clearCurve() {
    plot_->SetData({});
    plot_->setLoaded(false);
    readout_->SetText({});
    plot_->ClearToGrid();
}

void CCurvePage::applyTimeDivision() {
    const int m = ctx_.MinutesPerDivision;
    const bool minutes = m < 60;
    for (int k = 1; k <= 10; ++k)
        xLabels_[static_cast<std::size_t>(k - 1)]->SetText(
            QString::number(minutes ? k * m : k * m / 60));
    timeUnit_->SetText(minutes ? QStringLiteral("分钟") : QStringLiteral("小时"));
    if (!ctx_.importState.TimeLabels.empty())
        redraw();
}

void CCurvePage::applyOutputIndex() {
    if (ctx_.importState.TimeLabels.empty())
        return;
    setValueLabels();
    redraw();
}
