#pragma once

#include "gui/table_model.h"

#include <QTableView>
#include <functional>

// A data grid bound to a Table. Clicking a row or moving with the keys makes
// that record current through the table, so its move notifications run; the
// grid follows the table's current record in turn.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(
        Table& table, std::vector<TableModel::Column> columns, bool editable, const char* objectName, QWidget* parent);
    TableModel* tableModel() const { return m_model; }
    Table& table() const { return m_model->table(); }
    // Runs before a cell is typed into; false keeps the cell closed. The
    // tabs settle edits pending in their editors here, so that the editors'
    // Save never writes an older value over the cell's.
    void setBeforeCellEdit(std::function<bool()> settle) { m_beforeCellEdit = std::move(settle); }

Q_SIGNALS:
    void cellClicked(); // after the clicked record became current
    void keyReleased(int key); // a key released while the grid has the focus
    void failed(const QString& message);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    void followTable(int row);
    TableModel* m_model;
    bool m_following = false;
    std::function<bool()> m_beforeCellEdit;
};
