#pragma once

#include "gui/tab_page_widget.h"

// The "Business Attributes" tab.
class BusinessAttributesTab : public TabPage {
    Q_OBJECT
public:
    explicit BusinessAttributesTab(TForm2& form);
};
