#include "store/text_cut.h"

#include <QTextBoundaryFinder>

QString cutToCharacters(const QString& text, int codePoints)
{
    // A code point takes one UTF-16 unit or two: text this short fits.
    if (text.size() <= codePoints)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    int counted = 0;
    for (qsizetype next = finder.toNextBoundary(); next >= 0; next = finder.toNextBoundary()) {
        for (qsizetype i = end; i < next; ++i)
            if (!text.at(i).isLowSurrogate())
                ++counted;
        if (counted > codePoints)
            break;
        end = next;
    }
    return text.left(end);
}
