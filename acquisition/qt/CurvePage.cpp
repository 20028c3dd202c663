#include "acquisition/qt/CurvePage.h"

#include <QBuffer>
#include <QFontMetrics>
#include <QPainter>
#include <QPushButton>
#include <algorithm>

#include "acquisition/RecordExport.h"
#include "base/FileWrite.h"
#include "base/NumberText.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/Translate.h"

namespace {

const QColor kPageColour(205, 216, 228);

CColorLabel* makeLabel(const QString& text, const QString& name, QWidget* parent,
                       int pixels = CCurvePage::kLabelPixels) {
    auto* l = new CColorLabel(text, parent);
    l->setObjectName(name);
    l->SetFont("Arial", pixels);
    return l;
}

}  // namespace

CCurvePage::CCurvePage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("CCurvePage");
    setMinimumSize(400, kPlotTop + kMinPlotHeight + kBelowPlot);
    for (int k = 1; k <= 10; ++k)
        xLabels_[static_cast<std::size_t>(k - 1)] =
            makeLabel(QString::number(k), QString("xLabel%1").arg(k), this);
    timeUnit_ = makeLabel(tr("Hour"), "timeUnitLabel", this);
    timeUnit_->SetTextColor(QColor(255, 0, 0));
    top_ = makeLabel("40.000", "topValueLabel", this);
    unit_ = makeLabel("MPa", "unitLabel", this);
    unit_->SetTextColor(QColor(255, 0, 0));
    middle_ = makeLabel("20.000", "middleValueLabel", this);
    bottom_ = makeLabel("0.000", "bottomValueLabel", this);
    // Numbers end at the plot's edge, so a long one is cut on its far side, not at its digits.
    for (CColorLabel* l : {top_, unit_, middle_, bottom_}) l->setAlignment(Qt::AlignRight);
    readout_ = makeLabel("", "readoutLabel", this, kReadoutPixels);
    plot_ = new CCurveCtrl(this);
    plot_->setReadoutSink([this](const QString& t) {
        readout_->SetTextColor(QColor(0, 0, 0));
        readout_->SetText(t);
    });
    plot_->setRedrawRequest([this] { drawCurve(); });
    save_ = new QPushButton(tr("Save curve image..."), this);
    save_->setObjectName("saveCurveImage");
    save_->setAccessibleName(withoutMnemonic(tr("Save curve image...")));
    save_->setEnabled(false);
    connect(save_, &QPushButton::clicked, this, &CCurvePage::savePicture);
    relayout();
}

float CCurvePage::range() const {
    const BasicSettings b = ctx_.basicSettings();
    return b.RangeEnd - b.RangeStart;
}

// The plot follows the page's size; the labels keep their places relative to it. Labels are as
// tall as their text in the face the machine has and wide enough for "-180.000" or "200".
void CCurvePage::relayout() {
    const QFontMetrics labels(top_->textFont());
    const int kRow = std::max(24, labels.height());
    const int kXLabelWidth = std::max(40, labels.horizontalAdvance(QStringLiteral("200")) + 4);
    const int readoutRow = std::max(18, QFontMetrics(readout_->textFont()).height());
    const QFontMetrics unitFont(timeUnit_->textFont());
    const int unitWidth =
        std::max(kXLabelWidth + 20, unitFont.horizontalAdvance(timeUnit_->text()) + 4);
    plotBottom_ = std::max(kPlotTop + kMinPlotHeight, height() - kBelowPlot);
    const int plotWidth = std::max(100, width() - kPlotLeft - 10);
    plot_->setGeometry(kPlotLeft, kPlotTop, plotWidth, plotBottom_ - kPlotTop);
    const int dx = plotWidth / 10;
    readout_->setGeometry(dx - 30, plotBottom_ + 20, 140, readoutRow);
    for (int k = 1; k <= 9; ++k)
        xLabels_[static_cast<std::size_t>(k - 1)]->setGeometry(kPlotLeft + k * dx - 20, plotBottom_,
                                                               kXLabelWidth, kRow);
    const int x10 = kPlotLeft + 10 * dx - kXLabelWidth;
    xLabels_[9]->setGeometry(x10, plotBottom_, kXLabelWidth, kRow);
    timeUnit_->setGeometry(x10 + kXLabelWidth - unitWidth, plotBottom_ + 20, unitWidth,
                           std::max(30, unitFont.height()));
    save_->setGeometry(dx + 120, plotBottom_ + 26, 170, 27);
    const int d = ((plotBottom_ - kPlotTop) / 10) * 5;
    const int kValueWidth = kPlotLeft - 2;
    top_->setGeometry(0, kPlotTop, kValueWidth, kRow);
    unit_->setGeometry(0, kPlotTop + kRow, kValueWidth, kRow);
    middle_->setGeometry(0, kPlotTop + d, kValueWidth, kRow);
    bottom_->setGeometry(0, kPlotTop + 2 * d, kValueWidth, kRow);
}

