#include "reports/change_report_document.h"

#include "compare/change_output.h"
#include "compare/word_difference.h"
#include "office/typed_document.h"
#include "reports/report_file.h"
#include "reports/report_typing.h"

#include <QFileInfo>

using namespace ReportTyping;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kRed = 255; // the word processor's colour value for red

class ChangeReportRun {
public:
    ChangeReportRun(const ChangeReport& report, TypedDocument& doc)
        : m_report(report)
        , m_t(doc)
    {
    }

    void run(const QDate& date)
    {
        m_t.setUpPages(QStringLiteral("Meridal Quarrix Change Report\t\t\t\t\t\t"), date);
        m_t.doc().setProperties(
            QStringLiteral("Quarrix Change Report: ") + m_report.after.shownName(), QStringLiteral("Quarrix"));
        titlePage();
        summary();
        // The sections follow the summary's page one after the other.
        int number = 2;
        for (ChangeKind kind : ChangeKinds::all()) {
            if (!hasChanges(m_report[kind]))
                continue;
            if (number == 2)
                m_t.pageBreak();
            else
                m_t.emptyParagraph();
            kindSection(number++, kind);
        }
        m_t.clearTabStops();
    }

private:
    static bool hasChanges(const KindChanges& c)
    {
        if (!c.empty())
            return true;
        for (const CountChange& count : c.counts)
            if (count.before != count.after)
                return true;
        return false;
    }

    QString sourceLine(const ComparedSource& s) const
    {
        return QStringLiteral("%1\t%2 %3, last changed %4")
            .arg(s.shownName(), s.archive ? QStringLiteral("archive") : QStringLiteral("store"),
                QFileInfo(s.path).fileName(),
                headerDate(s.modified.date()) + s.modified.toString(QStringLiteral(" HH:mm")));
    }

    void titlePage()
    {
        m_t.size(14);
        m_t.bold(true);
        m_t.doc().setAlignment(TypedDocument::Centre);
        for (int i = 0; i < 3; ++i)
            m_t.text(kCrLf);
        m_t.text(rule(100) + kCrLf);
        m_t.text(QStringLiteral("CHANGE REPORT\r\n"));
        m_t.text(upperAscii(m_report.after.shownName()) + QStringLiteral("\r\n\n"));
        if (m_report.division != QLatin1String("All"))
            m_t.text(QStringLiteral("For Division ") + m_report.division + kCrLf);
        m_t.text(rule(100) + QStringLiteral("\r\n\n"));
        m_t.doc().setAlignment(TypedDocument::Left);
        m_t.bold(false);
        m_t.size(12);
        for (int i = 0; i < 3; ++i)
            m_t.text(kCrLf);
        m_t.clearTabStops();
        m_t.tabStop(120);
        m_t.text(QStringLiteral("Earlier assessment:\t") + sourceLine(m_report.before) + kCrLf);
        m_t.text(kCrLf);
        m_t.text(QStringLiteral("Later assessment:\t") + sourceLine(m_report.after) + kCrLf);
        m_t.clearTabStops();
        m_t.pageBreak();
    }

    void summary()
    {
        m_t.heading(QStringLiteral("1.  SUMMARY\r\n\n"));
        if (m_report.empty()) {
            m_t.text(QStringLiteral("No changes: the two assessments hold the same records, the same trace from "
                                    "requirements to controls and the same gaps.\r\n"));
            return;
        }
        m_t.text(QStringLiteral("This report lists what changed from the earlier assessment to the later one. "
                                "Records are matched by their identifiers; a record whose identifier changed while "
                                "its text stayed the same is shown as renamed. In changed texts, words removed are "));
        m_t.color(kRed);
        m_t.doc().setItalic(true);
        m_t.text(QStringLiteral("red and in italics"));
        m_t.plainStyle();
        m_t.text(QStringLiteral(", words added are "));
        addedStyle(true);
        m_t.text(QStringLiteral("blue and underlined"));
        addedStyle(false);
        m_t.text(QStringLiteral(".\r\n\n"));

        m_t.tabStop(240);
        m_t.tabStop(320);
        m_t.tabStop(400);
        m_t.bold(true);
        m_t.text(QStringLiteral("Kind of record\tAdded\tRemoved\tChanged\r\n"));
        m_t.bold(false);
        for (ChangeKind kind : ChangeKinds::all()) {
            const KindChanges& c = m_report[kind];
            m_t.text(QStringLiteral("%1\t%2\t%3\t%4\r\n")
                         .arg(ChangeKinds::title(kind))
                         .arg(c.added.size())
                         .arg(c.removed.size())
                         .arg(c.changed.size()));
        }
        m_t.text(QStringLiteral("Gaps\t%1 new\t%2 closed\r\n\n")
                     .arg(m_report.newGaps.size())
                     .arg(m_report.closedGaps.size()));
        m_t.clearTabStops();
        gapList(QStringLiteral("New gaps"), m_report.newGaps,
            QStringLiteral("The later assessment has no gap that the earlier one did not have."));
        gapList(QStringLiteral("Closed gaps"), m_report.closedGaps,
            QStringLiteral("No gap of the earlier assessment was closed."));
    }

