#pragma once

#include <QString>

class Assessment;

struct AttributeImportCounts {
    int attributes = 0; // Attribute records made
    int busToTech = 0; // BTAtt rows added
    int techToSec = 0; // TSAtt rows added
};

// Imports an attribute set: the active sheet's rows, columns 1 to 5, up to the
// END row (or the last used row). Replaces every Attribute record; BTAtt and
// TSAtt keep their rows and gain the sheet's link rows. A sheet without any
// attribute or link row is refused. All or nothing: on any
// error the tables are as before and the message names the file, the row and
// the cell.
AttributeImportCounts importAttributeSet(Assessment& assessment, const QString& fileName);
