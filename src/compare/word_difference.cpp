#include "compare/word_difference.h"

#include <QStringList>
#include <algorithm>

namespace WordDifference {

namespace {

// Runs of blanks and words in turn: a word's blanks are a token of their
// own, so a word removed at the end keeps the blank before it apart. The
// punctuation at a word's ends stands alone ("people." reads "people" and
// "."), so a sentence lengthened before its full stop shows only what came;
// within a word it stays ("10,000", "Quarter-end").
QStringList tokens(const QString& text)
{
    QStringList out;
    qsizetype start = 0;
    for (qsizetype i = 1; i <= text.size(); ++i) {
        if (i < text.size() && text.at(i).isSpace() == text.at(start).isSpace())
            continue;
        if (text.at(start).isSpace()) {
            out << text.mid(start, i - start);
        } else {
            qsizetype first = start;
            qsizetype end = i;
            while (first < end && text.at(first).isPunct())
                ++first;
            while (end > first && text.at(end - 1).isPunct())
                --end;
            if (first == end) { // punctuation alone, such as "--"
                out << text.mid(start, i - start);
            } else {
                for (qsizetype k = start; k < first; ++k)
                    out << text.mid(k, 1);
                out << text.mid(first, end - first);
                for (qsizetype k = end; k < i; ++k)
                    out << text.mid(k, 1);
            }
        }
        start = i;
    }
    return out;
}

void add(std::vector<WordPiece>& pieces, WordPiece::Kind kind, const QString& text)
{
    if (!pieces.empty() && pieces.back().kind == kind)
        pieces.back().text += text;
    else
        pieces.push_back({ kind, text });
}

}

std::vector<WordPiece> between(const QString& before, const QString& after)
{
    const QStringList a = tokens(before);
    const QStringList b = tokens(after);
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head])
        ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head && a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;

    std::vector<WordPiece> pieces;
    for (qsizetype i = 0; i < head; ++i)
        add(pieces, WordPiece::Kept, b[i]);
    const qsizetype n = a.size() - head - tail;
    const qsizetype m = b.size() - head - tail;
    constexpr qsizetype kLimit = 4'000'000;
    if (n > 0 && m > 0 && n * m <= kLimit) {
        // Longest common subsequence of the middle words, walked from the front.
        std::vector<int> length(size_t((n + 1) * (m + 1)), 0);
        auto at = [&](qsizetype i, qsizetype j) -> int& { return length[size_t(i * (m + 1) + j)]; };
        for (qsizetype i = n - 1; i >= 0; --i)
            for (qsizetype j = m - 1; j >= 0; --j)
                at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1 : std::max(at(i + 1, j), at(i, j + 1));
        qsizetype i = 0, j = 0;
        while (i < n || j < m) {
            // What goes comes before what replaces it.
            if (i < n && j < m && a[head + i] == b[head + j]) {
                add(pieces, WordPiece::Kept, b[head + j]);
                ++i;
                ++j;
            } else if (i < n && (j == m || at(i + 1, j) >= at(i, j + 1))) {
                add(pieces, WordPiece::Removed, a[head + i++]);
            } else {
                add(pieces, WordPiece::Added, b[head + j++]);
            }
        }
    } else {
        for (qsizetype i = 0; i < n; ++i)
            add(pieces, WordPiece::Removed, a[head + i]);
        for (qsizetype j = 0; j < m; ++j)
            add(pieces, WordPiece::Added, b[head + j]);
    }
    for (qsizetype i = b.size() - tail; i < b.size(); ++i)
        add(pieces, WordPiece::Kept, b[i]);
    return pieces;
}

WordSpan wordSpan(const QString& text)
{
    qsizetype first = 0;
    while (first < text.size() && text.at(first).isSpace())
        ++first;
    qsizetype end = text.size();
    while (end > first && text.at(end - 1).isSpace())
        --end;
    return { first, end };
}

QString marked(const std::vector<WordPiece>& pieces)
{
    QString out;
    for (const WordPiece& p : pieces) {
        if (p.kind == WordPiece::Kept) {
            out += p.text;
            continue;
        }
        // Blanks alone are kept as the later text has them.
        const auto [first, end] = wordSpan(p.text);
        if (first == end) {
            if (p.kind == WordPiece::Added)
                out += p.text;
            continue;
        }
        const bool removed = p.kind == WordPiece::Removed;
        out += p.text.left(first) + (removed ? QStringLiteral("[-") : QStringLiteral("{+"))
            + p.text.mid(first, end - first) + (removed ? QStringLiteral("-]") : QStringLiteral("+}"))
            + p.text.mid(end);
    }
    return out;
}

}
