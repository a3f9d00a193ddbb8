#pragma once

#include "gui/tab_page_widget.h"

// The "Upload" tab.
class UploadTab : public TabPage {
    Q_OBJECT
public:
    explicit UploadTab(TForm2& form);
};
