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
