#pragma once

#include "store/table.h"

#include <QStringList>

// Every row of a table (filter off) as "value|value|..." lines, for before/after comparisons.
inline QStringList dumpTable(Table& t)
{
    const bool wasFiltered = t.filtered();
    t.setFiltered(false);
    QStringList rows;
    for (int r = 0; r < t.recordCount(); ++r) {
        QStringList fields;
        for (int f = 0; f < int(t.def().fields.size()); ++f)
            fields << t.textAt(r, f);
        rows << fields.join(QLatin1Char('|'));
    }
    t.setFiltered(wasFiltered);
    return rows;
}
