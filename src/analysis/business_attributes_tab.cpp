#include "analysis/business_attributes_tab.h"

BusinessAttributesTab::BusinessAttributesTab(TForm2& form) : TabPage(form, "AttributeTab", QStringLiteral("Business Attributes"))
{
}
