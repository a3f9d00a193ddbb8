#pragma once

#include <QString>
#include <QStringList>

class Table;

// A driver lists the requirements it stands for as requirement lines: the
// requirement's identifier, ": " and its text. These helpers keep those lines
// and the drivers' profile rows in step when a requirement or a driver is
// saved under a new identifier.
namespace RequirementLines {

// The line offered for a requirement: identifier, ": ", text.
QString line(const QString& id, const QString& text);

// The line written back when a requirement is renamed or reworded:
// identifier, ":", text (no blank after the colon).
QString rewrittenLine(const QString& id, const QString& text);

// The identifier of a line: the text before its first colon, or the whole
// line when it has none.
QString identifier(const QString& line);

// Replaces the first line whose identifier equals oldId exactly (so BR1.1
// never takes the line of BR1.10) by replacement. An empty oldId matches
// nothing. Returns whether a line was replaced.
bool replaceFirst(QStringList& lines, const QString& oldId, const QString& replacement);

// Rewrites, in every driver, the first line of requirement oldId into the
// line of newId and newText. The division filter of drivers is lifted for the
// walk and put back after it; when it was on, the first record is made
// current again so the cursor stands on a record that passes the filter.
// The walk moves the cursor (first, each driver changed, last), so the
// table's move notifications run. Returns the number of drivers changed.
int rewriteDrivers(Table& drivers, const QString& oldId, const QString& newId, const QString& newText);

} // namespace RequirementLines

namespace DriverProfile {

// The identifier a new driver gets. A profile recorded under it goes with the
// driver when the driver is first given its own identifier, so it never
// turns up on the next new driver.
inline const QString placeholderId()
{
    return QStringLiteral("BDx.xx");
}

// Whether saving a driver from oldId to newId carries its profile rows along:
// whenever the identifier changes, the placeholder's included.
bool movesProfile(const QString& oldId, const QString& newId);

// Moves every DrAtt row of oldId to newId (when movesProfile allows it), with
// the table's filter lifted for the walk and put back after. Returns the
// number of rows moved.
int moveRows(Table& drAtt, const QString& oldId, const QString& newId);

} // namespace DriverProfile
