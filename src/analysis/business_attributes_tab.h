#pragma once

#include "gui/tab_page_widget.h"

#include <vector>

class DataGrid;
class QLabel;
class ProfilePanel;

// The "Business Attributes" tab: one clickable panel per business attribute,
// coloured by its priority for the current driver, and Save into DrAtt.
class BusinessAttributesTab : public TabPage {
    Q_OBJECT
public:
    explicit BusinessAttributesTab(MainWindow& form);

    void storeOpened() override;
    void tabShown() override; // lays out the panels

    // Colours the panels from the current driver's DrAtt rows. The Drivers
    // tab calls it after every driver move while the profiling display flag is set.
    Q_INVOKABLE void DrAttTaxonomy();
    // Stores the panels' priorities for the current driver. Also run on Yes to
    // the profiling "Save changes?" before a driver move.
    Q_INVOKABLE void hSave3Click();
    void DBGrid3CellClick();

private:
    void layOutPanels();
    void clearPanels();
    ProfilePanel* addPanel(const QString& caption, bool header, int x, int y);
    void SetAtt(ProfilePanel* panel);

    DataGrid* m_grid = nullptr;
    QWidget* m_legendLeft = nullptr; // Shape1: the panels stop short of it
    QLabel* m_more = nullptr;
    std::vector<ProfilePanel*> m_panels; // header and attribute panels, in layout order
};
