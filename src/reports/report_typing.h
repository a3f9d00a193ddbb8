#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Table;
class TypedDocument;

// The typing vocabulary the two word-processor reports share: styles,
// banners, rules, tab stops and the folding of long store texts into lines.
namespace ReportTyping {

constexpr int kBlue = 16711680; // the word processor's colour value for blue

// N underscores.
QString rule(int n);
// Only the letters a to z are upper-cased; every other character stays.
QString upperAscii(const QString& text);
// The text, or the note when the text holds nothing but blanks and line
// breaks: a label is never left standing over nothing.
QString textOr(const QString& text, const QString& note);
// The note the reports give an attribute without a description.
inline QString noDescription()
{
    return QStringLiteral("No description is recorded.");
}
// The date as the page header shows it: the system's short date format.
QString headerDate(const QDate& date);

// How a long text is cut into lines of at most `width` characters: a blank
// is appended first; `flatten` turns every CR and LF into a blank; `keepLines`
// ends a line at the first CR or LF (a CR LF, LF CR or CR CR pair counting as
// one break). Each line is cut after the last blank within the width, or at
// the width when it holds no blank; the blank stays at the end of its line.
QStringList foldLines(QString text, int width, bool flatten, bool keepLines);

// Typing on a document, in the reports' own terms.
class Typist {
public:
    explicit Typist(TypedDocument& doc)
        : m_doc(doc)
    {
    }
    TypedDocument& doc() { return m_doc; }

    void text(const QString& t);
    void bold(bool on);
    void underline(bool on);
    void color(int value);
    void size(double points);
    void bannerStyle(); // bold, italic, blue
    void plainStyle(); // not bold, not italic, black
    // Headings and banners stay on the page of what follows them.
    void wideBanner(const QString& title); // rules of 104 around the title
    void heading(const QString& h); // h in bold
    // The paragraphs typed from now on stay on the page of the one after them.
    void keepWithNext(bool on);
    void pageBreak();
    void tabStop(double points);
    void clearTabStops();
    void emptyParagraph();

    // Types the lines of foldLines(), the first after firstPrefix, the rest
    // after nextPrefix, each followed by lineEnd.
    void fold(const QString& t, int width, bool flatten, bool keepLines, const QString& firstPrefix,
        const QString& nextPrefix, const QString& lineEnd);
    // A requirement's references: every line but the last after a tab, the
    // last (which is the only one when the text fits) after a blank and a tab.
    void referencesFold(const QString& t);

    // Page header "title + date" over a rule, footer rule over centred page
    // numbers, none of them on the first (title) page; landscape pages, Times
    // New Roman 11.
    void setUpPages(const QString& headerTitle, const QDate& date);

private:
    TypedDocument& m_doc;
};

// Suspends a table's display for the life of the object.
class DisplayPause {
public:
    explicit DisplayPause(Table& table);
    ~DisplayPause();
    DisplayPause(const DisplayPause&) = delete;
    DisplayPause& operator=(const DisplayPause&) = delete;

private:
    Table& m_table;
};

// Sets a table's sort for a walk and sets it back to key order afterwards,
// also when the walk fails.
class SortForWalk {
public:
    SortForWalk(Table& table, const QString& sort);
    ~SortForWalk();
    SortForWalk(const SortForWalk&) = delete;
    SortForWalk& operator=(const SortForWalk&) = delete;

private:
    Table& m_table;
};

}
