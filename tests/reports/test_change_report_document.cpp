// The change report as a reader finds it in the .docx: the title page naming
// both assessments, the summary with its counts and gaps, a section per kind
// that changed, and the words removed and added in a changed text.
#include "compare/assessment_comparison.h"
#include "compare/compare_pair.h"
#include "reports/change_report_document.h"
#include "reports/docx_reader.h"
#include "support/qt_printers.h"

#include <QRegularExpression>

namespace {

class ChangeReportDocumentTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    Docx reportOf(const ComparePair::Change& change)
    {
        const QString earlier = dir.filePath(QStringLiteral("earlier.mdb"));
        const QString later = dir.filePath(QStringLiteral("later.mdb"));
        QFile::remove(earlier);
        QFile::remove(later);
        ComparePair::writeStore(earlier, nullptr);
        ComparePair::writeStore(later, change);
        const QString path = dir.filePath(QStringLiteral("changes.docx"));
        ChangeReportDocument::write(
            AssessmentComparison::compareFiles(earlier, later, QStringLiteral("All")), path, QDate(2025, 4, 1));
        return Docx::read(path);
    }

    // The paragraphs from the one whose text is `first` up to, not with, the next page break.
    static QStringList page(const Docx& doc, const QString& first)
    {
        QStringList out;
        for (int i = doc.find(first); i >= 0 && i < int(doc.body.size()); ++i) {
            const QString text = doc.body[size_t(i)].text();
            if (text.contains('\f'))
                break;
            out << text;
        }
        return out;
    }

    QTemporaryDir dir;
};

TEST_F(ChangeReportDocumentTest, TitleSummaryAndASectionPerKindThatChanged)
{
    const Docx doc = reportOf([](Assessment& a) {
        ComparePair::quarterOfChanges(a);
        ComparePair::set(a.requirements(), "RSeq", "BR1.02", "Requirement", "Answer customers");
    });
    ASSERT_TRUE(doc.ok) << doc.error.toStdString();
    EXPECT_TRUE(doc.landscape);
    EXPECT_TRUE(Docx::text(doc.header).startsWith("Meridal Quarrix Change Report"));

    const QString body = doc.bodyText();
    EXPECT_TRUE(body.contains("CHANGE REPORT\nTRACE REVIEW\n"));
    EXPECT_TRUE(body.contains("Earlier assessment:\tTrace review\tstore earlier.mdb, last changed "));
    EXPECT_TRUE(body.contains("Later assessment:\tTrace review\tstore later.mdb, last changed "));

    EXPECT_EQ(page(doc, "1.  SUMMARY").mid(4, 15),
        (QStringList { "Kind of record\tAdded\tRemoved\tChanged", "System\t0\t0\t0", "Requirements\t0\t0\t3",
            "Business drivers\t0\t0\t0", "Profiles\t0\t0\t1", "Security attributes in use\t0\t0\t0",
            "Objectives and controls\t1\t1\t0", "Trace\t3\t8\t0", "Applications\t0\t0\t0", "Risk entries\t0\t0\t1",
            "Control catalogue\t1\t0\t0", "Attribute taxonomy\t0\t0\t0", "Gaps\t0 new\t1 closed", "", "New gaps" }));
    EXPECT_TRUE(body.contains("New gaps\nThe later assessment has no gap that the earlier one did not have.\n"));
    EXPECT_TRUE(body.contains("Closed gaps\nSecurity attribute in use without controls: Resilience\n"));

    // The kinds that changed, numbered in order; the others have no section.
    QStringList headings;
    for (const DocxParagraph& p : doc.body)
        if (p.text().contains(QRegularExpression("^\f?[0-9]+\\.  [A-Z]")))
            headings << p.text().remove('\f');
    EXPECT_EQ(headings,
        (QStringList { "1.  SUMMARY", "2.  REQUIREMENTS", "3.  PROFILES", "4.  OBJECTIVES AND CONTROLS", "5.  TRACE",
            "6.  RISK ENTRIES", "7.  CONTROL CATALOGUE" }));
    const QStringList requirements = page(doc, "2.  REQUIREMENTS");
    EXPECT_TRUE(requirements.contains("BR1.09 (renamed from BR1.03)  Orphan wish"));
    EXPECT_TRUE(requirements.contains("Requirement: Ship every order on time"));
    EXPECT_TRUE(page(doc, "6.  RISK ENTRIES").contains("Score: 2 -> 9"));
    EXPECT_TRUE(page(doc, "7.  CONTROL CATALOGUE").contains("Controls\t4\t5"));
    // A section's heading and count line, and a changed record's name, stay on the page of what follows them.
    const int requirementsAt = doc.find("2.  REQUIREMENTS");
    for (const char* kept : { "2.  REQUIREMENTS", "3 changed.", "BR1.09 (renamed from BR1.03)  Orphan wish" }) {
        const int at = doc.find(kept, requirementsAt);
        ASSERT_GE(at, 0) << kept;
        EXPECT_TRUE(doc.body[size_t(at)].keepWithNext) << kept;
    }
    EXPECT_FALSE(doc.body[size_t(doc.find("Requirement: Ship every order on time"))].keepWithNext);

    // Words added blue and underlined, words removed red and in italics.
    auto runsOf = [&](const QString& text) {
        const int at = doc.find(text);
        EXPECT_GE(at, 0) << text.toStdString();
        return at >= 0 ? doc.body[size_t(at)].runs : std::vector<DocxRun>();
    };
    bool added = false;
    for (const DocxRun& run : runsOf("Requirement: Ship every order on time"))
        if (run.text.trimmed() == "every order")
            added = run.underline && run.color == "0000FF" && !run.italic;
    EXPECT_TRUE(added);
    bool removed = false;
    for (const DocxRun& run : runsOf("Requirement: Answer customers fast"))
        if (run.text.trimmed() == "fast")
            removed = run.italic && run.color == "FF0000" && !run.underline;
    EXPECT_TRUE(removed);
}

TEST_F(ChangeReportDocumentTest, NothingChangedSaysSoAndEndsThere)
{
    const Docx doc = reportOf(nullptr);
    ASSERT_TRUE(doc.ok) << doc.error.toStdString();
    EXPECT_EQ(page(doc, "1.  SUMMARY"),
        (QStringList { "1.  SUMMARY", "",
            "No changes: the two assessments hold the same records, the same trace from requirements to controls and "
            "the same gaps." }));
    // Nothing after it: empty paragraphs at a document's end are dropped.
    EXPECT_EQ(doc.find("1.  SUMMARY") + 3, int(doc.body.size()));
}

}
