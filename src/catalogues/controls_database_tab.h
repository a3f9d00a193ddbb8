#pragma once

#include "gui/tab_page_widget.h"

// The "Controls Database" tab.
class ControlsDatabaseTab : public TabPage {
    Q_OBJECT
public:
    explicit ControlsDatabaseTab(TForm2& form);
};
