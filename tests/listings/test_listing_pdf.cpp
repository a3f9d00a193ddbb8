#include "reports/listing_layout.h"
#include "reports/listing_painter.h"
#include "store/quarrix_error.h"
#include "support/temp_store.h"

#include <QDir>
#include <QFile>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>

namespace {

struct PdfFacts {
    int pages = 0;
    bool landscape = false;
};

// What a PDF file says of itself: its page objects and whether the first
// page's box is wider than high.
PdfFacts readPdf(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QString data = QString::fromLatin1(f.readAll());
    if (!data.startsWith(QLatin1String("%PDF-")))
        return {};
    PdfFacts facts;
    facts.pages = int(data.count(QRegularExpression(QStringLiteral("/Type\\s*/Page(?![s\\w])"))));
    const QRegularExpressionMatch box
        = QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0 0 ([\\d.]+) ([\\d.]+)")).match(data);
    facts.landscape = box.hasMatch() && box.captured(1).toDouble() > box.captured(2).toDouble();
    return facts;
}

class ListingPdfTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        for (int i = 1; i <= 40; ++i)
            addRow(a.requirements(),
                { { "RSeq", QStringLiteral("BR%1").arg(i, 2, 10, QLatin1Char('0')) },
                    { "Division", i <= 20 ? QStringLiteral("North") : QStringLiteral("South") },
                    { "Activity", QStringLiteral("Build") }, { "Requirement", QStringLiteral("Line\r\nbreak") } });
        addRow(a.controls(), { { "Id", QStringLiteral("01.01.01") }, { "section_title", QStringLiteral("Org") } });
        // An activity of the assessment that no requirement has.
        a.system().edit();
        a.system().setText(QStringLiteral("Activities"), QStringLiteral("Build\r\nRun\r\n"));
        a.system().post();
        options.selection.controls = true;
        options.selection.drivers = options.selection.attributes = false;
        pdf = dir.filePath(QStringLiteral("listings.pdf"));
    }

    ReferenceListings::Options options;
    QString pdf;
};

TEST_F(ListingPdfTest, PagesGoToTheFileInLandscapeAndThePrinterIsTurnedBack)
{
    QPdfWriter writer(pdf);
    ListingPainter canvas(writer);
    const auto result = ReferenceListings::print(a, options, canvas);
    canvas.finish();
    EXPECT_EQ(writer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_EQ(result.totalPages(), 3);
    const PdfFacts facts = readPdf(pdf);
    EXPECT_EQ(facts.pages, 3);
    EXPECT_TRUE(facts.landscape);
}

TEST_F(ListingPdfTest, AFileThatCannotBeWrittenFailsAndNothingPrintedWritesNothing)
{
    {
        QPdfWriter writer(dir.filePath(QStringLiteral("missing/listings.pdf")));
        ListingPainter canvas(writer);
        EXPECT_THROW(ReferenceListings::print(a, options, canvas), QuarrixError);
    }
    options.selection = ReportSelection();
    options.selection.activity = QStringLiteral("Nothing");
    options.selection.attributes = false;
    QPdfWriter writer(pdf);
    ListingPainter canvas(writer);
    EXPECT_EQ(ReferenceListings::print(a, options, canvas).totalPages(), 0);
    canvas.finish();
    EXPECT_FALSE(canvas.begun());
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ListingPdfTest, CommandLineWritesTheListingsForItsChoices)
{
    struct Case {
        QStringList options;
        int pages;
    } cases[] = {
        { { "--tables", "requirements,controls" }, 3 },
        { { "--tables", "requirements", "--sort", "division" }, 2 },
        { { "--tables", "requirements", "--sort", "division", "--division", "South" }, 1 },
        { { "--tables", "requirements", "--activity", "Run" }, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(QLatin1Char(' ')).toStdString());
        QFile::remove(pdf);
        QProcess p;
        p.start(QStringLiteral(QUARRIX_CLI),
            QStringList { QStringLiteral("--store"), path, QStringLiteral("listings"), pdf } + c.options);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        EXPECT_EQ(readPdf(pdf).pages, c.pages);
    }
}

// The command line's PDF replaces an earlier file only once it is whole: a
// run that prints nothing keeps it, and a temporary left by a killed run is
// cleared by the next write.
TEST_F(ListingPdfTest, CommandLineReplacesThePdfAsAWhole)
{
    const QString stale = dir.filePath(QStringLiteral(".listings.pdf.4194303.quarrix-tmp"));
    for (const QString& file : { pdf, stale }) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    const auto run = [&](const QStringList& options) {
        QProcess p;
        p.start(QStringLiteral(QUARRIX_CLI),
            QStringList { QStringLiteral("--store"), path, QStringLiteral("listings"), pdf } + options);
        EXPECT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    };
    run({ "--tables", "requirements", "--activity", "Run" });
    QFile kept(pdf);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("old"));
    kept.close();
    run({ "--tables", "requirements" });
    EXPECT_EQ(readPdf(pdf).pages, 2);
    EXPECT_EQ(
        QDir(dir.path()).entryList({ QStringLiteral("*quarrix-tmp") }, QDir::Files | QDir::Hidden), QStringList());
}

}
