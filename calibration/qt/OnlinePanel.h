#pragma once
// The panel of 60 online indicators: a green disc for each address that answered the last search,
// red for every other, in six rows of ten with the addresses "01".."60" below them.

#include <QAbstractButton>
#include <QGroupBox>
#include <QPixmap>
#include <array>

#include "live/LatestValues.h"
#include "state/AppContext.h"

// A flat button that shows one image centred on the button face, no border, moved one pixel
// while it is held down. The indicators use it; clicking one does nothing.
class CFlatImageButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CFlatImageButton(QWidget* parent = nullptr);
    void SetBitmaps(const QPixmap& image);
    const QPixmap& image() const { return image_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap image_;
};

// The two disc images, drawn by us: 45 x 45, transparent around the disc.
QPixmap makeOnlineDisc();
QPixmap makeOfflineDisc();

class COnlinePanel : public QGroupBox {
    Q_OBJECT
public:
    static constexpr int kCount = AppContext::kAddressCount;

    explicit COnlinePanel(QWidget* parent = nullptr);
    // Green for every OnlineTable entry that is 1, red for the rest. From then on an
    // indicator's tool tip shows the bus's figures of its address as they are when it is shown.
    void RefreshOnlinePanel(const AppContext& ctx);
    // While a watch runs, each tool tip begins with its device's latest value from `latest`.
    void showLatestValues(const live::LatestValues* latest) { latest_ = latest; }
    // The tool tip of `address` from these figures.
    static QString healthToolTip(int address, const HealthTable& table);
    bool isShownOnline(int address) const { return online_.at(address - 1); }
    CFlatImageButton* indicator(int address) const { return buttons_.at(address - 1); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const Bus* bus_ = nullptr;
    const live::LatestValues* latest_ = nullptr;
    std::array<CFlatImageButton*, kCount> buttons_{};
    std::array<bool, kCount> online_{};
    QPixmap onlineImage_;
    QPixmap offlineImage_;
};
