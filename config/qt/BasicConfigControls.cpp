#include "config/qt/BasicConfigControls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <vector>

#include "common/qt/Translate.h"

using config::EditId;
using config::ListId;

namespace {

struct EditInfo {
    const char* caption;
    const char* name;
};

// In the order of EditId; the captions are the model's.
constexpr std::array<const char*, config::kEditCount> kEditNames = {
    "rangeStartEdit", "rangeEndEdit",  "addressEdit",   "currentDeviceEdit", "productCodeEdit",
    "k1ActionEdit",   "k2ActionEdit",  "k1DelayEdit",   "k2DelayEdit",       "densityEdit",
    "zoomEndEdit",    "zoomStartEdit", "k1ReleaseEdit", "k2ReleaseEdit"};

// In the order of ListId.
constexpr std::array<EditInfo, config::kListCount> kLists = {{
    {QT_TRANSLATE_NOOP("BasicConfigControls", "Signal type:"), "signalTypeList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "Signal unit:"), "signalUnitList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "Output type:"), "outputTypeList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "Point position:"), "pointPositionList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "K1 switch type:"), "k1TypeList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "K2 switch type:"), "k2TypeList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "The output voltage:"), "outputVoltageList"},
    {QT_TRANSLATE_NOOP("BasicConfigControls", "The current output:"), "currentOutputList"},
}};

// The values that carry the unit, in the order of the unit labels.
constexpr std::array<EditId, 8> kUnitEdits = {
    EditId::RangeStart, EditId::RangeEnd,  EditId::ZoomStart, EditId::ZoomEnd,
    EditId::K1Action,   EditId::K1Release, EditId::K2Action,  EditId::K2Release};

QString shown(const char* text) {
    return QCoreApplication::translate("BasicConfigControls", text);
}

QPushButton* button(QWidget* parent, const char* caption, const char* name) {
    auto* b = new QPushButton(shown(caption), parent);
    b->setObjectName(name);
    b->setAccessibleName(withoutMnemonic(shown(caption)));
    b->setAutoDefault(false);
    return b;
}

QLabel* fixedUnit(QWidget* parent, const char* text, const QString& name) {
    auto* l = new QLabel(QString::fromUtf8(text), parent);
    l->setObjectName(name);
    return l;
}

constexpr int I(EditId id) {
    return static_cast<int>(id);
}
constexpr int I(ListId id) {
    return static_cast<int>(id);
}

}  // namespace

QString editObjectName(EditId id) {
    return QString::fromLatin1(kEditNames[config::idx(id)]);
}