    void gapList(const QString& title, const std::vector<GapChange>& gaps, const QString& none)
    {
        m_t.heading(title + kCrLf);
        if (gaps.empty()) {
            m_t.text(none + QStringLiteral("\r\n\n"));
            return;
        }
        m_t.doc().indent();
        for (const GapChange& g : gaps)
            m_t.text(ChangeOutput::gapTitle(g.gap) + QStringLiteral(": ") + g.name + kCrLf);
        m_t.doc().outdent();
        m_t.text(kCrLf);
    }

    void addedStyle(bool on)
    {
        m_t.color(on ? kBlue : 0);
        m_t.underline(on);
    }

    void kindSection(int number, ChangeKind kind)
    {
        const KindChanges& c = m_report[kind];
        m_t.heading(QStringLiteral("%1.  %2\r\n\n").arg(number).arg(upperAscii(ChangeKinds::title(kind))));
        // The count line and the counts stay on the page of what follows them.
        m_t.keepWithNext(true);
        m_t.text(ChangeOutput::countsText(c) + QStringLiteral(".\r\n\n"));
        if (!c.counts.empty()) {
            m_t.tabStop(240);
            m_t.tabStop(320);
            m_t.bold(true);
            m_t.text(QStringLiteral("Count\tEarlier\tLater\r\n"));
            m_t.bold(false);
            for (const CountChange& count : c.counts)
                m_t.text(
                    QStringLiteral("%1\t%2\t%3\r\n").arg(countName(count.name)).arg(count.before).arg(count.after));
            m_t.text(kCrLf);
            m_t.clearTabStops();
        }
        m_t.keepWithNext(false);
        itemList(QStringLiteral("Added"), c.added);
        itemList(QStringLiteral("Removed"), c.removed);
        if (c.changed.empty())
            return;
        m_t.wideBanner(QStringLiteral("Changed"));
        for (const ChangeItem& item : c.changed) {
            // A changed record's name stays with its first field.
            m_t.keepWithNext(true);
            m_t.bold(true);
            m_t.text(ChangeOutput::itemText(item) + kCrLf);
            m_t.bold(false);
            m_t.keepWithNext(false);
            m_t.doc().indent();
            for (const FieldChange& f : item.fields)
                fieldChange(f);
            m_t.doc().outdent();
            m_t.text(kCrLf);
        }
    }

    static QString countName(const QString& name)
    {
        QString shown = name;
        shown.replace(QLatin1Char('_'), QLatin1Char(' '));
        if (!shown.isEmpty())
            shown[0] = shown[0].toUpper();
        return shown;
    }

    void itemList(const QString& title, const std::vector<ChangeItem>& items)
    {
        if (items.empty())
            return;
        m_t.wideBanner(title);
        for (const ChangeItem& item : items)
            m_t.text(ChangeOutput::itemText(item) + kCrLf);
        m_t.text(kCrLf);
    }

    void fieldChange(const FieldChange& f)
    {
        m_t.underline(true);
        m_t.text(ChangeOutput::fieldTitle(f.field) + QLatin1Char(':'));
        m_t.underline(false);
        m_t.text(QStringLiteral(" "));
        const QString before = f.before.toString();
        const QString after = f.after.toString();
        if (!f.words || before.isEmpty() || after.isEmpty()) {
            m_t.text(ChangeOutput::fieldText(f) + kCrLf);
            return;
        }
        // The blanks around a changed piece keep the plain style; words added
        // right after words removed stand a blank apart from them.
        bool afterRemoved = false;
        for (const WordPiece& piece : WordDifference::between(before, after)) {
            const auto [first, end] = WordDifference::wordSpan(piece.text);
            if (piece.kind == WordPiece::Kept || first == end) {
                if (piece.kind != WordPiece::Removed)
                    typeText(piece.text);
                afterRemoved = false;
                continue;
            }
            if (piece.kind == WordPiece::Added && afterRemoved && first == 0)
                m_t.text(QStringLiteral(" "));
            typeText(piece.text.left(first));
            if (piece.kind == WordPiece::Removed) {
                m_t.color(kRed);
                m_t.doc().setItalic(true);
            } else {
                addedStyle(true);
            }
            typeText(piece.text.mid(first, end - first));
            m_t.plainStyle();
            m_t.underline(false);
            typeText(piece.text.mid(end));
            afterRemoved = piece.kind == WordPiece::Removed && end == piece.text.size();
        }
        m_t.text(kCrLf);
    }

    // Line breaks inside a text stay line breaks of the paragraph.
    void typeText(QString text)
    {
        text.replace(QLatin1Char('\n'), kCrLf);
        m_t.text(text);
    }

    const ChangeReport& m_report;
    Typist m_t;
};

}

namespace ChangeReportDocument {

void type(const ChangeReport& report, TypedDocument& doc, const QDate& date)
{
    ChangeReportRun(report, doc).run(date);
}

void write(const ChangeReport& report, const QString& path, const QDate& date)
{
    const std::unique_ptr<TypedDocument> doc = ReportFile::open(path);
    type(report, *doc, date);
    doc->finish();
}

}
