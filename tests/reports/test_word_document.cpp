// The .docx writer, read back through the package as a word processor would.
#include "docx_reader.h"

#include "office/word_document.h"
#include "store/quarrix_error.h"
#include "support/qt_printers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <zip.h>

namespace {

// Types a document, saves it and reads it back.
Docx typeAndRead(const std::function<void(TypedDocument&)>& typing, QTemporaryDir& dir, const char* name = "doc.docx")
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    WordDocument doc(path);
    typing(doc);
    doc.finish();
    Docx d = Docx::read(path);
    EXPECT_TRUE(d.ok) << d.error.toStdString();
    return d;
}

QStringList texts(const std::vector<DocxParagraph>& paragraphs)
{
    QStringList out;
    for (const DocxParagraph& p : paragraphs)
        out << p.text();
    return out;
}

}

TEST(WordDocument, LineEndsTabsAndPageBreaksMakeParagraphs)
{
    struct Case {
        const char* name;
        std::function<void(TypedDocument&)> typing;
        QStringList paragraphs;
    } cases[] = {
        { "CR LF is one end", [](TypedDocument& d) { d.typeText("a\r\nb"); }, { "a", "b" } },
        { "lone CR and lone LF each end one", [](TypedDocument& d) { d.typeText("a\rb\nc"); }, { "a", "b", "c" } },
        { "CR LF then LF", [](TypedDocument& d) { d.typeText("a\r\n\nb"); }, { "a", "", "b" } },
        { "LF then CR is two ends", [](TypedDocument& d) { d.typeText("a\n\rb"); }, { "a", "", "b" } },
        { "CR LF split across calls",
            [](TypedDocument& d) {
                d.typeText("a\r");
                d.typeText("\nb");
            },
            { "a", "", "b" } },
        { "tabs and blanks kept", [](TypedDocument& d) { d.typeText(" \tx  \t"); }, { " \tx  \t" } },
        { "text continues the paragraph",
            [](TypedDocument& d) {
                d.typeText("ab");
                d.typeText("cd\r\ne");
            },
            { "abcd", "e" } },
        { "type paragraph",
            [](TypedDocument& d) {
                d.typeText("a");
                d.typeParagraph();
                d.typeParagraph();
                d.typeText("b");
            },
            { "a", "", "b" } },
        // so they cannot spill onto a blank last page
        { "empty paragraphs at the end are dropped",
            [](TypedDocument& d) {
                d.typeText("a\r\n\r\n");
                d.typeParagraph();
            },
            { "a" } },
        { "page break ends the paragraph",
            [](TypedDocument& d) {
                d.typeText("a");
                d.insertPageBreak();
                d.typeText("b");
            },
            { "a\f", "b" } },
        { "nothing typed", [](TypedDocument&) {}, { "" } },
    };
    QTemporaryDir dir;
    for (const Case& c : cases)
        EXPECT_EQ(texts(typeAndRead(c.typing, dir).body), c.paragraphs) << c.name;
}

TEST(WordDocument, CharacterFormattingAppliesToWhatFollowsAndSameFormatIsOneRun)
{
    QTemporaryDir dir;
    const Docx d = typeAndRead(
        [](TypedDocument& doc) {
            doc.setFontName("Times New Roman");
            doc.setFontSize(11);
            doc.typeText("plain ");
            doc.setBold(true);
            doc.typeText("bold");
            doc.typeText(" still\tbold"); // same formatting: same run, tab inside it
            doc.setItalic(true);
            doc.setColor(16711680);
            doc.setItalic(false); // changed and changed back before typing: no run of its own
            doc.typeText("blue");
            doc.setBold(false);
            doc.setColor(0);
            doc.setUnderline(true);
            doc.setFontSize(14);
            doc.typeText("big");
            doc.setColor(255);
            doc.typeText("red");
        },
        dir);
    ASSERT_EQ(d.body.size(), 1u);
    const auto& runs = d.body[0].runs;
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[0].text, "plain ");
    EXPECT_EQ(runs[0].font, "Times New Roman");
    EXPECT_EQ(runs[0].size, 11);
    EXPECT_FALSE(runs[0].bold);
    EXPECT_EQ(runs[1].text, "bold still\tbold");
    EXPECT_TRUE(runs[1].bold);
    EXPECT_EQ(runs[1].color, "");
    EXPECT_EQ(runs[2].text, "blue");
    EXPECT_TRUE(runs[2].bold);
    EXPECT_FALSE(runs[2].italic);
    EXPECT_EQ(runs[2].color, "0000FF");
    EXPECT_EQ(runs[3].text, "big");
    EXPECT_FALSE(runs[3].bold);
    EXPECT_TRUE(runs[3].underline);
    EXPECT_EQ(runs[3].size, 14);
    EXPECT_EQ(runs[3].color, "");
    EXPECT_EQ(runs[4].color, "FF0000");
}

