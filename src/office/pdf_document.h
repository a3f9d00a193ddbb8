#pragma once

#include "office/typed_document.h"

#include <memory>

// A typed document laid out on pages and drawn into a PDF file as it is
// typed, the way a word processor lays out the same document saved as .docx:
// A4 pages with the .docx writer's margins, the header at the top and the
// footer with the page number at the bottom of every page, single-spaced
// lines, left tab stops (then a stop every half inch), indents, alignment,
// fonts, bold, italic, underline, colours and page breaks. Each paragraph is
// drawn when it ends, so only the page being drawn is held.
//
// Like the .docx writer it writes a temporary file beside the target and
// renames it over the target only when the document is complete.
//
// Needs a QGuiApplication (fonts), not a display.
class PdfDocument : public TypedDocument {
public:
    // Raises QuarrixError when the folder cannot take the file.
    explicit PdfDocument(const QString& path);
    ~PdfDocument() override;

    int pageCount() const;

protected:
    void writeParagraph(const Paragraph& paragraph) override;
    void writeEnd() override;

private:
    class Pages;
    std::unique_ptr<Pages> m_pages;
};
