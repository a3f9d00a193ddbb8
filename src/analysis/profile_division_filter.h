#pragma once

#include <QString>

class Table;

// The division filter on one of the two tables it holds (Requirements,
// Drivers): "All" switches the filter off; any other text, empty included,
// keeps only the records whose Division is exactly that text. The table is
// re-read and its first record made current, so its move hooks run.
void applyDivisionFilter(Table& table, const QString& division);
