// The reports as PDF: the same typed document as the .docx, laid out on
// pages as a word processor lays out the .docx.
#include "report_test_support.h"
#include "support/process_run.h"

#include "office/pdf_document.h"
#include "office/pdf_font_tags.h"
#include "store/quarrix_error.h"

#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

namespace {

QString withoutBlanks(QString text)
{
    text.removeIf([](QChar c) { return c.isSpace(); });
    return text;
}

QString tool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

// The text of each page, as pdftotext lays it out.
QStringList pdfPages(const QString& pdf)
{
    const ProcessRun text = runProgram(tool("pdftotext"), { "-layout", pdf, "-" });
    EXPECT_EQ(text.status, 0) << text.err.toStdString();
    QStringList pages = text.out.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && withoutBlanks(pages.last()).isEmpty())
        pages.removeLast();
    return pages;
}

int pageCount(const QString& pdf)
{
    const ProcessRun info = runProgram(tool("pdfinfo"), { pdf });
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info.out);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

struct Word {
    QString text;
    int page; // from 1
    double left, right, top;
};

// Every word of the PDF with its box in points, as pdftotext finds it.
std::vector<Word> pdfWords(const QString& pdf)
{
    const ProcessRun boxes = runProgram(tool("pdftotext"), { "-bbox", pdf, "-" });
    EXPECT_EQ(boxes.status, 0) << boxes.err.toStdString();
    std::vector<Word> words;
    int page = 0;
    const QRegularExpression tag(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"[\\d.]+\">([^<]*)</word>"));
    for (auto it = tag.globalMatch(boxes.out); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page")))
            ++page;
        else
            words.push_back(
                { m.captured(4), page, m.captured(1).toDouble(), m.captured(3).toDouble(), m.captured(2).toDouble() });
    }
    return words;
}

const Word* findWord(const std::vector<Word>& words, const QString& text)
{
    for (const Word& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

bool hasTools()
{
    return !tool("pdftotext").isEmpty() && !tool("pdfinfo").isEmpty();
}

}

// Small documents typed straight into a PDF: where the words land is where
// a word processor puts them (margins of 54 points, tab stops from the left
// margin, a stop every 36 points after the last one set, indent steps of 36
// points, centred lines, a page break starting the next page).
TEST(PdfDocument, WordsLandWhereTheDocumentSetsThem)
{
    if (!hasTools())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath("layout.pdf");
    {
        PdfDocument doc(path);
        doc.setLandscape(true);
        doc.setHeaderText("Head\t\tSide");
        doc.addPageNumbers(TypedDocument::Centre, false);
        doc.setFontName("Times New Roman");
        doc.setFontSize(12);
        doc.addTabStop(100);
        doc.addTabStop(200);
        doc.typeText("Alpha\tBravo\tCharlie\tDelta\r\n");
        doc.clearTabStops();
        doc.indent();
        doc.typeText("Indented\r\n");
        doc.outdent();
        doc.setAlignment(TypedDocument::Centre);
        doc.typeText("Middle\r\n");
        doc.setAlignment(TypedDocument::Left);
        doc.insertPageBreak();
        doc.typeText("Turned");
        doc.finish();
        EXPECT_EQ(doc.pageCount(), 2);
    }
    const std::vector<Word> words = pdfWords(path);
    auto at = [&](const char* text) {
        const Word* w = findWord(words, QString::fromLatin1(text));
        EXPECT_TRUE(w) << text << " is missing";
        return w ? *w : Word { {}, 0, -1, -1, -1 };
    };
    const Word alpha = at("Alpha");
    EXPECT_NEAR(alpha.left, 54, 1);
    EXPECT_NEAR(at("Bravo").left, 54 + 100, 1);
    EXPECT_NEAR(at("Charlie").left, 54 + 200, 1);
    // Charlie ends before 252 points from the margin: Delta goes to the
    // default stop there.
    const Word charlie = at("Charlie");
    EXPECT_LT(charlie.right, 54 + 252);
    EXPECT_NEAR(at("Delta").left, 54 + 252, 1);
    EXPECT_NEAR(at("Indented").left, 54 + 36, 1);
    const Word middle = at("Middle");
    EXPECT_NEAR((middle.left + middle.right) / 2, 16838 / 40.0, 1); // a landscape A4 page is 842 points wide
    EXPECT_NEAR(at("Side").left, 54 + 72, 1); // two default stops in the header
    EXPECT_EQ(alpha.page, 1);
    EXPECT_LT(at("Head").top, alpha.top);
    const Word turned = at("Turned");
    EXPECT_EQ(turned.page, 2);
    EXPECT_NEAR(turned.top, alpha.top, 1); // the break leaves no empty line on the new page
    // Page numbers from the second page on.
    const Word* number = findWord(words, "2");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->page, 2);
    EXPECT_FALSE(findWord(words, "1"));
}

