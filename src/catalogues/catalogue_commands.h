#pragma once

#include "catalogues/control_set_row.h"

#include <QString>

class Assessment;

// What the Attributes Database tab edits of one attribute.
struct AttributeValues {
    QString group;
    QString sequence; // the group number as typed (Grx)
    QString name;
    QString tier;
    QString description; // memo, CR LF line ends
};

// Saves the attribute stored at rowId with its sort key worked out from the
// sequence and the name; a tier other than "Business", "Technical" or
// "Security" (exactly) is stored as "Business". A sequence that is not a
// whole number raises "'%s' is not a valid integer value" and nothing is
// written. A new name takes the attribute's links along (see
// AttributeRename::linksToMove), in the same transaction. The attribute is
// the current record afterwards, in its place in the key order.
void saveAttribute(Assessment& assessment, qint64 rowId, const AttributeValues& values);

// Adds the attribute "Attribute Name" in "Group Name", group number 0, and
// makes it current in its place in the key order; returns its row id.
qint64 addAttribute(Assessment& assessment);

// Saves the control stored at rowId with all seven fields (the library
// reference as given, empty included). The control is the current record
// afterwards, in its place in the Id order.
void saveControl(Assessment& assessment, qint64 rowId, const ControlSetRow& values);

// Adds the control "99.99.99" and makes it current in its place in the Id
// order; returns its row id.
qint64 addControl(Assessment& assessment);
