#pragma once

#include <QString>

class Assessment;

// Recomputes Attribute.InUse and leaves Attribute filtered "InUse=TRUE".
// division: the division filter's text ("All" counts every driver).
//
// The marks are those AttributesInUse derives for the division: profile rows
// of drivers in view only (a row whose driver is gone counts nowhere), and
// nothing in use without a requirement in view. Commands that only read ask
// AttributesInUse instead and leave the marks alone; the tabs that list the
// attributes in use write them here.
//
// Only the changed marks are written, in one transaction; Attribute is read
// from the store once at most. Attribute ends on its first in-use row and,
// when any requirement is in view, Drivers on its first record; these are
// the only cursor moves, so each table's move hooks run once.
void deriveAttributesInUse(Assessment& assessment, const QString& division);

// The view of Attribute that the tabs listing the attributes in use read:
// the derivation for the division, then the rows in name order.
void showAttributesInUse(Assessment& assessment, const QString& division);

// Gives Attribute back as the other readers expect it: in group order,
// unfiltered, on its first row.
void releaseAttributesInUse(Assessment& assessment);
