#pragma once
// "Record data": the imported records as a table, and their export as CSV. The view asks the
// model only for the rows it shows, so a million records cost nothing until they are scrolled
// into view; a shown field is cut at kMaxShownBytes and only that much is ever converted.

#include <QAbstractTableModel>
#include <QWidget>
#include <memory>
#include <string_view>
#include <vector>

#include "acquisition/RecordTable.h"
#include "state/AppContext.h"

class QPushButton;
class QTableView;

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // Shows `table` from now on; the model keeps it alive while bound.
    void bind(std::shared_ptr<const RecordTable> table);
    const RecordTable* table() const { return table_.get(); }
    std::shared_ptr<const RecordTable> sharedTable() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const RecordTable> table_;
    // The pieces of the row asked for last: a view paints a row's cells one after the other.
    mutable std::size_t cachedRow_ = SIZE_MAX;
    mutable std::vector<std::string_view> cachedPieces_;
};

// A record file's text as the table shows it: at most kMaxShownBytes, then "...".
QString shownRecordText(std::string_view text);

class CTablePage : public QWidget {
    Q_OBJECT
public:
    explicit CTablePage(AppContext& ctx, QWidget* parent = nullptr);
    void BindTable(std::shared_ptr<const RecordTable> table);
    // "Export CSV...": asks for a file and writes the bound table to it.
    void exportCsv();
    RecordTableModel* model() const { return model_; }
    QTableView* view() const { return view_; }
    QPushButton* exportButton() const { return export_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    AppContext& ctx_;
    RecordTableModel* model_;
    QTableView* view_;
    QPushButton* export_;
};
