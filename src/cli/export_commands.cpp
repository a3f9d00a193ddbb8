#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "cli/selection_options.h"
#include "reports/export_workbook.h"
#include "store/quarrix_error.h"

// export: the Reports tab's spreadsheet export, with the tab's filters given
// as options.

using CommandUsages::exportUsage;

static CliCommand exportCommand("export", exportUsage, [](CliContext& c) {
    const QString file = SelectionOptions::fileArgument(c, "export", exportUsage, SelectionOptions::common());
    SelectionOptions::requireExtension(file, { QStringLiteral(".xlsx") });
    SelectionOptions::requireKnownFilters(c);
    const ReportSelection selection = SelectionOptions::selectionOf(c);
    SelectionOptions::filterDivision(c);
    const ExportWorkbook::Result result = ExportWorkbook::write(c.assessment, selection, file);
    cliOut(QStringLiteral("%1 saved: %2 requirements, %3 drivers, %4 attributes, %5 controls")
               .arg(file)
               .arg(result.rows[0])
               .arg(result.rows[1])
               .arg(result.rows[2])
               .arg(result.rows[3]));
    if (result.cutCells > 0)
        cliErr(QStringLiteral("%1 cell(s) held more than %2 characters and were cut to that length.")
                   .arg(result.cutCells)
                   .arg(ExportWorkbook::cellLimit));
    return 0;
});
