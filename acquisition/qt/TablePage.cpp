#include "acquisition/qt/TablePage.h"

#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <QVBoxLayout>

#include "link/Gbk.h"

namespace {

// Record files are 8-bit text in the system's code page (GBK); plain ASCII passes as it is.
QString fileText(std::string_view s) {
    bool ascii = true;
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
    if (auto u = gbkToUtf8(s))
        return QString::fromStdString(*u);
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

void RecordTableModel::bind(std::shared_ptr<const RecordTable> table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int RecordTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_)
        return 0;
    return static_cast<int>(table_->recordCount());
}

int RecordTableModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_)
        return 0;
    return static_cast<int>(table_->fieldCount());
}

QVariant RecordTableModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid() || role != Qt::DisplayRole)
        return {};
    return fileText(table_->value(static_cast<std::size_t>(index.row()),
                                  static_cast<std::size_t>(index.column())));
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    if (!table_ || section < 0 || static_cast<std::size_t>(section) >= table_->fieldCount())
        return {};
    return fileText(table_->fieldName(static_cast<std::size_t>(section)));
}

CTablePage::CTablePage(QWidget* parent) : QWidget(parent) {
    setObjectName("CTablePage");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    model_ = new RecordTableModel(this);
    view_ = new QTableView(this);
    view_->setObjectName("recordTable");
    view_->setAccessibleName("Record data");
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed row heights: no per-row measuring over a million rows.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    layout->addWidget(view_);
}

void CTablePage::BindTable(std::shared_ptr<const RecordTable> table) {
    model_->bind(std::move(table));
}

void CTablePage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(205, 216, 228));
}
