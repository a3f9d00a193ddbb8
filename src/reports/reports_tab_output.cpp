#include "reports/reports_tab.h"

#include "core/quarrix_error.h"

// The spreadsheet export and the printed listings of the Reports tab.

void ReportsTab::hRep1Click()
{
    throw QuarrixError(QStringLiteral("The spreadsheet export is not available in this build."));
}

void ReportsTab::hRep5Click()
{
    throw QuarrixError(QStringLiteral("The printed listings are not available in this build."));
}
