// quarrix-cli report and taxonomy-report, and a real word processor opening
// what they write.
#include "report_test_support.h"
#include "support/process_run.h"

#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

TEST_F(ReportStoreTest, CliReportWritesWhatTheWindowWrites)
{
    const QString file = dir.filePath("cli.docx");
    const ProcessRun r = runCli({ "--store", path, "report", file, "--division", "North", "--activity", "Audit" });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, file + " saved\n");

    applyDivisionFilter(a.requirements(), "North");
    applyDivisionFilter(a.drivers(), "North");
    QuarrixReportOptions options = forActivity("Audit");
    options.division = "North";
    const QString here = dir.filePath("here.docx");
    QuarrixReport::write(a, here, options);
    const QByteArray body = Docx::part(file, "word/document.xml");
    EXPECT_FALSE(body.isEmpty());
    EXPECT_EQ(body, Docx::part(here, "word/document.xml"));
}

TEST_F(ReportStoreTest, CliTaxonomyReportRunsTheDerivationFirst)
{
    // Nothing is marked in use yet; the command derives it for its division.
    const QString file = dir.filePath("taxonomy.docx");
    const ProcessRun r = runCli({ "--store", path, "taxonomy-report", file, "--group", "User" });
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    const Docx d = Docx::read(file);
    ASSERT_TRUE(d.ok);
    // The matrix's columns are the groups in use, in GrAtt order.
    EXPECT_GE(d.find(" \tUser \tRisk \tMisc"), 0);
    EXPECT_GE(d.find(" \tAvailable\tLogged\tTracked"), 0);
    EXPECT_GE(d.find(" \tConfidential\t\t"), 0);
    EXPECT_GE(d.find("USER"), 0);
    EXPECT_LT(d.find("RISK"), 0);

    const ProcessRun south = runCli({ "--store", path, "taxonomy-report", file, "--division", "South" });
    ASSERT_EQ(south.status, 0) << south.err.toStdString();
    // South's only driver profiles Available and Logged.
    const Docx s = Docx::read(file);
    EXPECT_GE(s.find(" \tAvailable\tLogged\tTracked"), 0);
    EXPECT_LT(s.find(" Confidential \tData is seen only by those entitled"), 0);
}

