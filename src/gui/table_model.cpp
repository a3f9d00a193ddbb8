#include "gui/table_model.h"

#include "store/quarrix_error.h"
#include "store/table.h"

TableModel::TableModel(Table& table, std::vector<Column> columns, bool editable, QObject* parent)
    : QAbstractTableModel(parent)
    , m_table(table)
    , m_columns(std::move(columns))
    , m_editable(editable)
{
    for (const Column& c : m_columns)
        m_fields.push_back(table.fieldIndex(c.field));
    m_writers.resize(m_columns.size());
    connect(&table, &Table::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&table, &Table::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
}

int TableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_table.isOpen())
        return 0;
    return m_table.recordCount();
}

int TableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    QString text = m_table.textAt(index.row(), m_fields[index.column()]);
    if (role == Qt::DisplayRole) {
        // Memo values show on one line in a grid cell.
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    }
    return text;
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal && section >= 0 && section < int(m_columns.size()))
        return m_columns[section].title;
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (m_editable && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

void TableModel::setCellWriter(const QString& field, CellWriter writer)
{
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].field.compare(field, Qt::CaseInsensitive) == 0)
            m_writers[c] = writer;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!m_editable || role != Qt::EditRole || !index.isValid())
        return false;
    const int row = index.row();
    try {
        if (m_table.currentRow() != row)
            m_table.moveTo(row);
        if (m_table.currentRow() != row)
            return false;
        if (const CellWriter& write = m_writers[size_t(index.column())]) {
            write(m_table.currentRowId(), value.toString());
            return true;
        }
        m_table.setText(m_columns[index.column()].field, value.toString());
        m_table.post();
    } catch (const MoveStopped&) {
        return false; // the record left could not be saved; its guard said why
    } catch (const QuarrixError& e) {
        if (m_table.isEditing())
            m_table.cancel();
        Q_EMIT failed(e.message());
        return false;
    }
    return true;
}
