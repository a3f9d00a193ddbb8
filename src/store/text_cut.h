#pragma once

#include <QString>

// Keeps the longest start of text that holds at most `codePoints` code points
// and ends on a character boundary as a reader sees it: a cut never splits a
// surrogate pair, and a combining mark, a joined emoji or a flag that does not
// fit goes with the rest of its character. Counting code points is what every
// central database's varchar width means, so a cut value fits them all.
// Text fields are cut this way.
QString cutToCharacters(const QString& text, int codePoints);
