#pragma once

#include <QString>
#include <vector>

// A text change as a reader follows it: the words kept, removed and added,
// in reading order, with the blanks and line breaks between them.
struct WordPiece {
    enum Kind { Kept, Removed, Added };
    Kind kind;
    QString text;
    bool operator==(const WordPiece&) const = default;
};

namespace WordDifference {
// The fewest words removed and added that turn before into after; pieces of
// one kind that follow each other are joined. Texts too long to match word by
// word (more than about four million pairs of words after their common start
// and end) are shown as the middle removed and added whole.
std::vector<WordPiece> between(const QString& before, const QString& after);
// Where the words of a piece's text start and end: the blanks around them
// are left out of a mark or a style (first == end: blanks only).
struct WordSpan {
    qsizetype first;
    qsizetype end;
};
WordSpan wordSpan(const QString& text);
// The pieces as one line of text: removed words in [- -], added in {+ +}.
QString marked(const std::vector<WordPiece>& pieces);
}