BasicConfigControls buildBasicConfigControls(QWidget* page) {
    BasicConfigControls c;
    for (std::size_t i = 0; i < config::kEditCount; ++i) {
        auto* e = new QLineEdit(page);
        e->setObjectName(kEditNames[i]);
        e->setAccessibleName(trCore(config::editCaption(static_cast<EditId>(i))));
        c.edits[i] = e;
    }
    for (std::size_t i = 0; i < config::kListCount; ++i) {
        auto* l = new QComboBox(page);
        l->setObjectName(kLists[i].name);
        l->setAccessibleName(shown(kLists[i].caption));
        c.lists[i] = l;
    }
    for (std::size_t i = 0; i < kUnitEdits.size(); ++i) {
        c.unitLabels[i] = new QLabel(page);
        c.unitLabels[i]->setObjectName(editObjectName(kUnitEdits[i]).replace("Edit", "Unit"));
    }

    auto* grid = new QGridLayout;
    int row = 0;
    std::vector<QWidget*> tabOrder;  // down the left column, then down the right one
    auto addRow = [&](QWidget* field, const QString& caption, QWidget* unit, int column) {
        tabOrder.push_back(field);
        auto* label = new QLabel(caption, page);
        label->setBuddy(field);
        grid->addWidget(label, row, column * 3);
        grid->addWidget(field, row, column * 3 + 1);
        if (unit)
            grid->addWidget(unit, row, column * 3 + 2);
    };
    auto unitOf = [&](EditId id) -> QWidget* {
        for (std::size_t i = 0; i < kUnitEdits.size(); ++i)
            if (kUnitEdits[i] == id)
                return c.unitLabels[i];
        return nullptr;
    };
    auto editRow = [&](EditId id, int column) {
        QWidget* unit = unitOf(id);
        if (id == EditId::K1Delay || id == EditId::K2Delay)
            unit = fixedUnit(page, "S", editObjectName(id).replace("Edit", "Unit"));
        if (id == EditId::Density)
            unit = fixedUnit(page, "Kg/m3", "densityUnit");
        addRow(c.edit(id), trCore(config::editCaption(id)), unit, column);
    };
    auto listRow = [&](ListId id, int column) {
        addRow(c.list(id), shown(kLists[config::idx(id)].caption), nullptr, column);
    };

    // Left: the device and its measuring range; right: the switches and outputs.
    const std::array<std::pair<bool, int>, 11> left = {{{false, I(EditId::CurrentDevice)},
                                                        {false, I(EditId::Address)},
                                                        {false, I(EditId::ProductCode)},
                                                        {true, I(ListId::SignalType)},
                                                        {true, I(ListId::SignalUnit)},
                                                        {false, I(EditId::RangeStart)},
                                                        {false, I(EditId::RangeEnd)},
                                                        {true, I(ListId::PointPosition)},
                                                        {true, I(ListId::OutputType)},
                                                        {false, I(EditId::Density)},
                                                        {false, I(EditId::ZoomStart)}}};
    const std::array<std::pair<bool, int>, 13> right = {{{true, I(ListId::K1Type)},
                                                         {false, I(EditId::K1Action)},
                                                         {false, I(EditId::K1Release)},
                                                         {false, I(EditId::K1Delay)},
                                                         {true, I(ListId::K2Type)},
                                                         {false, I(EditId::K2Action)},
                                                         {false, I(EditId::K2Release)},
                                                         {false, I(EditId::K2Delay)},
                                                         {true, I(ListId::Voltage)},
                                                         {true, I(ListId::Current)},
                                                         {false, I(EditId::ZoomEnd)},
                                                         {false, -1},
                                                         {false, -1}}};
    for (int column = 0; column < 2; ++column) {
        row = 0;
        const auto* items = column == 0 ? left.data() : right.data();
        const std::size_t n = column == 0 ? left.size() : right.size();
        for (std::size_t i = 0; i < n; ++i, ++row) {
            if (items[i].second < 0)
                continue;
            if (items[i].first)
                listRow(static_cast<ListId>(items[i].second), column);
            else
                editRow(static_cast<EditId>(items[i].second), column);
        }
    }

    c.search = button(page, QT_TRANSLATE_NOOP("BasicConfigControls", "Search"), "searchButton");
    c.batchDownload = button(page, QT_TRANSLATE_NOOP("BasicConfigControls", "Batch download"),
                             "batchDownloadButton");
    c.configuration = button(page, QT_TRANSLATE_NOOP("BasicConfigControls", "Configuration"),
                             "configurationButton");
    c.saveFile = button(page, QT_TRANSLATE_NOOP("BasicConfigControls", "Save configuration file"),
                        "saveConfigFileButton");
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {c.search, c.batchDownload, c.configuration, c.saveFile})
        buttons->addWidget(b);
    buttons->addStretch();

    c.equipment =
        new QGroupBox(shown(QT_TRANSLATE_NOOP("BasicConfigControls", "Equipment options")), page);
    c.equipment->setObjectName("equipmentOptions");
    c.equipment->setAccessibleName(c.equipment->title());
    auto* boxes = new QGridLayout(c.equipment);
    for (int a = 1; a <= AppContext::kAddressCount; ++a) {
        const QString caption = QStringLiteral("%1").arg(a, 2, 10, QLatin1Char('0'));
        auto* box = new QCheckBox(caption, c.equipment);
        box->setObjectName(QStringLiteral("address%1").arg(caption));
        box->setAccessibleName(caption);
        c.addresses[static_cast<std::size_t>(a - 1)] = box;
        boxes->addWidget(box, (a - 1) / 10, (a - 1) % 10);
    }
    for (int g = 0; g < config::BasicConfigModel::kGroupCount; ++g) {
        const QString caption = shown(QT_TRANSLATE_NOOP("BasicConfigControls", "%1-%2 select"))
                                    .arg(10 * g + 1, 2, 10, QLatin1Char('0'))
                                    .arg(10 * g + 10, 2, 10, QLatin1Char('0'));
        auto* box = new QCheckBox(caption, c.equipment);
        box->setObjectName(QStringLiteral("rangeSelect%1").arg(g + 1));
        box->setAccessibleName(caption);
        c.groups[static_cast<std::size_t>(g)] = box;
        boxes->addWidget(box, g, 10);
    }
    c.selectAll = button(c.equipment, QT_TRANSLATE_NOOP("BasicConfigControls", "Select all"),
                         "selectAllButton");
    c.empty = button(c.equipment, QT_TRANSLATE_NOOP("BasicConfigControls", "Empty"), "emptyButton");
    boxes->addWidget(c.selectAll, 6, 0, 1, 2);
    boxes->addWidget(c.empty, 6, 2, 1, 2);

    tabOrder.insert(tabOrder.end(), {c.search, c.batchDownload, c.configuration, c.saveFile});
    for (int g = 0; g < config::BasicConfigModel::kGroupCount; ++g) {
        for (int a = 10 * g; a < 10 * g + 10; ++a)
            tabOrder.push_back(c.addresses[static_cast<std::size_t>(a)]);
        tabOrder.push_back(c.groups[static_cast<std::size_t>(g)]);
    }
    tabOrder.insert(tabOrder.end(), {c.selectAll, c.empty});
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    auto* top = new QVBoxLayout(page);
    top->addLayout(grid);
    top->addLayout(buttons);
    top->addWidget(c.equipment);
    top->addStretch();
    return c;
}
