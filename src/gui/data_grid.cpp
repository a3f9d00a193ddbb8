#include "gui/data_grid.h"

#include "store/quarrix_error.h"
#include "store/table.h"

#include <QHeaderView>
#include <QKeyEvent>

DataGrid::DataGrid(
    Table& table, std::vector<TableModel::Column> columns, bool editable, const char* objectName, QWidget* parent)
    : QTableView(parent)
    , m_model(new TableModel(table, std::move(columns), editable, this))
{
    setObjectName(QString::fromLatin1(objectName));
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(editable
            ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed
            : QAbstractItemView::NoEditTriggers);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setFixedWidth(12);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setHighlightSections(false);
    setWordWrap(false);
    connect(m_model, &TableModel::failed, this, &DataGrid::failed);
    connect(&table, &Table::currentChanged, this, &DataGrid::followTable);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { followTable(this->table().currentRow()); });
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (m_following || !current.isValid())
            return;
        try {
            this->table().moveTo(current.row());
        } catch (const MoveStopped&) {
            // the record left could not be saved: the grid stays on it
        } catch (const QuarrixError& e) {
            Q_EMIT failed(e.message());
        }
        if (this->table().currentRow() != current.row())
            followTable(this->table().currentRow());
    });
    connect(this, &QTableView::clicked, this, [this](const QModelIndex&) { Q_EMIT cellClicked(); });
}

void DataGrid::followTable(int row)
{
    if (table().notificationsSuspended())
        return;
    m_following = true;
    if (row >= 0 && row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, std::max(0, currentIndex().column())));
    else
        clearSelection();
    m_following = false;
}

bool DataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    const bool opens = state() != EditingState && index.isValid() && (editTriggers() & trigger)
        && (m_model->flags(index) & Qt::ItemIsEditable);
    if (!opens || !m_beforeCellEdit)
        return QTableView::edit(index, trigger, event);
    // Settling may re-read the rows and move the record in the order: the
    // cell is found again by its record.
    const qint64 rowId = table().rowIdAt(index.row());
    const int column = index.column();
    if (!m_beforeCellEdit())
        return false;
    const int row = table().rowOf(rowId);
    if (row < 0)
        return false;
    const QModelIndex cell = m_model->index(row, column);
    if (currentIndex() != cell)
        setCurrentIndex(cell);
    return QTableView::edit(cell, trigger, event);
}

void DataGrid::keyReleaseEvent(QKeyEvent* event)
{
    QTableView::keyReleaseEvent(event);
    Q_EMIT keyReleased(event->key());
}
