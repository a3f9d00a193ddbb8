#pragma once

#include <QString>
#include <QVariant>
#include <vector>

struct TableDef;

// Filter and sort expressions of the table engine, parsed into field indexes
// and values so that no text ever reaches SQL unbound.
struct FilterCondition {
    int field = -1;
    QVariant value; // QString for quoted values, bool for TRUE/FALSE, qint64 for numbers
};

struct SortKey {
    int field = -1;
    bool descending = false;
};

namespace TableExpressions {
// Forms: Field='text' (a quote inside doubled), Field=TRUE, Field=FALSE, Field=123,
// several joined by AND. Raises QuarrixError on anything else.
std::vector<FilterCondition> parseFilter(const TableDef& def, const QString& expression);
// Forms: "Field", "Field ASC", "Field DESC", comma separated. Empty gives no keys.
std::vector<SortKey> parseSort(const TableDef& def, const QString& expression);
// The same quoting the filter reads: Field='text' with quotes doubled.
QString equals(const QString& field, const QString& value);
// The terms of an ORDER BY giving a table's order: the sort keys, or the
// table's key order when there are none (text ignoring case, unset as empty),
// then the row id, so records that compare equal stay in stored order.
QString orderClause(const TableDef& def, const std::vector<SortKey>& keys);
}
