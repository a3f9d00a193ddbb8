#pragma once

#include "gui/tab_page_widget.h"

// The "Applications" tab.
class ApplicationsTab : public TabPage {
    Q_OBJECT
public:
    explicit ApplicationsTab(TForm2& form);
};
