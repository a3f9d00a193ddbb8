#pragma once

#include <QString>

class Assessment;

// Imports a control set: one control per row from row 1, columns 1 to 7, up
// to the first row whose column 1 is empty; or an OSCAL catalog (JSON, told
// by its content or its .json name), one row per control. Replaces every
// Controls record. A sheet whose cell A1 is empty is refused.
// All or nothing: on any error Controls is as before and the message names
// the file. Returns the number of controls made. When `cutNote` is given it
// receives the identifiers (XId) longer than their field, which the store
// keeps cut, as one line ("2 identifiers longer than 8 characters were cut:
// AC-16(10) AC-17(10)"), or empty text when none was.
int importControlSet(Assessment& assessment, const QString& fileName, QString* cutNote = nullptr);
