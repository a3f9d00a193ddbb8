#pragma once

#include <QDate>
#include <QString>

class Assessment;
class TypedDocument;

// The custom attribute taxonomy report: title page, company details, the
// analyst's commentary and disclaimer, the matrix of the attributes in use by
// group and the attribute descriptions with the drivers that carry them (see
// CarriedAttributes).
//
// Which attributes are in use is derived in memory for the division filter
// (AttributesInUse); the report changes nothing in the store.
struct TaxonomyReportOptions {
    QString division = QStringLiteral("All"); // the division filter in force
    QString group = QStringLiteral("All"); // "All", or the group the descriptions are limited to
    QDate date; // page header date; today when not valid
};

namespace TaxonomyReport {
// The matrix shows at most this many groups side by side; more groups go
// into further blocks below.
constexpr int kMatrixColumns = 7;
void type(Assessment& assessment, TypedDocument& doc, const TaxonomyReportOptions& options);
// Types the report into a .docx, or a PDF when the path ends in .pdf; on any
// error no file is written or replaced.
void write(Assessment& assessment, const QString& path, const TaxonomyReportOptions& options);
}
