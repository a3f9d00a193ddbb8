#pragma once

#include "compare/change_model.h"

#include <QByteArray>
#include <QString>

// The change report as the command line prints it, and the wording the
// window and the document share.
namespace ChangeOutput {

// For the terminal: who is compared with whom, the counts per kind and of the
// gaps, then each kind that changed with its records marked + (added),
// - (removed) and ~ (changed), a changed record's fields under it. An empty
// report says that nothing changed.
QString text(const ChangeReport& report);

// One object with the keys system, requirements, drivers, profiles,
// attributes_in_use, controls, trace, applications, risks, catalogue,
// taxonomy and gaps, in that order; each holds added, removed and changed
// (the catalogue and the taxonomy also their counts, the gaps new and closed).
QByteArray json(const ChangeReport& report);

// How a record is named: its key and what it stands for ("BR1.02  Answer
// customers fast"), or its parts ("driver BD1.01, attribute Accurate,
// priority 2"); a renamed record says its old key.
QString itemText(const ChangeItem& item);
// A changed field's change: "old -> new", the word-level difference of free
// text ([- -] removed, {+ +} added), or the items a list gained and lost.
QString fieldText(const FieldChange& change);
// A field's name as a reader knows it ("control_title": "Control title").
QString fieldTitle(const QString& field);
// A value as shown: "(none)" for nothing, list items joined by ", ".
QString valueText(const QVariant& value);
// "12 added, 3 removed, 1 changed", leaving out what is 0; "no change".
QString countsText(const KindChanges& changes);
// The title of a compared assessment with its file and date.
QString sourceText(const ComparedSource& source);
// What a gap list's key says in words ("Requirements without a driver").
QString gapTitle(const QString& gap);

}
