#pragma once

#include <QString>
#include <QStringList>

class Assessment;
class Table;

// What the Security Attributes tab edits of one attribute.
struct SecurityAttributeEdits {
    QString group;
    QString attribute;
    QString description;
    QString profile;
    QStringList objectives; // objective lines
    QStringList controls; // control lines
};

namespace SecurityAttributeStore {
// Writes the edits into the Attribute row with the given row id. The current
// record is written through the table; any other row directly by its id,
// after which the table is re-read (the cursor stays on its record).
void write(Assessment& assessment, qint64 rowid, const SecurityAttributeEdits& edits);

// The catalogue as the two combo boxes offer it, from the visible Controls
// rows in their order: every control line ("Id: control_title"), and an
// objective line ("first five characters of Id: subsection_title") each time
// the first five characters of Id change.
struct CatalogueLines {
    QStringList objectives;
    QStringList controls;
};
CatalogueLines catalogueLines(const Table& controls);

// The lines of `lines` whose first five characters equal those of `key`.
QStringList sameObjective(const QStringList& lines, const QString& key);
}
