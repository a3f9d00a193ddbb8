#pragma once

#include "compare/change_model.h"

#include <QDate>
#include <QString>

class TypedDocument;

// The change report between two assessments, in the look of the Quarrix
// report: a title page naming both assessments with their dates, a summary
// of the counts per kind with the gaps opened and closed, then a section for
// each kind that changed, its records added, removed and changed; a changed
// text shows the words removed (red, italic) and added (blue, underlined).
namespace ChangeReportDocument {
// date: the page header's date; today when not valid.
void type(const ChangeReport& report, TypedDocument& doc, const QDate& date = {});
// A .docx, or a PDF when the path ends in .pdf; on any error no file is
// written or replaced.
void write(const ChangeReport& report, const QString& path, const QDate& date = {});
}
