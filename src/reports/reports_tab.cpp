#include "reports/reports_tab.h"

ReportsTab::ReportsTab(TForm2& form) : TabPage(form, "TabSheet6", QStringLiteral("Reports"))
{
}
