#pragma once
// "Record data": the imported records as a table. The view asks the model only for the rows it
// shows, so a million records cost nothing until they are scrolled into view.

#include <QAbstractTableModel>
#include <QWidget>
#include <memory>

#include "acquisition/RecordTable.h"

class QTableView;

class RecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    // Shows `table` from now on; the model keeps it alive while bound.
    void bind(std::shared_ptr<const RecordTable> table);
    const RecordTable* table() const { return table_.get(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const RecordTable> table_;
};

class CTablePage : public QWidget {
    Q_OBJECT
public:
    explicit CTablePage(QWidget* parent = nullptr);
    void BindTable(std::shared_ptr<const RecordTable> table);
    RecordTableModel* model() const { return model_; }
    QTableView* view() const { return view_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    RecordTableModel* model_;
    QTableView* view_;
};