// A heading kept with the paragraph after it moves to the next page with it
// rather than end a page; without the setting it stays where it falls. A
// picture floats at the right margin and the text beside it is set narrower.
TEST(PdfDocument, KeptHeadingsMoveWithTheirTextAndPicturesFloatRight)
{
    if (!hasTools())
        GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    auto write = [&](int lines, bool keep) {
        const QString path = dir.filePath(QStringLiteral("keep%1%2.pdf").arg(lines).arg(keep));
        PdfDocument doc(path);
        for (int i = 1; i <= lines; ++i)
            doc.typeText(QStringLiteral("line%1\r\n").arg(i));
        doc.setKeepWithNext(keep);
        doc.typeText("Heading\r\n");
        doc.setKeepWithNext(false);
        doc.typeText("Body");
        doc.finish();
        return pdfWords(path);
    };
    // How many lines fill the first page.
    const std::vector<Word> full = write(80, false);
    int perPage = 0;
    for (int i = 1; i <= 80; ++i)
        if (const Word* w = findWord(full, QStringLiteral("line%1").arg(i)); w && w->page == 1)
            perPage = i;
    ASSERT_GT(perPage, 10);
    // The heading would be the last line of page 1.
    const std::vector<Word> loose = write(perPage - 1, false);
    EXPECT_EQ(findWord(loose, "Heading")->page, 1);
    EXPECT_EQ(findWord(loose, "Body")->page, 2);
    const std::vector<Word> kept = write(perPage - 1, true);
    EXPECT_EQ(findWord(kept, "Heading")->page, 2);
    EXPECT_EQ(findWord(kept, "Body")->page, 2);

    struct Box : TypedDocument::Picture {
        QSizeF size() const override { return { 200, 100 }; }
        QString description() const override { return QStringLiteral("a box"); }
        void draw(QPainter& painter, const QRectF& target) const override { painter.fillRect(target, Qt::gray); }
    };
    const QString path = dir.filePath("picture.pdf");
    {
        PdfDocument doc(path);
        doc.setLandscape(true);
        doc.typeText("Title");
        doc.insertPicture(std::make_shared<Box>());
        doc.typeText("\r\n");
        QString text;
        for (int i = 0; i < 600; ++i)
            text += QStringLiteral("w%1 ").arg(i);
        doc.typeText(text);
        doc.finish();
    }
    const std::vector<Word> words = pdfWords(path);
    const double pictureLeft = 842 - 54 - 200 - 9; // right margin, picture, gap
    const double pictureFoot = findWord(words, "Title")->top + 100;
    double widestBeside = 0, widestBelow = 0;
    for (const Word& w : words)
        (w.top < pictureFoot - 1 ? widestBeside : widestBelow)
            = std::max(w.top < pictureFoot - 1 ? widestBeside : widestBelow, w.right);
    EXPECT_LE(widestBeside, pictureLeft + 1);
    EXPECT_GT(widestBelow, pictureLeft + 50);
}

