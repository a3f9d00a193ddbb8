#pragma once

#include "gui/tab_page_widget.h"

class DataGrid;
class QComboBox;
class QLineEdit;
class QListWidget;
class Table;

// The "Drivers" tab: business drivers, each condensing a list of
// requirements, in a read-only grid above the details of the current one.
class DriversTab : public TabPage {
    Q_OBJECT
public:
    explicit DriversTab(MainWindow& form);

    void storeOpened() override;
    void tabShown() override { TabSheet2Show(); }

    void TabSheet2Show();
    void DBGrid1CellClick();
    void DBGrid1KeyUp(int key);
    void hAdd2Click();
    void hDelete2Click();
    void hSave2Click();
    void hReqAddClick();
    void lbReqsKeyUp(int key);
    // Change notification of the driver editors; the Applications tab's
    // division box calls it too.
    void DriverChange();
    void DriversTableBeforeScroll();
    void DriversTableAfterScroll();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Table& drivers() const;
    void fillChoices(QComboBox* box, const QString& listField, bool withEnterprise);
    void fillRequirementChoices();
    void showRequirementLines();
    // Loads the editors from the current record; an empty division or group
    // shows the box's first item when withDefaults is set. An empty activity
    // always does.
    void loadEditors(bool withDefaults);
    void addRequirementLine();
    void remove(bool byLink);
    // Profile panels of the Business Attributes tab.
    void recolourProfilePanels();
    void saveProfile();

    DataGrid* m_grid = nullptr;
    QLineEdit* m_id;
    QComboBox* m_division;
    QComboBox* m_activity;
    QLineEdit* m_driver;
    QComboBox* m_group;
    QListWidget* m_reqs;
    QComboBox* m_requirementChoice;
    int m_loading = 0; // editors are being filled from a record, not edited
    qint64 m_loadedRowId = 0; // the record the editors were filled from
};
