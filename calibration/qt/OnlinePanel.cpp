#include "calibration/qt/OnlinePanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QPainter>
#include <QStringList>
#include <QToolTip>
#include <QVBoxLayout>

#include "base/NumberText.h"

namespace {

constexpr int kDiscSize = 45;

QPixmap makeDisc(const QColor& colour) {
    QPixmap pm(kDiscSize, kDiscSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient shade(QPointF(kDiscSize * 0.38, kDiscSize * 0.35), kDiscSize * 0.55);
    shade.setColorAt(0.0, colour.lighter(160));
    shade.setColorAt(0.45, colour);
    shade.setColorAt(1.0, colour.darker(170));
    p.setPen(QPen(colour.darker(220), 1.0));
    p.setBrush(shade);
    p.drawEllipse(QRectF(4.5, 4.5, kDiscSize - 9, kDiscSize - 9));
    return pm;
}

}  // namespace

QPixmap makeOnlineDisc() {
    return makeDisc(QColor(0, 254, 0));
}
QPixmap makeOfflineDisc() {
    return makeDisc(QColor(254, 0, 0));
}

CFlatImageButton::CFlatImageButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

void CFlatImageButton::SetBitmaps(const QPixmap& image) {
    image_ = image;
    update();
}

QSize CFlatImageButton::sizeHint() const {
    return QSize(kDiscSize, kDiscSize);
}

void CFlatImageButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().button());
    if (image_.isNull())
        return;
    QRect target(QPoint(0, 0), image_.size().scaled(size(), Qt::KeepAspectRatio));
    target.moveCenter(rect().center());
    if (isDown())
        target.translate(1, 1);
    p.drawPixmap(target, image_);
}

COnlinePanel::COnlinePanel(QWidget* parent)
    : QGroupBox(tr("显示在线设备"), parent),
      onlineImage_(makeOnlineDisc()),
      offlineImage_(makeOfflineDisc()) {
    setObjectName("onlinePanel");
    setAccessibleName(title());
    auto* outer = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < kCount; ++i) {
        const QString number = QString::asprintf("%02d", i + 1);
        auto* button = new CFlatImageButton(this);
        button->setObjectName("indicator" + number);
        button->setAccessibleName(number);
        button->setFixedSize(kDiscSize - 9, kDiscSize - 9);
        button->SetBitmaps(offlineImage_);
        button->installEventFilter(this);
        auto* label = new QLabel(number, this);
        label->setObjectName("indicatorLabel" + number);
        label->setAlignment(Qt::AlignCenter);
        label->setBuddy(button);
        const int row = i / 10;
        const int column = i % 10;
        grid->addWidget(button, 2 * row, column, Qt::AlignCenter);
        grid->addWidget(label, 2 * row + 1, column, Qt::AlignCenter);
        buttons_[i] = button;
    }
    outer->addLayout(grid);
    auto* note = new QLabel(tr("注：红色表示仪表不在线，绿色表示在线"), this);
    note->setObjectName("onlineNote");
    outer->addWidget(note);
}

void COnlinePanel::RefreshOnlinePanel(const AppContext& ctx) {
    bus_ = &ctx.bus;
    for (int i = 0; i < kCount; ++i) {
        online_[i] = ctx.OnlineTable[i].load() == 1;
        buttons_[i]->SetBitmaps(online_[i] ? onlineImage_ : offlineImage_);
        buttons_[i]->setAccessibleDescription(online_[i] ? tr("online") : tr("offline"));
    }
}

QString COnlinePanel::healthToolTip(int address, const HealthTable& table) {
    const AddressHealth& h = table.at(address);
    const QString since =
        table.sinceReset ? tr("since the figures were reset") : tr("since the port was opened");
    const QString name = QString::asprintf("%02d", address);
    auto n = [](std::uint64_t v) {
        return QString::fromStdString(num::formatInt(static_cast<long long>(v)));
    };
    if (h.requests == 0)
        return tr("Address %1: no requests %2.").arg(name, since);
    QString text = tr("Address %1, %2:").arg(name, since) + '\n' +
                   tr("requests %1, answers %2, time-outs %3")
                       .arg(n(h.requests), n(h.answers), n(h.timeouts)) +
                   '\n' +
                   tr("CRC errors %1, refused %2, foreign frames %3")
                       .arg(n(h.crcErrors), n(h.refusals), n(h.foreign));
    if (h.answers > 0) {
        auto ms = [](double v) { return QString::fromStdString(num::formatFixed(v, 1)); };
        text += '\n' + tr("latency min %1 / mean %2 / max %3 ms")
                           .arg(ms(h.latencyMinMs), ms(h.latencyMeanMs()), ms(h.latencyMaxMs));
    }
    return text;
}

bool COnlinePanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip || (!bus_ && !latest_))
        return QGroupBox::eventFilter(watched, event);
    for (int i = 0; i < kCount; ++i) {
        if (buttons_[i] != watched)
            continue;
        QStringList lines;
        if (const auto d = latest_ ? latest_->of(i + 1) : std::nullopt; d && !d->value.empty())
            lines << tr("Latest value: %1 %2")
                         .arg(QString::fromStdString(d->value), QString::fromStdString(d->unit))
                         .trimmed();
        if (bus_)
            lines << healthToolTip(i + 1, bus_->health());
        if (lines.isEmpty())
            return QGroupBox::eventFilter(watched, event);
        const QString text = lines.join('\n');
        buttons_[i]->setToolTip(text);
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, buttons_[i]);
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
}
