#include "analysis/requirements_tab.h"

RequirementsTab::RequirementsTab(TForm2& form) : TabPage(form, "TabSheet1", QStringLiteral("Requirements"))
{
}
