#pragma once

#include <QString>
#include <memory>

class TypedDocument;

// The file a report is typed into, by the name's suffix: a PDF for ".pdf"
// (any letter case), a .docx package otherwise. Raises QuarrixError when the
// folder cannot take the file, before anything is typed.
namespace ReportFile {
bool isPdf(const QString& path);
std::unique_ptr<TypedDocument> open(const QString& path);
}
