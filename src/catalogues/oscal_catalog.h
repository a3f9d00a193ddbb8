#pragma once

#include "catalogues/control_set_row.h"

#include <QByteArray>
#include <QString>

struct OscalCatalogOrigin;

// Reads an OSCAL catalog (JSON) as a control set. Sections are the top-level
// groups, objectives the base controls of a group that are not withdrawn,
// controls the base control (01) followed by its enhancements that are not
// withdrawn. Statements become one line per item; guidance of at most 1,000
// characters follows as "Discussion: ...". Withdrawn controls and their
// enhancements are left out.
namespace OscalCatalog {

// Hard limits that keep a hostile file from exhausting memory, time or stack.
struct Limits {
    qint64 maxFileBytes = 32LL << 20; // the JSON file itself
    int maxDepth = 100; // nesting of objects and lists
    qint64 maxValues = 2'000'000; // values of any kind, lists and objects included
    qint64 maxInsertedChars = 16'000'000; // text added by parameter insertions, all told
};

// Whether the control-set import reads the file as a catalog: its content
// opens with '{', or its name ends in .json.
bool isCatalogFile(const QString& path);

// The rows of the catalog in the file, in catalog order. Raises QuarrixError
// naming the file and what is wrong when it is missing, beyond the limits, not
// JSON, not a catalog (an unresolved profile, say), holds a group without
// controls, no controls at all, or more than 99 sections, objectives in a
// section or controls in an objective. Fills origin, when given, with where
// the rows came from, one control origin per row.
ControlSetRows readControlRows(
    const QString& path, const Limits& limits = Limits(), OscalCatalogOrigin* origin = nullptr);

// The same from the bytes of a catalog; the message says what is wrong without
// naming a file.
ControlSetRows controlRowsOf(
    const QByteArray& json, const Limits& limits = Limits(), OscalCatalogOrigin* origin = nullptr);

}
