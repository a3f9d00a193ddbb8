#pragma once

#include "gui/tab_page.h"

#include <vector>

class DataGrid;
class QGridLayout;
class QLabel;
class ProfilePanel;
class RecordEditor;
class StarterSetOffer;

// The "Business Attributes" tab: one clickable panel per business attribute,
// coloured by its priority for the current driver, and Save into DrAtt. The
// panels are the profile editor of the current driver: clicks are its edits,
// offered for saving before the driver changes.
class BusinessAttributesTab : public TabPage {
    Q_OBJECT
public:
    explicit BusinessAttributesTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override; // lays out the panels
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;

    // Stores the panels' priorities for the driver they show.
    void saveProfile();
    void save() override { saveProfile(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readBusinessAttributes();
    // Places the panels in columns under their group headers, as many as the
    // panel area holds; the rest wait behind "More.....".
    void flowPanels();
    ProfilePanel* addHeader(const QString& group, int column, int row);
    void colourPanelsFromProfile();
    void stepPanel(ProfilePanel* panel);
    void writeProfile(qint64 driverRowId);

    QGridLayout* m_page;
    DataGrid* m_grid = nullptr;
    RecordEditor* m_editor = nullptr;
    QWidget* m_panelArea;
    QLabel* m_more;
    StarterSetOffer* m_starterOffer;
    struct Attribute {
        QString name;
        QString group;
        ProfilePanel* panel;
    };
    std::vector<Attribute> m_attributes; // business attributes in GrAtt order
    std::vector<ProfilePanel*> m_headers;
    int m_panelWidth = 80;
};
