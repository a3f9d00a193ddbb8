#pragma once

#include "gui/tab_page.h"

class DataGrid;
class RecordEditor;
class Table;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPlainTextEdit;
struct RequirementValues;

// The "Requirements" tab: the register of business requirements, a grid over
// Requirements above the details of the current one.
class RequirementsTab : public TabPage {
    Q_OBJECT
public:
    explicit RequirementsTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override;
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;

    // The division filter changed: filter the register and show its first record.
    void followDivisionFilter(const QString& division);

    void addRequirement();
    void deleteRequirement(bool byLink); // the Delete key leaves the saved flag
    void saveRequirement(); // the Save link: the requirement shown
    void save() override { saveRequirement(); }

private:
    Table& reqs() const;
    void fillChoices(QComboBox* box, const QString& listField);
    // Fills the editors from the current record. An empty division stays
    // empty here; the tab shows its first item where the grid click and the
    // show step ask for it.
    void showRequirement();
    void showDivisionDefault();
    void showClickedRequirement();
    qint64 appendPlaceholder(); // a new record "BRx.xx", in the division filtered
    RequirementValues editedValues() const;
    void writeRequirement(qint64 rowId);

    QGridLayout* m_page;
    DataGrid* m_grid = nullptr;
    RecordEditor* m_editor = nullptr;
    QLineEdit* m_id;
    QComboBox* m_priority;
    QComboBox* m_division;
    QComboBox* m_activity;
    QLineEdit* m_requirement;
    QPlainTextEdit* m_source;
};
