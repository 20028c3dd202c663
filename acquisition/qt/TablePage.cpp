#include "acquisition/qt/TablePage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "acquisition/RecordExport.h"
#include "acquisition/RecordFile.h"
#include "acquisition/qt/RecordJob.h"
#include "common/qt/FileDialogs.h"
#include "common/qt/Translate.h"

QString shownRecordText(std::string_view text) {
    const std::string_view shown = recordTextPrefix(text, kMaxShownBytes);
    QString out = QString::fromStdString(recordTextUtf8(shown));
    if (shown.size() < text.size())
        out += QString::fromUtf8(kElision.data(), static_cast<qsizetype>(kElision.size()));
    return out;
}

void RecordTableModel::bind(std::shared_ptr<const RecordTable> table) {
    beginResetModel();
    table_ = std::move(table);
    cachedRow_ = SIZE_MAX;
    cachedPieces_.clear();
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
    const auto row = static_cast<std::size_t>(index.row());
    if (row != cachedRow_) {
        table_->pieces(row, cachedPieces_);
        cachedRow_ = row;
    }
    const auto column = static_cast<std::size_t>(index.column());
    return column < cachedPieces_.size() ? shownRecordText(cachedPieces_[column]) : QString();
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Vertical)
        return section + 1;
    if (!table_ || section < 0 || static_cast<std::size_t>(section) >= table_->fieldCount())
        return {};
    return shownRecordText(table_->fieldName(static_cast<std::size_t>(section)));
}

CTablePage::CTablePage(AppContext& ctx, QWidget* parent) : QWidget(parent), ctx_(ctx) {
    setObjectName("CTablePage");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    export_ = new QPushButton(tr("Export CSV..."), this);
    export_->setObjectName("exportCsv");
    export_->setAccessibleName(withoutMnemonic(tr("Export CSV...")));
    export_->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(export_);
    model_ = new RecordTableModel(this);
    view_ = new QTableView(this);
    view_->setTabKeyNavigation(false);  // one Tab stop; the arrows move between rows
    view_->setObjectName("recordTable");
    view_->setAccessibleName(tr("Record data"));
    view_->setModel(model_);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Fixed row heights: no per-row measuring over a million rows.
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    layout->addLayout(buttons);
    layout->addWidget(view_, 1);
    connect(export_, &QPushButton::clicked, this, &CTablePage::exportCsv);
}

void CTablePage::BindTable(std::shared_ptr<const RecordTable> table) {
    export_->setEnabled(table && table->fieldCount() > 0);
    model_->bind(std::move(table));
}

void CTablePage::exportCsv() {
    const std::shared_ptr<const RecordTable> table = model_->sharedTable();
    if (!table)
        return;
    FileDialogs::Request r;
    r.save = true;
    r.title = tr("Export data file");
    r.filter = tr("CSV Files (*.csv);;All Files (*)");
    r.defaultSuffix = "csv";
    // The record file's name with ".csv", in the data directory.
    std::filesystem::path suggested = ctx_.dataDir / table->source.fileName;
    suggested.replace_extension(".csv");
    r.directory = QString::fromStdString(table->source.fileName.empty() ? ctx_.dataDir.string()
                                                                        : suggested.string());
    const QString file = FileDialogs::ask(this, r);
    if (file.isEmpty())
        return;
    const std::filesystem::path out(file.toStdString());
    ExportResult result;
    runRecordJob(this, table->text().size(), kExportWaitText, kExportCancelCaption,
                 [&](const JobControl& c) { result = exportRecordCsv(*table, out, c); });
    if (!result.ok && !result.cancelled)
        ctx_.messages.showWithDetail(kFileWriteFailedMessage, MessageIcon::None, result.why);
}

void CTablePage::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(205, 216, 228));
}
