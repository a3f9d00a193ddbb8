#pragma once

#include "gui/tab_page_widget.h"

// The "Reports" tab.
class ReportsTab : public TabPage {
    Q_OBJECT
public:
    explicit ReportsTab(TForm2& form);
};
