#include "upload/upload_tab.h"

UploadTab::UploadTab(TForm2& form) : TabPage(form, "TabSheet3", QStringLiteral("Upload"))
{
}
