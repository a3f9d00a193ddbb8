#include "reports/report_file.h"

#include "office/word_document.h"

namespace ReportFile {

std::unique_ptr<TypedDocument> open(const QString& path)
{
    return std::make_unique<WordDocument>(path);
}

}
