#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

// Reads a saved .docx back the way a reader would: unzips the package and
// parses the WordprocessingML of the body, header and footer.
struct DocxRun {
    QString text; // tabs as '\t'; a page break as '\f'; a page number field as '#'
    QString font; // the run's own, else the document default
    double size = 0; // points: the run's own, else the document default
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QString color; // "RRGGBB", empty when not given
};

struct DocxParagraph {
    QString alignment; // w:jc value; "left" when not given
    int indent = 0; // left indent, twips
    std::vector<int> tabStops; // twips
    bool keepWithNext = false;
    std::vector<DocxRun> runs;
    QString text() const; // the runs' text joined
};

struct Docx {
    bool ok = false;
    QString error;
    QStringList partNames;
    std::vector<DocxParagraph> body;
    std::vector<DocxParagraph> header; // default header
    std::vector<DocxParagraph> footer; // default footer
    std::vector<DocxParagraph> firstHeader; // first-page header, when the document has one
    std::vector<DocxParagraph> firstFooter; // first-page footer, when the document has one
    bool landscape = false;
    bool titlePage = false;

    static Docx read(const QString& path);
    static QByteArray part(const QString& path, const QString& name); // raw bytes of one part

    // Paragraph texts joined with '\n', for reading a whole document at once.
    static QString text(const std::vector<DocxParagraph>& paragraphs);
    QString bodyText() const { return text(body); }
    // Index of the first body paragraph whose text equals `text`, from `from`; -1 if none.
    int find(const QString& text, int from = 0) const;
};
