#pragma once
// The controls of "The basic configuration", built in one place so the page itself holds only
// behaviour. Every control has an objectName (tests find it by that) and an accessible name (its
// caption).

#include <QString>
#include <array>
#include <vector>

#include "config/ParameterModel.h"
#include "state/AppContext.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

struct BasicConfigControls {
    std::array<QLineEdit*, config::kEditCount> edits{};
    std::array<QComboBox*, config::kListCount> lists{};
    std::vector<QLabel*> unitLabels;  // beside the values that carry the signal's unit
    QPushButton* search = nullptr;
    QPushButton* batchDownload = nullptr;
    QPushButton* configuration = nullptr;
    QPushButton* saveFile = nullptr;
    QPushButton* selectAll = nullptr;
    QPushButton* empty = nullptr;
    QGroupBox* equipment = nullptr;
    std::array<QCheckBox*, AppContext::kAddressCount> addresses{};
    std::array<QCheckBox*, config::BasicConfigModel::kGroupCount> groups{};

    QLineEdit* edit(config::EditId id) const { return edits[config::idx(id)]; }
    QComboBox* list(config::ListId id) const { return lists[config::idx(id)]; }
};

// Builds every control into `page` and lays them out.
BasicConfigControls buildBasicConfigControls(QWidget* page);

// objectNames, for the page and its tests.
QString editObjectName(config::EditId id);
