#pragma once

#include <QString>

class Assessment;

// The starter attribute set and control set that ship in the folder "sets"
// of the program's data folder, and the autoload settings that point at them.
namespace StarterSets {

QString controlSetName(); // "starter_controls.xlsx"
QString attributeSetName(); // "starter_attributes.xlsx"
QString defaultFolder(); // <data folder>/sets

// For a new store: when both starter sets are in folder, points the System
// record's AutoControlFile and AutoAttributeFile at them and turns both
// autoload flags on. A path longer than the field keeps the form
// "sets/<name>", which locate() finds in the data folder. Returns whether
// the settings were written.
bool applyAutoloadDefaults(Assessment& assessment, const QString& folder = defaultFolder());

// Imports the control set or the attribute set that New Database's autoload
// names (AutoControlFile, AutoAttributeFile), whether or not autoload is on;
// when none is named, the starter set in the data folder. The attribute set
// adds its links.
void importControls(Assessment& assessment);
void importAttributes(Assessment& assessment);

// The file an autoload setting names: as written when it exists there, else,
// for a relative name, the same name in the data folder.
QString locate(const QString& fileName);

}