void CCurvePage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), kPageColour);
}

void CCurvePage::resizeEvent(QResizeEvent*) {
    relayout();
}

void CCurvePage::setUnitText(const QString& unit) {
    unit_->SetText(unit);
}

void CCurvePage::drawCurve() {
    if (!plot_->loaded())
        return;
    const float r = range();
    const float f = plot_->series().first;
    const float h = outputHalfSpan(r, ctx_.OutputIndex);
    top_->SetText(QString::fromStdString(num::formatFixed(f + h, 3)));
    middle_->SetText(QString::fromStdString(num::formatFixed(f, 3)));
    bottom_->SetText(QString::fromStdString(num::formatFixed(f - h, 3)));
    plot_->DrawCurve(r, ctx_.OutputIndex, ctx_.MinutesPerDivision);
}

void CCurvePage::redraw() {
    plot_->ClearToGrid();
    drawCurve();
}

void CCurvePage::loadFromImport() {
    plot_->SetData(CurveSeries::fromImport(ctx_.importState));
    plot_->setLoaded(true);
    save_->setEnabled(true);
    redraw();
}

void CCurvePage::clearCurve() {
    plot_->SetData({});
    plot_->setLoaded(false);
    save_->setEnabled(false);
    readout_->SetText({});
    plot_->ClearToGrid();
}

void CCurvePage::applyTimeDivision() {
    const int m = ctx_.MinutesPerDivision;
    const bool minutes = m < 60;
    for (int k = 1; k <= 10; ++k)
        xLabels_[static_cast<std::size_t>(k - 1)]->SetText(
            QString::number(minutes ? k * m : k * m / 60));
    timeUnit_->SetText(minutes ? tr("分钟") : tr("小时"));
    if (ctx_.importState.loaded())
        redraw();
}

void CCurvePage::applyOutputIndex() {
    if (ctx_.importState.loaded())
        redraw();
}

QImage CCurvePage::picture() const {
    QImage out(width(), plotBottom_ + kBelowPlot - 5, QImage::Format_RGB32);
    out.fill(kPageColour);
    QPainter p(&out);
    for (CColorLabel* l : findChildren<CColorLabel*>(Qt::FindDirectChildrenOnly))
        l->render(&p, l->pos(), QRegion(), QWidget::DrawChildren);
    p.drawImage(plot_->pos(), plot_->imageWithoutCrossHair());
    return out;
}

void CCurvePage::savePicture() {
    FileDialogs::Request r;
    r.save = true;
    r.title = tr("Save curve image");
    r.filter = tr("PNG Files (*.png);;All Files (*)");
    r.defaultSuffix = "png";
    r.directory = QString::fromStdString(ctx_.dataDir.string());
    const QString file = FileDialogs::ask(this, r);
    if (file.isEmpty())
        return;
    // Made in memory, then put in place whole: a full disk leaves an earlier image as it was.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!picture().save(&buffer, "PNG")) {
        ctx_.messages.show(kFileWriteFailedMessage);
        return;
    }
    const FileWritten w = replaceFileAtomically(
        file.toStdString(),
        std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    if (!w.ok)
        ctx_.messages.showWithDetail(kFileWriteFailedMessage, MessageIcon::None, w.why);
}
