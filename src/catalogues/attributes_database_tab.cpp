#include "catalogues/attributes_database_tab.h"

AttributesDatabaseTab::AttributesDatabaseTab(TForm2& form) : TabPage(form, "TabSheet7", QStringLiteral("Attributes Database"))
{
}
