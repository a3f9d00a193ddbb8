#include "analysis/profile_division_filter.h"

#include "store/table.h"
#include "store/table_expressions.h"

void applyDivisionFilter(Table& table, const QString& division)
{
    if (division == QLatin1String("All")) {
        table.setFiltered(false);
    } else {
        // Built by the engine's own quoting: a quote inside the name is doubled.
        table.setFilter(TableExpressions::equals(QStringLiteral("Division"), division));
        table.setFiltered(true);
    }
    table.refresh();
    table.first();
}
