#pragma once

#include <QString>

// What the analyst chose on the Reports tab for the export and the listings:
// the activity and group choices and the ticked tables. "All" lets every
// record pass; any other text only records whose field equals it exactly,
// letter case included.
struct ReportSelection {
    QString division = QStringLiteral("All"); // the division filter in force: which attributes are in use
    QString activity = QStringLiteral("All");
    QString group = QStringLiteral("All");
    bool requirements = true;
    bool drivers = true;
    bool attributes = true;
    bool controls = false;

    static bool passes(const QString& choice, const QString& value)
    {
        return choice == QLatin1String("All") || value == choice;
    }
};

#include "store/table.h"

// A read-only walk over the rows of a table as the export and the listings
// make it: display updates are suspended for its life, the first record is
// made current at the start (so the table's before-move step runs once, and a
// pending edit is settled before anything is read), and the rows are read by
// position, which runs no per-row move steps.
class TableWalk {
public:
    explicit TableWalk(Table& table)
        : m_table(table)
        , m_suspended { &table }
    {
        m_table.first();
    }
    TableWalk(const TableWalk&) = delete;
    TableWalk& operator=(const TableWalk&) = delete;

    int count() const { return m_table.recordCount(); }
    int field(const char* name) const { return m_table.fieldIndex(QString::fromLatin1(name)); }
    QString text(int row, int field) const { return m_table.textAt(row, field); }
    qint64 rowId(int row) const { return m_table.rowIdAt(row); }

private:
    Table& m_table;
    const DisplaySuspended m_suspended;
};
