#include "store/text_cut.h"

#include <QTextBoundaryFinder>

QString cutToCharacters(const QString& text, int characters)
{
    // A character takes one UTF-16 unit or more: text this short fits.
    if (text.size() <= characters)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int kept = 0; kept < characters; ++kept) {
        const qsizetype next = finder.toNextBoundary();
        if (next < 0)
            break;
        end = next;
    }
    return text.left(end);
}
