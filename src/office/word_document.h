#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// A word-processor document typed at one insertion point, as the reports
// drive it, saved as a .docx (WordprocessingML) package.
//
// Typing rules:
// - a carriage return followed by a line feed ends one paragraph; a lone
//   carriage return or a lone line feed each end one paragraph;
// - a tab is a tab;
// - character formatting (font, size, bold, italic, underline, colour)
//   applies to what is typed after it is set;
// - paragraph settings (alignment, indent, tab stops) apply to the current
//   paragraph and to every paragraph started after it;
// - consecutive text with the same formatting is kept as one run.
//
// Colours are given as the word processor's colour values: red in the low
// byte, then green, then blue (16711680 is blue, 0 is black).
class WordDocument {
public:
    enum Alignment { Left = 0, Centre = 1, Right = 2, Justify = 3 };

    struct CharFormat {
        QString fontName;
        double fontSize = 0; // points; 0 leaves the document default
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int color = 0;
        bool operator==(const CharFormat&) const = default;
    };

    struct ParagraphFormat {
        int alignment = Left;
        int indentSteps = 0; // one step is kIndentStep twips
        std::vector<int> tabStops; // left tab stops, twips, ascending
        bool operator==(const ParagraphFormat&) const = default;
    };

    static constexpr int kIndentStep = 720; // twips (half an inch)

    WordDocument();

    // Character formatting of what is typed next.
    void setFontName(const QString& name);
    void setFontSize(double points);
    void setBold(bool on);
    void setItalic(bool on);
    void setUnderline(bool on);
    void setColor(int wordColor);
    const CharFormat& charFormat() const { return m_format; }

    // Paragraph settings, from the current paragraph on.
    void setAlignment(int alignment);
    void indent();
    void outdent();
    void clearTabStops();
    void addTabStop(double points);

    // Typing at the insertion point.
    void typeText(const QString& text);
    void typeParagraph();
    void insertPageBreak(); // what follows starts on a new page

    // Page set-up.
    void setLandscape(bool on) { m_landscape = on; }

    // Page header: replaces its text, then appends to it. Same typing rules.
    void setHeaderText(const QString& text);
    void insertAfterHeader(const QString& text);
    // Page numbers in the footer, aligned as given; with firstPage false the
    // first page shows the header and footer text but no number.
    void addPageNumbers(int alignment, bool firstPage);
    // Footer text placed before the page number.
    void insertBeforeFooter(const QString& text);
    void setFooterAlignment(int alignment);

    // The package as bytes, and written to a file. save() writes a temporary
    // file beside the target and renames it over the target only when it is
    // complete, so a failure never leaves a partial document in its place.
    // Raises QuarrixError naming the file and the system's reason.
    QByteArray toDocx() const;
    void save(const QString& path) const;

private:
    struct Run {
        enum Kind { Text, PageBreak, PageNumber };
        Kind kind = Text;
        CharFormat format;
        QString text; // tabs kept as '\t'
    };
    struct Paragraph {
        ParagraphFormat format;
        CharFormat markFormat; // formatting in force where the paragraph ended
        std::vector<Run> runs;
    };
    struct Story {
        std::vector<Paragraph> paragraphs;
    };

    void type(Story& story, const QString& text, const CharFormat& format);
    Paragraph& current() { return m_body.paragraphs.back(); }
    void endParagraph(Story& story);
    static void appendText(Paragraph& p, const CharFormat& format, const QString& text);

    QByteArray documentXml() const;
    QByteArray storyXml(const char* root, const Story& story, bool withPageNumber) const;
    static void writeParagraphs(class QXmlStreamWriter& w, const Story& story);

    CharFormat m_format;
    Story m_body;
    Story m_header;
    Story m_footerText;
    bool m_pageNumbers = false;
    bool m_numberFirstPage = true;
    bool m_landscape = false;
};
