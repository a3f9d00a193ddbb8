#pragma once

#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

class Assessment;

// An attribute set as read from its spreadsheet: the active sheet's rows,
// columns 1 to 5, up to the END row (or the last used row).
struct AttributeSet {
    struct Attribute {
        QString group, sequence, name, sortKey, tier, description;
    };
    QString fileName;
    std::vector<Attribute> attributes;
    std::vector<std::pair<QString, QString>> busToTech, techToSec; // link rows, in sheet order
};

// Reads the set. A sheet without any attribute or link row is refused; any
// error names the file, the row and the cell. Nothing in the store changes.
AttributeSet readAttributeSet(const QString& fileName);

// What the assessment gave an attribute that a new set does not hold, and
// that the import would therefore drop.
struct DroppedAttribute {
    QString name;
    int objectives = 0; // SecObjectives lines
    int controls = 0; // SecControls lines
    bool profile = false; // Profile text
    int profileRows = 0; // DrAtt rows naming it; they stay, naming no attribute
};

// The attributes of the store, by name, that the set does not hold and that
// carry objectives, controls, profile text or driver profile rows, sorted by
// name.
std::vector<DroppedAttribute> droppedAttributes(Assessment& assessment, const AttributeSet& set);
// The question asked before such an import: every dropped attribute by name
// with what it carries, and their count.
QString dropQuestion(const std::vector<DroppedAttribute>& dropped);

struct AttributeImportCounts {
    int attributes = 0; // Attribute records made
    int busToTech = 0; // BTAtt rows made
    int techToSec = 0; // TSAtt rows made
    int carried = 0; // attributes that kept objectives, controls or profile text of the same name
    int dropped = 0; // attributes no longer in the set that lost what they carried
    // "Attribute set imported: ..." for the status line.
    QString summary() const;
};

// Imports the set: replaces every Attribute record and every BTAtt and TSAtt
// row with the set's (links are never added to those of an earlier set), and
// gives each new attribute the objectives, controls and profile text the
// store held for an attribute of the same name (the first in key order that
// has any). DrAtt and the applications' lists are not touched. All or
// nothing: on any error the tables are as before.
AttributeImportCounts importAttributeSet(Assessment& assessment, const AttributeSet& set);
// Reads the set and imports it, as New Database's autoload and the command
// line do.
AttributeImportCounts importAttributeSet(Assessment& assessment, const QString& fileName);
