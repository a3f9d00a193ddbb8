#pragma once

#include "store/store.h"
#include "store/table.h"

// The column letter of a 1-based column number (1 -> A).
inline QString columnLetter(int column)
{
    return QString(QChar(u'A' + column - 1));
}
