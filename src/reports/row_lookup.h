#pragma once

#include "analysis/attributes_in_use.h"
#include "store/table.h"

#include <QHash>
#include <QString>
#include <vector>

// In-memory lookups over the rows a table holds (as filtered and sorted), so
// that a report looks a record up without moving the table's cursor once per
// lookup.

// Rows of a table, looked up by one field's exact value: the first row in
// the table's current order, as a locate would find it.
class FirstRowIndex {
public:
    FirstRowIndex(const Table& table, const QString& field)
    {
        const int f = table.fieldIndex(field);
        for (int row = 0; row < table.recordCount(); ++row) {
            const QString value = table.textAt(row, f);
            if (!m_rows.contains(value))
                m_rows.insert(value, row);
        }
    }
    int find(const QString& value) const { return m_rows.value(value, -1); }

private:
    QHash<QString, int> m_rows;
};

// The rows of a table grouped by one field's exact value, each group in the
// table's current order, as a filter on that field would select them.
class RowGroups {
public:
    RowGroups(const Table& table, const QString& field)
    {
        const int f = table.fieldIndex(field);
        for (int row = 0; row < table.recordCount(); ++row)
            m_rows[table.textAt(row, f)].push_back(row);
    }
    const std::vector<int>& rows(const QString& value) const
    {
        static const std::vector<int> none;
        const auto it = m_rows.constFind(value);
        return it == m_rows.constEnd() ? none : *it;
    }

private:
    QHash<QString, std::vector<int>> m_rows;
};

// The attributes in use among the rows a table of attributes holds: their
// rows in the table's current order, and the row of each name in use. Built
// from the in-memory derivation, so a report reads them without marks in the
// store.
class InUseRows {
public:
    InUseRows() = default;
    InUseRows(const Table& attribute, const AttributesInUse& inUse)
    {
        for (int row = 0; row < attribute.recordCount(); ++row)
            if (inUse.containsRow(attribute.rowIdAt(row)))
                m_rows.push_back(row);
        const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
        for (int row : m_rows)
            m_rowOf.insert(attribute.textAt(row, name), row);
    }
    const std::vector<int>& rows() const { return m_rows; }
    int find(const QString& name) const { return m_rowOf.value(name, -1); }

private:
    std::vector<int> m_rows;
    QHash<QString, int> m_rowOf;
};
