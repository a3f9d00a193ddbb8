#pragma once

#include "gui/tab_page_widget.h"

class DataGrid;
class Table;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

// The "Requirements" tab: the register of business requirements, a grid over
// Requirements above the details of the current one.
class RequirementsTab : public TabPage {
    Q_OBJECT
public:
    explicit RequirementsTab(MainWindow& form);

    void storeOpened() override;
    void tabShown() override { TabSheet1Show(); }

    void TabSheet1Show();
    void DBGrid2CellClick();
    void DBGrid2KeyUp(int key);
    void hAdd1Click();
    void hDelete1Click();
    void hSave1Click();
    void ReqChange();
    void ReqsTableBeforeScroll();
    void ReqsTableAfterScroll();

private:
    Table& reqs() const;
    void fillChoices(QComboBox* box, const QString& listField);
    // Loads the editors from the current record. With divisionDefault an
    // empty division shows the box's first item; otherwise it stays empty.
    void loadEditors(bool divisionDefault);
    void remove(bool byLink);

    DataGrid* m_grid = nullptr;
    QLineEdit* m_id;
    QComboBox* m_priority;
    QComboBox* m_division;
    QComboBox* m_activity;
    QLineEdit* m_requirement;
    QPlainTextEdit* m_source;
    int m_loading = 0; // editors are being filled from a record, not edited
    qint64 m_loadedRowId = 0; // the record the editors were filled from
};
