#include "analysis/applications_tab.h"

ApplicationsTab::ApplicationsTab(TForm2& form) : TabPage(form, "TabSheet10", QStringLiteral("Applications"))
{
}
