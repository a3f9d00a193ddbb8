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

// A fresh process has no derivation to rely on: the division filter is set
// and the attributes in use derived for it, as showing the tabs would do.
void prepare(const CliContext& c);

// The two halves of prepare(): the division filter set (returning the
// division), and the attributes in use derived for that division.
QString filterDivision(const CliContext& c);
void deriveInUse(const CliContext& c, const QString& division);

}
