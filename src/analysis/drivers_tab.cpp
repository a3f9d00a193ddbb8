#include "analysis/drivers_tab.h"

DriversTab::DriversTab(TForm2& form) : TabPage(form, "TabSheet2", QStringLiteral("Drivers"))
{
}
