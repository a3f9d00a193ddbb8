#pragma once

#include <QSizeF>
#include <QString>
#include <memory>
#include <vector>

class QPainter;
class QRectF;

// A document typed at one insertion point, as the reports drive a word
// processor. This class keeps what is being typed; a back-end (the .docx
// writer, the PDF painter) receives each body paragraph as soon as it has
// ended, so no back-end has to hold the whole document.
//
// Typing rules:
// - a carriage return followed by a line feed ends one paragraph; a lone
//   carriage return or a lone line feed each end one paragraph;
// - a tab is a tab;
// - character formatting (font, size, bold, italic, underline, colour)
//   applies to what is typed after it is set;
// - paragraph settings (alignment, indent, tab stops) apply to the current
//   paragraph and to every paragraph started after it;
// - consecutive text with the same formatting is kept as one run;
// - empty paragraphs at the end of the document are dropped.
//
// Page set-up (orientation, header, footer, page numbers) is done before the
// body is typed: a back-end that lays out pages as it goes takes it as it is
// when the first page starts.
//
// Colours are given as the word processor's colour values: red in the low
// byte, then green, then blue (16711680 is blue, 0 is black).
//
// A picture is drawn by the program: the PDF draws it on the page, the .docx
// holds it as an image. It floats at the right margin, its top level with
// the top of the paragraph it is inserted in, and text flows down its left.
class TypedDocument {
public:
    enum Alignment { Left = 0, Centre = 1, Right = 2, Justify = 3 };

    struct CharFormat {
        QString fontName; // empty leaves the document default
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
        std::vector<int> tabStops; // left tab stops, twips from the left margin, ascending
        bool keepWithNext = false; // on the same page as the paragraph after it
        bool operator==(const ParagraphFormat&) const = default;
    };

    class Picture {
    public:
        virtual ~Picture();
        virtual QSizeF size() const = 0; // points
        virtual QString description() const = 0; // what the picture shows, for readers that cannot see it
        virtual void draw(QPainter& painter, const QRectF& target) const = 0;
    };

    struct Run {
        enum Kind { Text, PageBreak, PageNumber, Picture };
        Kind kind = Text;
        CharFormat format;
        QString text; // tabs kept as '\t'
        std::shared_ptr<const TypedDocument::Picture> picture = {}; // of a Picture run
    };

    struct Paragraph {
        ParagraphFormat format;
        CharFormat markFormat; // formatting in force where the paragraph ended
        std::vector<Run> runs;
    };
    using Story = std::vector<Paragraph>;

    static constexpr int kIndentStep = 720; // twips (half an inch)
    static constexpr int kDefaultTabStop = 720; // twips between the stops after the last set one
    static constexpr double kDefaultFontSize = 12; // points
    static QString defaultFontName();

    virtual ~TypedDocument();
    TypedDocument(const TypedDocument&) = delete;
    TypedDocument& operator=(const TypedDocument&) = delete;

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
    void setKeepWithNext(bool on);

    // Typing at the insertion point.
    void typeText(const QString& text);
    void typeParagraph();
    void insertPageBreak(); // what follows starts on a new page
    void insertPicture(std::shared_ptr<const Picture> picture);

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
    // The first page (a title page) shows neither header nor footer.
    void setFirstPageBare(bool on) { m_firstPageBare = on; }

    // The document's title and author, as file properties.
    void setProperties(const QString& title, const QString& author);

    // Ends the document and puts the finished file in place of any file of
    // that name. Until then the target is untouched; a document destroyed
    // unfinished (an error while typing) leaves no file behind. Raises
    // QuarrixError naming the file and the reason when it cannot be written.
    void finish();

protected:
    TypedDocument();

    bool landscape() const { return m_landscape; }
    const Story& header() const { return m_header; }
    // The footer of numbered pages, and of the first page (no number there
    // when numbering starts on the second page).
    const Story& footer() const { return m_footer; }
    Story firstPageHeader() const;
    Story firstPageFooter() const;
    // The first page has a header and footer of its own.
    bool firstPageDiffers() const { return m_firstPageBare || (m_pageNumbers && !m_numberFirstPage); }
    const QString& title() const { return m_title; }
    const QString& author() const { return m_author; }

    // A body paragraph that has ended; called once for each, in order.
    virtual void writeParagraph(const Paragraph& paragraph) = 0;
    // After the last paragraph: complete and commit the file.
    virtual void writeEnd() = 0;

private:
    Paragraph& current() { return m_current; }
    void endBodyParagraph();
    // Hands an ended paragraph to the back-end; empty ones wait until text
    // follows them.
    void passOn(const Paragraph& paragraph);

    CharFormat m_format;
    Paragraph m_current;
    qint64 m_paragraphs = 0; // ended so far, for the progress shown
    Story m_header;
    Story m_footer;
    bool m_pageNumbers = false;
    bool m_numberFirstPage = true;
    bool m_landscape = false;
    bool m_firstPageBare = false;
    bool m_finished = false;
    std::vector<Paragraph> m_heldEmpty; // empty paragraphs not yet passed on
    bool m_passedOn = false; // a paragraph with text was passed on
    QString m_title;
    QString m_author;
};
