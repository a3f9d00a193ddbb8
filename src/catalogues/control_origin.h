#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

class Store;

// Where the controls of a control set imported from an OSCAL catalog came
// from, kept beside Controls in tables of our own so that the assessment's
// selection can be handed back as OSCAL. A control set from a spreadsheet
// has none. Deleting a Controls record forgets its origin, and the catalog is
// forgotten with its last control, whatever deletes them (an import, Clear,
// an archive load, the Delete command).

// One imported control.
struct OscalControlOrigin {
    QString id; // the catalog control's id: "ac-2.3"
    QString parent; // the id of the control it enhances; empty for a base control
    QString
        group; // its group's place among the catalog's groups ("2/0": the first group in the third); empty outside any
    QByteArray json; // the control as the catalog holds it, without its enhancements, compact JSON
};

// The catalog of an import, with one origin per Controls row it made.
struct OscalCatalogOrigin {
    QString title, uuid, version;
    QString fileName; // the catalog's file, absolute
    // The catalog without its controls, as compact JSON: {"catalog": its own
    // members but metadata, groups and controls; "groups": [{"path": "2/0",
    // "group": its own members but groups and controls}, ...] in document order}.
    QByteArray outline;
    std::vector<OscalControlOrigin> controls;
};

namespace ControlOrigin {

// Remembers the import's origins, the controls' for the Controls rows it has
// just written (their row ids, in the same order), in place of any before.
// Runs inside the import's transaction.
void remember(Store& store, const OscalCatalogOrigin& origin, const std::vector<qint64>& rowIds);

// Forgets every origin: the control set no longer comes from a catalog.
void forget(Store& store);

// A remembered control: its origin and its place in the catalog's order.
struct Remembered {
    OscalControlOrigin origin;
    int order = 0;
};

// The remembered catalog, its controls keyed by Controls row id (with their
// JSON when asked); none for a control set from a spreadsheet. Writes nothing.
struct Catalog {
    OscalCatalogOrigin catalog; // controls left empty
    QHash<qint64, Remembered> controls;
};
std::optional<Catalog> read(Store& store, bool withJson);

}
