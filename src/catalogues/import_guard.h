#pragma once

#include "store/store.h"
#include "store/table.h"

// Holds display updates of a table suspended for the life of an import and
// resumes them on every way out, error or not.
class SuspendedTable {
public:
    explicit SuspendedTable(Table& table)
        : m_table(table)
    {
        m_table.disableControls();
    }
    ~SuspendedTable() { m_table.enableControls(); }
    SuspendedTable(const SuspendedTable&) = delete;
    SuspendedTable& operator=(const SuspendedTable&) = delete;

private:
    Table& m_table;
};

// The column letter of a 1-based column number (1 -> A).
inline QString columnLetter(int column)
{
    return QString(QChar(u'A' + column - 1));
}
