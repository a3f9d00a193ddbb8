#pragma once

#include <QDate>
#include <QString>
#include <functional>

class Assessment;
class TypedDocument;

// The Quarrix report: title page, contents, company details, analysis,
// requirements by division, business drivers, attributes to drivers, driver
// controls, the control-to-driver trace and the attribute profiles.
//
// The report walks Requirements and Drivers as the division filter has
// restricted them and derives the attributes in use for that division and
// the control-to-driver trace in memory: it writes nothing to the store.
// Sections 5 to 7 trace each attribute in use to the drivers that carry it
// (CarriedAttributes), so profiles of business attributes reach the security
// attributes and controls derived from them. Afterwards Requirements and
// Drivers are in key order at their first record, DrAtt has no filter and
// Attribute is in key order, unfiltered, at its first record.
struct QuarrixReportOptions {
    QString division = QStringLiteral("All"); // the division filter in force
    QString activity = QStringLiteral("All"); // "All", or the activity the report is limited to
    QDate date; // page header date; today when not valid
    std::function<void(int)> progress; // 1, 10, 25, 40, 65, 80, 90, 100
};

namespace QuarrixReport {
// Types the report into doc. Raises QuarrixError on a store error.
void type(Assessment& assessment, TypedDocument& doc, const QuarrixReportOptions& options);
// Types the report into a .docx, or a PDF when the path ends in .pdf; on any
// error no file is written or replaced.
void write(Assessment& assessment, const QString& path, const QuarrixReportOptions& options);
}
