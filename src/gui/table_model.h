#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
#include <vector>

class Table;

// A grid's view of a Table: the columns named, the rows as the table's filter
// and sort leave them. Edits in a cell are posted to the store at once.
class TableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
    };
    TableModel(Table& table, std::vector<Column> columns, bool editable, QObject* parent = nullptr);

    Table& table() const { return m_table; }
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // A value typed into a cell of the field is handed to the writer, with
    // the row id of its record, instead of being posted: for fields that
    // other records refer to, whose change is a command of its own.
    using CellWriter = std::function<void(qint64 rowId, const QString& value)>;
    void setCellWriter(const QString& field, CellWriter writer);

Q_SIGNALS:
    void failed(const QString& message); // an edit typed into a cell was refused

private:
    Table& m_table;
    std::vector<Column> m_columns;
    std::vector<int> m_fields;
    std::vector<CellWriter> m_writers; // by column
    bool m_editable;
};
