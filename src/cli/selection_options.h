#pragma once

#include "reports/export_selection.h"

#include <QStringList>

struct CliContext;

// The options the export and the listings share: the Reports tab's filters.
namespace SelectionOptions {

// --division, --activity, --group and --tables.
const QStringList& common();

// Checks the arguments: one file name and known options, each with a value;
// anything else throws the command's usage.
QString fileArgument(const CliContext& c, const char* command, const char* usage, const QStringList& known);

// Refuses, before anything is written, a --division, --activity or --group
// the assessment does not have (the message lists the known ones).
void requireKnownFilters(const CliContext& c);
// Refuses an output file whose name does not end in one of the extensions
// (any letter case), e.g. { ".docx", ".pdf" }.
void requireExtension(const QString& file, const QStringList& extensions);

// The filters as the Reports tab would hold them; tables not named are not ticked.
ReportSelection selectionOf(const CliContext& c);

// The division filter set on Requirements and Drivers as the window's filter
// box would set it; returns the division. The attributes in use are derived
// in memory by the export and the listings themselves.
QString filterDivision(const CliContext& c);

}
