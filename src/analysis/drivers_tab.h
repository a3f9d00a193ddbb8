#pragma once

#include "gui/tab_page_widget.h"

// The "Drivers" tab.
class DriversTab : public TabPage {
    Q_OBJECT
public:
    explicit DriversTab(TForm2& form);
};
