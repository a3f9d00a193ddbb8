#pragma once

#include <QString>
#include <memory>

class TypedDocument;

// The file a report is typed into: a .docx package. Raises QuarrixError when
// the folder cannot take the file, before anything is typed.
namespace ReportFile {
std::unique_ptr<TypedDocument> open(const QString& path);
}
