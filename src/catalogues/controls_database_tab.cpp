#include "catalogues/controls_database_tab.h"

ControlsDatabaseTab::ControlsDatabaseTab(TForm2& form) : TabPage(form, "TabSheet5", QStringLiteral("Controls Database "))
{
}
