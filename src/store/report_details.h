#pragma once

#include <QString>

class Store;

// What the analyst gives both reports for their front matter: who releases
// them, whom they are prepared for, a commentary and a disclaimer.
struct ReportDetails {
    QString releasedBy;
    QString contact;
    QString address;
    QString commentary;
    QString disclaimer;
    bool operator==(const ReportDetails&) const = default;
};

// The details live in a table of their own beside System (one row), so the
// System fields that the archive and the upload carry stay as they are. The
// table is made by the first write: a store that never had details, or a
// store opened only to be read, reads as an empty one.
//
// Until the analyst gives a disclaimer of their own the reports print the
// default one; a disclaimer stored equal to the default is kept as "not
// given", so the default alone never counts as something stored.
namespace ReportDetailsStore {

QString defaultDisclaimer();

// The details as the reports use them: the default disclaimer unless one was given.
ReportDetails read(Store& store);
// Whether the details differ from those of an empty store: a value given, or
// the disclaimer changed (emptied included). The archive holds them only then.
bool anyGiven(Store& store);
// Stores all five values.
void write(Store& store, const ReportDetails& details);
// Forgets every value: the disclaimer is the default one again.
void clear(Store& store);

}
