#pragma once

#include "gui/tab_page_widget.h"

// The "Attributes Database" tab.
class AttributesDatabaseTab : public TabPage {
    Q_OBJECT
public:
    explicit AttributesDatabaseTab(TForm2& form);
};