TEST_F(ReportStoreTest, CliRefusesBadArgumentsWithoutWriting)
{
    const QString file = dir.filePath("never.docx");
    for (const QStringList& args : { QStringList { "report" }, QStringList { "report", file, "--group", "User" },
             QStringList { "report", file, "--activity" }, QStringList { "report", file, "extra.docx" },
             QStringList { "taxonomy-report", file, "--activity", "Audit" } }) {
        const ProcessRun r = runCli(QStringList { "--store", path } + args);
        EXPECT_NE(r.status, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains("usage")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(file));

    const ProcessRun unwritable = runCli({ "--store", path, "report", dir.filePath("no/such/folder/r.docx") });
    EXPECT_NE(unwritable.status, 0);
    EXPECT_TRUE(unwritable.err.contains("no/such/folder")) << unwritable.err.toStdString();
}

// A real word processor opens the report and lays it out: each section on
// its own page, page numbers from the second page on.
TEST_F(ReportStoreTest, WordProcessorOpensTheReport)
{
    const QString office = QStandardPaths::findExecutable("libreoffice");
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (office.isEmpty() || pdftotext.isEmpty())
        GTEST_SKIP() << "libreoffice or pdftotext is not installed";
    const QString file = dir.filePath("report.docx");
    QuarrixReport::write(a, file, {});
    const QString profile = QUrl::fromLocalFile(dir.filePath("lo-profile")).toString();
    const ProcessRun convert = runProgram(office,
        { "-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf", "--outdir", dir.path(), file },
        180000);
    ASSERT_EQ(convert.status, 0) << convert.err.toStdString();
    const ProcessRun text = runProgram(pdftotext, { "-layout", dir.filePath("report.pdf"), "-" });
    ASSERT_EQ(text.status, 0) << text.err.toStdString();
    const QStringList pages = text.out.split('\f');
    ASSERT_GE(pages.size(), 12) << text.out.toStdString();

    auto pageWith = [&](const QString& pattern, qsizetype from = 0) {
        const QRegularExpression re(pattern);
        for (qsizetype i = from; i < pages.size(); ++i)
            if (re.match(pages[i]).hasMatch())
                return int(i);
        return -1;
    };
    auto numbered = [&](int page, int number) {
        return QRegularExpression(QStringLiteral("\\n\\s*%1\\s*$").arg(number)).match(pages[page]).hasMatch();
    };
    EXPECT_EQ(pageWith("HARBOUR REVIEW"), 0);
    EXPECT_FALSE(pages[0].contains("Meridal Quarrix Report")); // the title page has no running header
    EXPECT_FALSE(numbered(0, 1));
    const int contents = pageWith("CONTENTS");
    EXPECT_EQ(contents, 1);
    EXPECT_TRUE(numbered(contents, 2)) << pages[contents].toStdString();
    int last = contents;
    for (const char* heading : { "3\\.\\s+REQUIREMENTS BY DIVISION\\s*\\n\\s*\\n", "4\\.1\\s+NORTH BUSINESS DRIVERS",
             "4\\.2\\s+SOUTH BUSINESS DRIVERS", "5\\.\\s+BUSINESS ATTRIBUTES TO DRIVERS\\s*\\n\\s*\\n",
             "6\\.\\s+BUSINESS DRIVER SECURITY CONTROLS\\s*\\n\\s*\\n",
             "7\\.\\s+SECURITY CONTROL BUSINESS DRIVERS\\s*\\n\\s*\\n", "8\\.\\s+PERFORMANCE BY ATTRIBUTE" }) {
        const int page = pageWith(QString::fromLatin1(heading), contents + 1); // the contents name them too
        EXPECT_GT(page, last) << heading;
        last = std::max(last, page);
    }
    EXPECT_GE(pageWith("BR1\\.01\\s+Keep customer data private"), 0);
    EXPECT_GE(pageWith("01\\.01\\.01\\s+Encryption"), 0);
}

// A filter the assessment does not have, or a file the command cannot write,
// is refused before anything is written; the message lists the known names.
TEST_F(ReportStoreTest, CliRefusesUnknownFiltersAndFilesItCannotWrite)
{
    const struct {
        QStringList args;
        const char* said;
    } cases[] = {
        { { "report", "r.docx", "--division", "West" }, "no division 'West'. Known: All, Enterprise, North, South." },
        { { "report", "r.pdf", "--activity", "audit" }, "no activity 'audit'. Known: All, Audit, Build." },
        { { "taxonomy-report", "t.docx", "--group", "Nope" },
            "no group 'Nope'. Known: All, Core, Support, Business, Misc, Risk, Technical, User." },
        { { "export", "e.xlsx", "--group", "Nope" }, "no group 'Nope'." },
        { { "listings", "l.pdf", "--activity", "Nope" }, "no activity 'Nope'." },
        { { "report", "r.doc" }, "r.doc': the file name must end in .docx or .pdf." },
        { { "taxonomy-report", "t.odt" }, "must end in .docx or .pdf." },
        { { "export", "e.xls" }, "must end in .xlsx." },
        { { "listings", "l.ps" }, "must end in .pdf." },
    };
    for (const auto& c : cases) {
        QStringList args = c.args;
        args[1] = dir.filePath(args.at(1));
        const ProcessRun r = runCli(QStringList { "--store", path } + args);
        EXPECT_NE(r.status, 0) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String(c.said))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(args.at(1))) << c.args.join(' ').toStdString();
    }
    // A division a record holds counts even when the System tab does not list it.
    ReportFixture::add(a.drivers(), { { "CSeq", "BD9" }, { "Division", "West" } });
    const ProcessRun west = runCli({ "--store", path, "report", dir.filePath("west.docx"), "--division", "West" });
    EXPECT_EQ(west.status, 0) << west.err.toStdString();
    EXPECT_EQ(west.err, ""); // and no stray message of the libraries
}
