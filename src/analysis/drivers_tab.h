#pragma once

#include "gui/tab_page.h"

class DataGrid;
class RecordEditor;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class Table;
struct DriverValues;

// The "Drivers" tab: business drivers, each condensing a list of
// requirements, in a read-only grid above the details of the current one.
class DriversTab : public TabPage {
    Q_OBJECT
public:
    explicit DriversTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override;
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;

    // The division filter changed: filter the drivers and show the first one.
    void followDivisionFilter(const QString& division);

    void addDriver();
    void deleteDriver(bool byLink); // the Delete key leaves the saved flag
    void saveDriver(); // the Save link: the driver shown
    void save() override { saveDriver(); }
    void addRequirementLine(); // the Add link beside the requirement choice

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Table& drivers() const;
    void fillChoices(QComboBox* box, const QString& listField, bool withEnterprise);
    void fillRequirementChoices();
    // Fills the editors from the current record; an empty division and group
    // stay empty here, an empty activity shows the first item.
    void showDriver();
    void showChoiceDefaults(); // an empty division or group shows the first item
    void showClickedDriver();
    qint64 appendPlaceholder(); // a new driver with the placeholder identifier, in the division filtered
    void requirementListKey(int key);
    void insertRequirementLine();
    DriverValues editedValues() const;
    void writeDriver(qint64 rowId);

    QGridLayout* m_page;
    DataGrid* m_grid = nullptr;
    RecordEditor* m_editor = nullptr;
    QLineEdit* m_id;
    QComboBox* m_division;
    QComboBox* m_activity;
    QLineEdit* m_driver;
    QComboBox* m_group;
    QListWidget* m_reqs;
    QComboBox* m_requirementChoice;
};
