#pragma once

#include <QString>
#include <QStringList>

class Assessment;

// The assessment's selected controls as OSCAL 1.0: a profile that imports
// the catalog the controls came from and selects them, each with the
// assessment's rationale added; or the profile resolved, a catalog of the
// selected controls with their parts and parameters as imported. The store
// is read in one read transaction and never written; the file is replaced
// whole or not at all.
namespace OscalExport {

// Names the part that carries the rationale.
inline const QString kNamespace = QStringLiteral("https://quarrix.example/ns/oscal");

struct Options {
    // The division filter, which Requirements and Drivers must already hold
    // (as the window holds it, and as the command line sets it first).
    QString division = QStringLiteral("All");
    QString catalogHref; // the catalog the profile imports; empty: the file the controls came from
    bool resolved = false;
};

struct Result {
    int controls = 0; // controls written
    QStringList leftOut; // entries that select nothing, with the reason (see OscalSelection)
};

// Writes the document. Raises QuarrixError and writes nothing when there is
// no catalog to name (no --catalog and controls not imported from OSCAL),
// when a resolved catalog is asked of a control set from a spreadsheet, and
// when no selected control has an OSCAL id.
Result write(Assessment& assessment, const QString& fileName, const Options& options);

}
