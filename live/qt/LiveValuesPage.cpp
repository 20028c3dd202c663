#include "live/qt/LiveValuesPage.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>

#include "base/NumberText.h"
#include "common/qt/Translate.h"
#include "config/DeviceSearch.h"
#include "live/MqttPublisher.h"

namespace {

QLabel* buddyLabel(const QString& text, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    field->setAccessibleName(QString(text).remove('&').remove(':'));
    return label;
}

}  // namespace

CLiveValuesPage::CLiveValuesPage(AppContext& ctx, QWidget* parent) : SheetPage(parent), ctx_(ctx) {
    setObjectName("CLiveValuesPage");
    interval_ = new QSpinBox(this);
    interval_->setObjectName("liveInterval");
    interval_->setRange(1, 3600);
    interval_->setValue(1);
    host_ = new QLineEdit(this);
    host_->setObjectName("liveMqttHost");
    host_->setToolTip(tr("Empty: no MQTT"));
    port_ = new QSpinBox(this);
    port_->setObjectName("liveMqttPort");
    port_->setRange(1, 65535);
    port_->setValue(live::MqttSettings{}.port);
    prefix_ = new QLineEdit(QString::fromStdString(live::MqttSettings{}.prefix), this);
    prefix_->setObjectName("liveMqttPrefix");
    start_ = new QPushButton(tr("Start"), this);
    start_->setObjectName("liveStart");
    start_->setAccessibleName(withoutMnemonic(tr("Start")));
    stop_ = new QPushButton(tr("Stop"), this);
    stop_->setObjectName("liveStop");
    stop_->setAccessibleName(withoutMnemonic(tr("Stop")));
    stop_->setEnabled(false);
    table_ = new QTableWidget(0, 5, this);
    table_->setObjectName("liveTable");
    table_->setAccessibleName(tr("Live values"));
    table_->setHorizontalHeaderLabels(
        {tr("Address"), tr("Value"), tr("Unit"), tr("Age (s)"), tr("State")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setTabKeyNavigation(false);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(buddyLabel(tr("&Interval (s):"), interval_, this), 0, 0);
    grid->addWidget(interval_, 0, 1);
    grid->addWidget(buddyLabel(tr("&MQTT host:"), host_, this), 0, 2);
    grid->addWidget(host_, 0, 3);
    grid->addWidget(buddyLabel(tr("&Port:"), port_, this), 0, 4);
    grid->addWidget(port_, 0, 5);
    grid->addWidget(buddyLabel(tr("&Topic prefix:"), prefix_, this), 0, 6);
    grid->addWidget(prefix_, 0, 7);
    grid->addWidget(start_, 0, 8);
    grid->addWidget(stop_, 0, 9);
    grid->addWidget(table_, 1, 0, 1, 10);
    grid->setColumnStretch(3, 1);
    grid->setColumnStretch(7, 1);

    connect(start_, &QPushButton::clicked, this, &CLiveValuesPage::OnStart);
    connect(stop_, &QPushButton::clicked, this, &CLiveValuesPage::OnStop);
    timer_.setInterval(200);
    connect(&timer_, &QTimer::timeout, this, &CLiveValuesPage::refresh);
}

CLiveValuesPage::~CLiveValuesPage() {
    stopFlag_ = 1;
    worker_.join();
}

void CLiveValuesPage::OnStart() {
    if (watching_)
        return;
    const std::vector<int> addresses = ctx_.onlineAddresses();
    if (addresses.empty()) {
        ctx_.messages.show(config::kNoOnlineDevice);
        return;
    }
    live::WatchPlan plan;
    plan.addresses = addresses;
    plan.interval = std::chrono::seconds(interval_->value());
    std::optional<live::MqttSettings> mqtt;
    if (const QString host = host_->text().trimmed(); !host.isEmpty()) {
        mqtt.emplace();
        mqtt->host = host.toStdString();
        mqtt->port = port_->value();
        if (const QString prefix = prefix_->text().trimmed(); !prefix.isEmpty())
            mqtt->prefix = prefix.toStdString();
    }
    latest_.clear();
    stopFlag_ = 0;
    KeptFlags kept({&done_});
    done_ = 0;
    const bool started = startWorkerOrReport(
        worker_,
        [this, plan, mqtt] {
            std::unique_ptr<live::MqttPublisher> publisher;
            std::vector<live::RoundSink*> sinks{&latest_};
            if (mqtt) {
                publisher = std::make_unique<live::MqttPublisher>(*mqtt);
                std::string why;
                if (!publisher->start(why)) {
                    ctx_.messages.showWithDetail(kMqttNotStarted, MessageIcon::None, why);
                    done_ = 1;
                    return;
                }
                sinks.push_back(publisher.get());
            }
            live::Watch watch(ctx_, plan);
            watch.run(stopFlag_, sinks);
            if (publisher)
                publisher->finish(std::chrono::seconds(3));
            done_ = 1;
        },
        ctx_.messages, kWatchNotStarted, &kept);
    if (started)
        setWatching(true);
}

void CLiveValuesPage::OnStop() {
    stopFlag_ = 1;
}

bool CLiveValuesPage::onKillActive() {
    if (!watching_)
        return true;
    ctx_.messages.status(kWatchRunning);
    return false;
}

void CLiveValuesPage::setWatching(bool on) {
    watching_ = on;
    start_->setEnabled(!on);
    stop_->setEnabled(on);
    for (QWidget* w : std::initializer_list<QWidget*>{interval_, host_, port_, prefix_})
        w->setEnabled(!on);
    ctx_.messages.status(on ? kWatchRunning : "");
    if (on)
        timer_.start();
    else
        timer_.stop();
    emit watchingChanged(on);
}

void CLiveValuesPage::refresh() {
    const bool ended = done_.load() != 0;
    const std::vector<live::DeviceState> devices = latest_.devices();
    const Clock::TimePoint now = ctx_.clock->now();
    table_->setRowCount(static_cast<int>(devices.size()));
    auto put = [&](int row, int column, const QString& text) {
        QTableWidgetItem* item = table_->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            table_->setItem(row, column, item);
        }
        if (item->text() != text)
            item->setText(text);
    };
    for (int row = 0; row < static_cast<int>(devices.size()); ++row) {
        const live::DeviceState& d = devices[static_cast<std::size_t>(row)];
        put(row, 0, QString::fromStdString(num::formatInt(d.address)));
        put(row, 1, QString::fromStdString(d.value));
        put(row, 2, QString::fromStdString(d.unit));
        QString age;
        if (d.answers > 0) {
            const auto s =
                std::chrono::duration_cast<std::chrono::seconds>(now - d.valueTime).count();
            age = QString::fromStdString(num::formatInt(s < 0 ? 0 : s));
        }
        put(row, 3, age);
        put(row, 4, !d.online ? QString() : *d.online ? tr("online") : tr("offline"));
    }
    if (ended) {
        worker_.join();
        latest_.clear();
        setWatching(false);
    }
}
