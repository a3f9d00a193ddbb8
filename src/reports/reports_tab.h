#pragma once

#include "gui/tab_page_widget.h"

// The "Reports" tab: the report filters and the five output commands.
class ReportsTab : public TabPage {
    Q_OBJECT
public:
    explicit ReportsTab(TForm2& form);

    // The five output commands. hRep1Click (spreadsheet export) and
    // hRep5Click (printed listings) live in reports_tab_output.cpp.
    void hRep1Click();
    void hRep5Click();
};
