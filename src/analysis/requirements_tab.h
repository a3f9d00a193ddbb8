#pragma once

#include "gui/tab_page_widget.h"

// The "Requirements" tab.
class RequirementsTab : public TabPage {
    Q_OBJECT
public:
    explicit RequirementsTab(TForm2& form);
};
