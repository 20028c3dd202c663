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
#include <algorithm>
#include <utility>
#include <vector>

#include "common/qt/Translate.h"
#include "config/ParameterTable.h"

using config::EditId;
using config::ListId;

namespace {

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

// The caption as the page shows it: an edit's is the core's (messages begin with it).
QString captionOf(const config::Control& c) {
    return c.isList ? shown(c.caption) : trCore(c.caption);
}

// Only edits carry a unit ("k1DelayEdit": "k1DelayUnit").
QString unitName(const config::Control& c) {
    return QString::fromLatin1(c.objectName).replace("Edit", "Unit");
}

}  // namespace

QString editObjectName(EditId id) {
    return QString::fromLatin1(config::editControl(id).objectName);
}

BasicConfigControls buildBasicConfigControls(QWidget* page) {
    BasicConfigControls c;
    for (std::size_t i = 0; i < config::kEditCount; ++i) {
        const config::Control& control = config::kEdits[i];
        auto* e = new QLineEdit(page);
        e->setObjectName(control.objectName);
        e->setAccessibleName(captionOf(control));
        c.edits[i] = e;
    }
    for (std::size_t i = 0; i < config::kListCount; ++i) {
        const config::Control& control = config::kLists[i];
        auto* l = new QComboBox(page);
        l->setObjectName(control.objectName);
        l->setAccessibleName(captionOf(control));
        c.lists[i] = l;
    }
    // Down the left column, then down the right one: the tab order.
    std::vector<const config::Control*> placed;
    for (const config::Control& control : config::kPageControls) placed.push_back(&control);
    std::sort(placed.begin(), placed.end(), [](const auto* a, const auto* b) {
        return std::pair(a->slot.column, a->slot.row) < std::pair(b->slot.column, b->slot.row);
    });
    for (const config::Control* control : placed)
        if (control->unit == config::Unit::Signal) {
            auto* unit = new QLabel(page);
            unit->setObjectName(unitName(*control));
            c.unitLabels.push_back(unit);
        }

    auto* grid = new QGridLayout;
    std::vector<QWidget*> tabOrder;
    std::size_t signalUnits = 0;
    for (const config::Control* control : placed) {
        QWidget* field = control->isList ? static_cast<QWidget*>(c.list(control->list))
                                         : static_cast<QWidget*>(c.edit(control->edit));
        QWidget* unit = nullptr;
        switch (control->unit) {
            case config::Unit::Signal:
                unit = c.unitLabels[signalUnits++];
                break;
            case config::Unit::Seconds:
                unit = fixedUnit(page, "S", unitName(*control));
                break;
            case config::Unit::Density:
                unit = fixedUnit(page, "Kg/m3", unitName(*control));
                break;
            case config::Unit::None:
                break;
        }
        tabOrder.push_back(field);
        auto* label = new QLabel(captionOf(*control), page);
        label->setBuddy(field);
        const int row = control->slot.row;
        const int column = control->slot.column;
        grid->addWidget(label, row, column * 3);
        grid->addWidget(field, row, column * 3 + 1);
        if (unit)
            grid->addWidget(unit, row, column * 3 + 2);
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
