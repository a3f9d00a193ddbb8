#include "reports/report_file.h"

#include "office/pdf_document.h"
#include "office/word_document.h"

namespace ReportFile {

bool isPdf(const QString& path)
{
    return path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
}

std::unique_ptr<TypedDocument> open(const QString& path)
{
    if (isPdf(path))
        return std::make_unique<PdfDocument>(path);
    return std::make_unique<WordDocument>(path);
}

}
