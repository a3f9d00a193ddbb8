#pragma once

#include "gui/tab_page_widget.h"

// The "Security Attributes" tab.
class SecurityAttributesTab : public TabPage {
    Q_OBJECT
public:
    explicit SecurityAttributesTab(TForm2& form);
};
