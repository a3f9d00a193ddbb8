#pragma once

#include <QString>

// Keys shared by the attribute taxonomy tab and the attribute-set import.
namespace CatalogueKeys {

// A whole number typed as text, as the catalogues read group numbers and the
// parts of a control Id. Raises "'%s' is not a valid integer value".
int strictInteger(const QString& text);

// The attribute sort key GrAtt: the group number plus 100 in decimal, its last
// two characters, then the attribute name (3, Available -> 03Available).
QString attributeSortKey(const QString& groupNumber, const QString& name);

// The key of a mapping row: each name padded with blanks or cut to 16
// characters, joined (always 32 characters).
QString pairKey(const QString& first, const QString& second);

// Upper-cases the letters a to z only, as the kind words are compared.
QString asciiUpper(const QString& text);

}
