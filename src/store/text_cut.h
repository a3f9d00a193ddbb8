#pragma once

#include <QString>

// Keeps the first `characters` characters of text as a reader sees them, so a
// cut never splits a surrogate pair or parts a combining mark, a joined emoji
// or a flag from the rest of its character. Text fields are cut this way.
QString cutToCharacters(const QString& text, int characters);
