#pragma once

#include <QSet>
#include <QString>

class Assessment;

// Recomputes Attribute.InUse and leaves Attribute filtered "InUse=TRUE".
// division: the division filter's text ("All" counts every driver).
//
// A security attribute is in use when a counted profile row (DrAtt) of
// priority 1 to 3 names a business attribute that BTAtt maps to a technical
// attribute that TSAtt maps to it. With no requirement in view nothing is in
// use. With any division but "All", a profile row counts only when its driver
// is among the drivers the division filter lets through; with "All" every row
// counts, rows of deleted drivers included. A TSAtt name marks the first
// Attribute row of that name, in the table's order.
//
// The marks are computed in memory and only the changed ones are written, in
// one transaction; Attribute is read from the store once at most. Attribute
// ends on its first in-use row and, when any requirement is in view, Drivers
// on its first record; these are the only cursor moves, so each table's move
// hooks run once.
void deriveAttributesInUse(Assessment& assessment, const QString& division);

// The names of the security attributes that the derivation marks in use for
// the division, worked out in memory: the store is only read, and no cursor
// moves. The division filter must already be on Requirements and Drivers.
QSet<QString> securityAttributesNeeded(Assessment& assessment, const QString& division);

// The view of Attribute that the tabs listing the attributes in use read:
// the derivation for the division, then the rows in name order.
void showAttributesInUse(Assessment& assessment, const QString& division);

// Gives Attribute back as the other readers expect it: in group order,
// unfiltered, on its first row.
void releaseAttributesInUse(Assessment& assessment);