TEST(WordDocument, ParagraphSettingsApplyFromTheCurrentParagraphOn)
{
    QTemporaryDir dir;
    const Docx d = typeAndRead(
        [](TypedDocument& doc) {
            doc.typeText("before\r\n");
            doc.setAlignment(TypedDocument::Centre);
            doc.addTabStop(100);
            doc.addTabStop(20);
            doc.addTabStop(100); // twice: one stop
            doc.typeText("centred");
            doc.typeParagraph();
            doc.indent();
            doc.indent();
            doc.outdent();
            doc.typeText("indented\r\n");
            doc.clearTabStops();
            doc.setAlignment(TypedDocument::Left);
            doc.outdent();
            doc.outdent(); // not below the margin
            doc.typeText("left");
        },
        dir);
    ASSERT_EQ(texts(d.body), (QStringList { "before", "centred", "indented", "left" }));
    EXPECT_EQ(d.body[0].alignment, "left");
    EXPECT_TRUE(d.body[0].tabStops.empty());
    EXPECT_EQ(d.body[1].alignment, "center");
    EXPECT_EQ(d.body[1].tabStops, (std::vector<int> { 400, 2000 }));
    EXPECT_EQ(d.body[1].indent, 0);
    EXPECT_EQ(d.body[2].alignment, "center");
    EXPECT_EQ(d.body[2].tabStops, (std::vector<int> { 400, 2000 }));
    EXPECT_EQ(d.body[2].indent, WordDocument::kIndentStep);
    EXPECT_EQ(d.body[3].alignment, "left");
    EXPECT_TRUE(d.body[3].tabStops.empty());
    EXPECT_EQ(d.body[3].indent, 0);
}

TEST(WordDocument, HeaderFooterPageNumbersAndLandscape)
{
    QTemporaryDir dir;
    const Docx d = typeAndRead(
        [](TypedDocument& doc) {
            doc.setLandscape(true);
            doc.setHeaderText("Title\t\t12/10/26");
            doc.insertAfterHeader("\r\n___\r\n\n");
            doc.addPageNumbers(TypedDocument::Centre, false);
            doc.insertBeforeFooter("\r\n___\r\n\n");
            doc.setFooterAlignment(TypedDocument::Centre);
            doc.typeText("body");
        },
        dir);
    EXPECT_TRUE(d.landscape);
    EXPECT_EQ(texts(d.header), (QStringList { "Title\t\t12/10/26", "___", "", "" }));
    EXPECT_EQ(texts(d.footer), (QStringList { "", "___", "", "#" }));
    for (const DocxParagraph& p : d.footer)
        EXPECT_EQ(p.alignment, "center");
    // No number on the first page, but its footer text is there.
    EXPECT_TRUE(d.titlePage);
    EXPECT_EQ(texts(d.firstFooter), (QStringList { "", "___", "", "" }));

    const Docx p = typeAndRead(
        [](TypedDocument& plain) { plain.addPageNumbers(TypedDocument::Centre, true); }, dir, "plain.docx");
    EXPECT_FALSE(p.landscape);
    EXPECT_FALSE(p.titlePage);
    EXPECT_EQ(texts(p.footer), (QStringList { "#" }));
    EXPECT_TRUE(p.header.empty());
}

TEST(WordDocument, TextIsEscapedNotPasted)
{
    const QString nasty = QStringLiteral("<w:p>&amp; \"quoted\" 'single' ]]> \u00e9\u4e2d\U0001F600");
    QTemporaryDir dir;
    const Docx d = typeAndRead(
        [&](TypedDocument& doc) {
            doc.setFontName(QStringLiteral("Font \"<&>\""));
            doc.typeText(nasty);
            doc.typeText(QStringLiteral("bell\x07") + QChar(0xD800) + QStringLiteral("end"));
            doc.setHeaderText(nasty);
        },
        dir);
    ASSERT_EQ(d.body.size(), 1u);
    ASSERT_EQ(d.body[0].runs.size(), 1u);
    EXPECT_EQ(d.body[0].runs[0].text, nasty + QStringLiteral("bell\uFFFD\uFFFDend"));
    EXPECT_EQ(d.body[0].runs[0].font, QStringLiteral("Font \"<&>\""));
    EXPECT_EQ(texts(d.header), QStringList { nasty });
}

// A document many times larger than the blocks it is compressed and written
// in comes back whole, and the package's directory agrees with its entries.
TEST(WordDocument, LongDocumentsComeBackWhole)
{
    constexpr int count = 20000;
    QTemporaryDir dir;
    const Docx d = typeAndRead(
        [](TypedDocument& doc) {
            for (int i = 0; i < count; ++i) {
                doc.setBold(i % 3 == 0);
                doc.typeText(QStringLiteral("Paragraph %1\t\u00e9\U0001F600 <&>\r\n").arg(i));
            }
        },
        dir);
    ASSERT_EQ(d.body.size(), size_t(count)); // the empty last paragraph is dropped
    for (int i : { 0, 1, 4097, count - 1 }) {
        EXPECT_EQ(d.body[size_t(i)].text(), QStringLiteral("Paragraph %1\t\u00e9\U0001F600 <&>").arg(i));
        EXPECT_EQ(d.body[size_t(i)].runs.at(0).bold, i % 3 == 0);
    }
    int error = 0;
    zip_t* archive
        = zip_open(QFile::encodeName(dir.filePath("doc.docx")).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    EXPECT_TRUE(archive) << "zip error " << error;
    if (archive)
        zip_discard(archive);
}
