#include "reports/report_typing.h"

#include "office/typed_document.h"
#include "store/table.h"

#include <QLocale>

namespace ReportTyping {

namespace {

// Where the next line of T ends (a character count), per foldLines().
qsizetype cutPoint(QString& t, int width, bool keepLines)
{
    qsizetype c = width;
    const qsizetype scan = std::min<qsizetype>(t.size(), width);
    for (qsizetype i = 1; i <= scan; ++i) {
        const QChar ch = t.at(i - 1);
        if (keepLines && (ch == u'\r' || ch == u'\n')) {
            t[i - 1] = u' ';
            c = i;
            if (i < t.size() && t.at(i) == u'\n') {
                t[i] = u' ';
                c = i + 1;
            }
            if (i < t.size() && t.at(i) == u'\r') {
                t[i] = u' ';
                c = i + 1;
            }
            break;
        }
        if (ch == u' ')
            c = i;
    }
    return c;
}

QString flattened(QString t)
{
    for (QChar& ch : t)
        if (ch == u'\r' || ch == u'\n')
            ch = u' ';
    return t;
}

}

QString rule(int n)
{
    return QString(n, QLatin1Char('_'));
}

QString upperAscii(const QString& text)
{
    QString out = text;
    for (QChar& ch : out)
        if (ch >= u'a' && ch <= u'z')
            ch = QChar(ch.unicode() - u'a' + u'A');
    return out;
}

QString textOr(const QString& text, const QString& note)
{
    return text.trimmed().isEmpty() ? note : text;
}

QString headerDate(const QDate& date)
{
    return QLocale::system().toString(date.isValid() ? date : QDate::currentDate(), QLocale::ShortFormat);
}

QStringList foldLines(QString text, int width, bool flatten, bool keepLines)
{
    QString t = text + QLatin1Char(' ');
    if (flatten)
        t = flattened(t);
    QStringList lines;
    while (!t.isEmpty()) {
        const qsizetype c = cutPoint(t, width, keepLines);
        if (c >= t.size()) {
            lines << t;
            break;
        }
        lines << t.left(c);
        t.remove(0, c);
    }
    return lines;
}

void Typist::text(const QString& t)
{
    m_doc.typeText(t);
}
void Typist::bold(bool on)
{
    m_doc.setBold(on);
}
void Typist::underline(bool on)
{
    m_doc.setUnderline(on);
}
void Typist::color(int value)
{
    m_doc.setColor(value);
}
void Typist::size(double points)
{
    m_doc.setFontSize(points);
}

void Typist::bannerStyle()
{
    m_doc.setBold(true);
    m_doc.setItalic(true);
    m_doc.setColor(kBlue);
}

void Typist::plainStyle()
{
    m_doc.setBold(false);
    m_doc.setItalic(false);
    m_doc.setColor(0);
}

void Typist::wideBanner(const QString& title)
{
    keepWithNext(true);
    bannerStyle();
    text(rule(104) + QStringLiteral("\r\n"));
    text(title + QStringLiteral("\r\n"));
    text(rule(104) + QStringLiteral("\r\n\n"));
    plainStyle();
    keepWithNext(false);
}

void Typist::heading(const QString& h)
{
    keepWithNext(true);
    m_doc.setBold(true);
    text(h);
    m_doc.setBold(false);
    keepWithNext(false);
}

void Typist::keepWithNext(bool on)
{
    m_doc.setKeepWithNext(on);
}

void Typist::pageBreak()
{
    m_doc.insertPageBreak();
}
void Typist::tabStop(double points)
{
    m_doc.addTabStop(points);
}
void Typist::clearTabStops()
{
    m_doc.clearTabStops();
}
void Typist::emptyParagraph()
{
    m_doc.typeParagraph();
}

void Typist::fold(const QString& t, int width, bool flatten, bool keepLines, const QString& firstPrefix,
    const QString& nextPrefix, const QString& lineEnd)
{
    const QStringList lines = foldLines(t, width, flatten, keepLines);
    for (qsizetype i = 0; i < lines.size(); ++i)
        text((i == 0 ? firstPrefix : nextPrefix) + lines[i] + lineEnd);
}

void Typist::referencesFold(const QString& source)
{
    constexpr int width = 90;
    QString t = flattened(source + QLatin1Char(' '));
    while (!t.isEmpty()) {
        if (t.size() <= width) {
            text(QStringLiteral(" \t") + t + QStringLiteral("\r\n"));
            return;
        }
        const qsizetype c = cutPoint(t, width, false);
        text(QStringLiteral("\t") + t.left(c) + QStringLiteral("\r\n"));
        t.remove(0, c);
    }
}

void Typist::setUpPages(const QString& headerTitle, const QDate& date)
{
    m_doc.setLandscape(true);
    m_doc.setFontName(QStringLiteral("Times New Roman"));
    m_doc.setFontSize(11);
    m_doc.setHeaderText(headerTitle + headerDate(date));
    m_doc.insertAfterHeader(QStringLiteral("\r\n") + rule(113) + QStringLiteral("\r\n\n"));
    m_doc.addPageNumbers(TypedDocument::Centre, false);
    m_doc.insertBeforeFooter(QStringLiteral("\r\n") + rule(113) + QStringLiteral("\r\n\n"));
    m_doc.setFooterAlignment(TypedDocument::Centre);
    m_doc.setFirstPageBare(true);
}

DisplayPause::DisplayPause(Table& table)
    : m_table(table)
{
    m_table.suspendNotifications();
}
DisplayPause::~DisplayPause()
{
    m_table.resumeNotifications();
}

SortForWalk::SortForWalk(Table& table, const QString& sort)
    : m_table(table)
{
    m_table.setSort(sort);
}

SortForWalk::~SortForWalk()
{
    try {
        m_table.setSort(QString());
    } catch (...) {
        // the walk's own error is the one reported; the next refresh of the
        // table re-reads it in key order
    }
}

}
