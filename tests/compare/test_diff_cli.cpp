// quarrix-cli diff, run as a program on a pair of small stores.
#include "compare_pair.h"

#include "compare/assessment_comparison.h"
#include "compare/change_output.h"
#include "support/file_bytes.h"
#include "support/process_run.h"

#include <QFileInfo>

namespace {

class DiffCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ComparePair::writeStore(earlier, nullptr);
        ComparePair::writeStore(later, ComparePair::quarterOfChanges);
    }

    QTemporaryDir dir;
    QString earlier = dir.filePath(QStringLiteral("earlier.mdb"));
    QString later = dir.filePath(QStringLiteral("later.mdb"));
};

TEST_F(DiffCliTest, TextForTheTerminalOpensNoStore)
{
    const QString unused = dir.filePath(QStringLiteral("Quarrix.mdb"));
    const ProcessRun r = runCli({ "--store", unused, "diff", earlier, later });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(unused));
    // The counts first, then each kind with its records marked.
    const QStringList expected = {
        "Kind                           Added Removed Changed",
        "Requirements                       0       0       2",
        "Gaps                         0 new, 1 closed",
        "Requirements (2 changed)",
        "  ~ BR1.09 (renamed from BR1.03)  Orphan wish",
        "  ~ BR2.01  Ship every order on time",
        "      Requirement: Ship {+every order+} on time",
        "  ~ driver BD1.01, attribute Responsive, priority 1, old priority 3",
        "  - security attribute Availability, control 02.01.01",
        "  + requirement BR1.01, driver BD1.01, security attribute Resilience, control 02.01.01",
        "      Score: 2 -> 9",
        "  counts: controls 4 -> 5, objectives 4 -> 5, sections 0 -> 1",
        "  + 04.01.01  Train staff",
        "  - security_without_controls: Resilience",
    };
    const QStringList lines = r.out.split('\n');
    qsizetype from = 0;
    for (const QString& line : expected) {
        const qsizetype at = lines.indexOf(line, from);
        EXPECT_GE(at, from) << "missing or out of order: " << line.toStdString() << "\n" << r.out.toStdString();
        from = std::max(from, at);
    }
    EXPECT_EQ(runCli({ "diff", "--help" }).out.section('\n', 0, 0),
        "usage: quarrix-cli diff OLD NEW [--division NAME] [--format text|json|docx|pdf] [--output FILE]");
}

TEST_F(DiffCliTest, JsonAndDocumentsToFiles)
{
    const QString json = dir.filePath(QStringLiteral("changes.json"));
    ProcessRun r = runCli({ "diff", earlier, later, "--output", json });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(
        readBytes(json), ChangeOutput::json(AssessmentComparison::compareFiles(earlier, later, QStringLiteral("All"))));

    const QString docx = dir.filePath(QStringLiteral("changes.docx"));
    r = runCli({ "diff", earlier, later, "--format", "docx", "--output", docx });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, docx + " saved\n");
    EXPECT_TRUE(readBytes(docx).startsWith("PK"));
    const QString pdf = dir.filePath(QStringLiteral("changes.pdf"));
    r = runCli({ "diff", earlier, later, "--output", pdf, "--division", "North" });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(readBytes(pdf).startsWith("%PDF"));
}

TEST_F(DiffCliTest, RefusalsWriteNothing)
{
    const QString notes = dir.filePath(QStringLiteral("notes.txt"));
    writeBytes(notes, "shopping list\r\n");
    const QString out = dir.filePath(QStringLiteral("out.pdf"));
    struct Case {
        QStringList args;
        QString message;
    };
    const Case cases[] = {
        { { "diff", earlier }, "usage: quarrix-cli diff OLD NEW" },
        { { "diff", earlier, later, "--format", "pdf" }, "diff --format pdf writes a file: give --output FILE.pdf" },
        { { "diff", earlier, later, "--format", "xml", "--output", out }, "usage: quarrix-cli diff OLD NEW" },
        { { "diff", earlier, later, "--division", "West", "--output", out },
            "has the division 'West'; they have: Enterprise, North, South." },
        { { "diff", notes, later, "--output", out }, "This is not a saved analysis: '" + notes + "' does not begin" },
    };
    for (const Case& c : cases) {
        const ProcessRun r = runCli(c.args);
        EXPECT_EQ(r.status, 1) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
}

}
