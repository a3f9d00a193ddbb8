#pragma once

#include <QString>

class Assessment;

// The rows and lists that name an attribute and follow it when it is
// renamed: the mappings (BTAtt, TSAtt, on either side), the driver profile
// rows (DrAtt), the applications' attribute lists and their risk entries
// (AppControl).
struct AttributeLinks {
    QString from, to; // the names, as stored
    int mappings = 0;
    int profileRows = 0;
    int mergedProfileRows = 0; // of those, rows of a driver that already profiles the new name
    int applications = 0;
    int riskEntries = 0;

    int total() const { return mappings + profileRows + applications + riskEntries; }
    // The question asked before the rename: how many links move, of which kind.
    QString renameQuestion() const;
};

namespace AttributeRename {

// The name an attribute would be stored under (cut to the field's width).
QString storedName(Assessment& assessment, const QString& name);

// What renaming the attribute stored at rowId to newName moves. Nothing when
// the stored name stays, or when another attribute still carries the old
// name: its links then stay with that one.
AttributeLinks linksToMove(Assessment& assessment, qint64 rowId, const QString& newName);

// Moves the links of oldName to newName, within the caller's transaction: the
// pair keys of the mappings are worked out again, and a profile row of a
// driver that already profiles newName merges into that row, which keeps the
// higher priority (1 is highest). The tables read the store again afterwards.
AttributeLinks moveLinks(Assessment& assessment, const QString& oldName, const QString& newName);

}