// Bold, italic and the word processor's colour values reach the page.
TEST(PdfDocument, BannersAreBoldItalicAndBlue)
{
    const QString pdftoppm = tool("pdftoppm");
    const QString pdffonts = tool("pdffonts");
    if (pdftoppm.isEmpty() || pdffonts.isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    QTemporaryDir dir;
    const QString path = dir.filePath("banner.pdf");
    {
        PdfDocument doc(path);
        doc.setFontSize(28);
        doc.setBold(true);
        doc.setItalic(true);
        doc.setColor(16711680);
        doc.typeText(rule(40) + "\r\nBanner\r\n" + rule(40));
        doc.finish();
    }
    const ProcessRun fonts = runProgram(pdffonts, { path });
    EXPECT_TRUE(fonts.out.contains("BoldItalic")) << fonts.out.toStdString();
    ASSERT_EQ(runProgram(pdftoppm, { "-png", "-r", "30", "-singlefile", path, dir.filePath("page") }).status, 0);
    const QImage page(dir.filePath("page.png"));
    ASSERT_FALSE(page.isNull());
    int blue = 0, other = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.blue() > 150 && c.red() < 120 && c.green() < 120)
                ++blue;
            else if (std::max({ c.red(), c.green(), c.blue() }) < 100)
                ++other; // black or dark grey
        }
    EXPECT_GT(blue, 50);
    EXPECT_EQ(other, 0);
}

// Both reports written as PDF by the command line read as the .docx of the
// same run: every page carries the header, then a part of the body, then the
// footer with its page number (none on the first page), and the body parts
// together are the .docx's body. A word processor converting the .docx
// needs as many pages, give or take a few.
TEST_F(ReportStoreTest, PdfReportsReadAsTheDocxOfTheSameRun)
{
    const QString office = tool("libreoffice");
    if (!hasTools() || office.isEmpty())
        GTEST_SKIP() << "pdftotext or libreoffice is not installed";
    // Enough requirements to fill pages and make them overflow.
    for (int i = 0; i < 120; ++i)
        addRow(a.requirements(),
            { { "RSeq", QStringLiteral("BR7.%1").arg(i, 3, 10, QLatin1Char('0')) },
                { "Requirement", QStringLiteral("Requirement number %1 keeps the harbour open").arg(i) },
                { "Division", i % 2 ? "North" : "South" }, { "Source", "Board minutes\r\nAudit report" },
                { "Activity", "Audit" } });

    const struct {
        const char* command;
        QStringList options;
    } reports[] = {
        { "report", {} },
        { "report", { "--activity", "Audit", "--division", "North" } },
        { "taxonomy-report", { "--group", "User" } },
    };
    for (const auto& r : reports) {
        const QString name = QString::fromLatin1(r.command) + r.options.join(QString());
        SCOPED_TRACE(name.toStdString());
        const QString docx = dir.filePath(name + ".docx");
        const QString pdf = dir.filePath(name + ".pdf");
        for (const QString& file : { docx, pdf }) {
            const ProcessRun run = runCli(QStringList { "--store", path, r.command, file } + r.options);
            ASSERT_EQ(run.status, 0) << run.err.toStdString();
            EXPECT_EQ(run.out, file + " saved\n");
        }
        const Docx d = Docx::read(docx);
        ASSERT_TRUE(d.ok) << d.error.toStdString();

        const QStringList pages = pdfPages(pdf);
        ASSERT_GT(pages.size(), 3);
        QString body;
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const QString number = QString::number(i + 1);
            const QString header = withoutBlanks(Docx::text(i == 0 ? d.firstHeader : d.header));
            const QString footer
                = withoutBlanks(Docx::text(i == 0 ? d.firstFooter : d.footer)).replace(QLatin1Char('#'), number);
            const QString page = withoutBlanks(pages[i]);
            ASSERT_TRUE(page.startsWith(header)) << "page " << number.toStdString() << ":\n" << pages[i].toStdString();
            ASSERT_TRUE(page.endsWith(footer)) << "page " << number.toStdString() << ":\n" << pages[i].toStdString();
            body += page.mid(header.size(), page.size() - header.size() - footer.size());
        }
        EXPECT_EQ(body, withoutBlanks(d.bodyText().remove(QLatin1Char('\f'))));

        const QString profile = QUrl::fromLocalFile(dir.filePath("lo-profile")).toString();
        const QString converted = dir.filePath("lo");
        const ProcessRun convert = runProgram(office,
            { "-env:UserInstallation=" + profile, "--headless", "--convert-to", "pdf", "--outdir", converted, docx },
            180000);
        ASSERT_EQ(convert.status, 0) << convert.err.toStdString();
        const int expected = pageCount(converted + "/" + name + ".pdf");
        ASSERT_GT(expected, 0);
        EXPECT_LE(std::abs(int(pages.size()) - expected), 1)
            << pages.size() << " pages, the word processor made " << expected;
    }
}

