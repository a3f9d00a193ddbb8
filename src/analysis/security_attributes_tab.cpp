#include "analysis/security_attributes_tab.h"

SecurityAttributesTab::SecurityAttributesTab(TForm2& form) : TabPage(form, "TabSheet4", QStringLiteral("Security Attributes"))
{
}
