#pragma once

#include "office/typed_document.h"

#include <memory>

// A typed document saved as a .docx (WordprocessingML) package. The body is
// written into the package as it is typed: each paragraph goes out, as XML
// compressed into the zip, when it ends, so memory stays flat however long
// the document grows.
//
// The package is written to a temporary file beside the target and renamed
// over the target by finish(); a failure or a document destroyed unfinished
// leaves any earlier file of that name as it was and no stray file.
class WordDocument : public TypedDocument {
public:
    // Raises QuarrixError when the folder cannot take the file.
    explicit WordDocument(const QString& path);
    ~WordDocument() override;

protected:
    void writeParagraph(const Paragraph& paragraph) override;
    void writeEnd() override;

private:
    struct Output;
    std::unique_ptr<Output> m_out;
};