// The PDF names its fonts as the subsets they are, and says its title and
// author, as the .docx does; the tags added leave the file whole.
TEST_F(ReportStoreTest, PdfFontsAreSubsetsAndTitleAndAuthorAreSet)
{
    if (tool("pdfinfo").isEmpty() || tool("pdffonts").isEmpty())
        GTEST_SKIP() << "poppler-utils are not installed";
    ReportDetailsStore::write(a.store(), { "Jo Analyst", {}, {}, {}, ReportDetailsStore::defaultDisclaimer() });
    const QString pdf = dir.filePath("report.pdf");
    QuarrixReport::write(a, pdf, {});

    const ProcessRun fonts = runProgram(tool("pdffonts"), { pdf });
    ASSERT_EQ(fonts.status, 0) << fonts.err.toStdString();
    EXPECT_EQ(fonts.err, "");
    const QStringList lines = fonts.out.split('\n', Qt::SkipEmptyParts).mid(2);
    ASSERT_FALSE(lines.isEmpty());
    const QRegularExpression subset(QStringLiteral("^[A-Z]{6}\\+\\S+\\s.*\\byes\\s+yes\\s+yes\\b"));
    for (const QString& line : lines)
        EXPECT_TRUE(subset.match(line).hasMatch()) << line.toStdString();

    const ProcessRun info = runProgram(tool("pdfinfo"), { pdf });
    ASSERT_EQ(info.status, 0) << info.err.toStdString();
    EXPECT_EQ(info.err, "");
    EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Title:\\s+Quarrix Report: Harbour review\\n"))))
        << info.out.toStdString();
    EXPECT_TRUE(info.out.contains(QRegularExpression(QStringLiteral("Author:\\s+Jo Analyst\\n"))));
    EXPECT_GT(pdfPages(pdf).size(), 5); // every page still reads

    const QString docx = dir.filePath("report.docx");
    QuarrixReport::write(a, docx, {});
    const QByteArray core = Docx::part(docx, "docProps/core.xml");
    EXPECT_TRUE(core.contains("<dc:title>Quarrix Report: Harbour review</dc:title>"));
    EXPECT_TRUE(core.contains("<dc:creator>Jo Analyst</dc:creator>"));
}

// The font tags are added however the writer cuts its output into writes,
// and every offset of the cross-reference table still points at its object.
TEST(PdfFontTags, BaseFontTakesTheFontNamesTagAndOffsetsFollow)
{
    QByteArray pdf("%PDF-1.4\n");
    std::vector<qsizetype> at;
    for (const char* object : { "<< /FontName /ABCDEF+Serif-Bold >>", "<< /BaseFont /Serif-Bold /X 1 >>",
             "<< /BaseFont /Other >>", "<< /DescendantFonts [3 0 R] /BaseFont /Serif-Bold>>" }) {
        at.push_back(pdf.size());
        pdf += QByteArray::number(qsizetype(at.size())) + " 0 obj\n" + object + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (qsizetype offset : at)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";

    for (const qsizetype piece : { pdf.size(), qsizetype(1), qsizetype(7) }) {
        SCOPED_TRACE(piece);
        QByteArray out;
        PdfFontTags tags([&](QByteArrayView bytes) { out += bytes; });
        for (qsizetype i = 0; i < pdf.size(); i += piece)
            tags.write(QByteArrayView(pdf).sliced(i, std::min(piece, pdf.size() - i)));
        tags.finish();
        EXPECT_EQ(out.count("/BaseFont /ABCDEF+Serif-Bold"), 2);
        EXPECT_TRUE(out.contains("/BaseFont /Other >>")); // no FontName to take a tag from
        const qsizetype table = out.indexOf("\nxref\n") + 1;
        EXPECT_TRUE(out.contains("startxref\n" + QByteArray::number(table) + "\n%%EOF"));
        const QList<QByteArray> lines = out.mid(table).split('\n');
        for (int object = 1; object <= 4; ++object) {
            const qsizetype offset = lines.at(2 + object).left(10).toLongLong();
            EXPECT_TRUE(out.mid(offset).startsWith(QByteArray::number(object) + " 0 obj")) << object;
        }
    }
}
