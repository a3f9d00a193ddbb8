#pragma once

#include "gui/tab_page.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QProgressBar;
class QRadioButton;
struct ReportSelection;

// The "Reports" tab: the report filters and the output commands.
class ReportsTab : public TabPage {
    Q_OBJECT
public:
    explicit ReportsTab(TabHost& host);

    // Shows the division and resets the activity and group choices to "All"
    // with the names the System record lists.
    void tabShown() override;
    // The division filter changed: the reports' division shows it.
    void showDivision(const QString& division);

    // The output commands. The spreadsheet export, the printed listings and
    // the OSCAL export live in reports_tab_output.cpp.
    void exportSpreadsheet();
    void writeQuarrixReport();
    void writeTaxonomyReport();
    void writeSecurityPlan(); // does nothing
    void printListings();
    // The selected controls as an OSCAL profile, or as the resolved catalog.
    void exportOscalProfile();

private:
    QGroupBox* buildActions();
    QGroupBox* buildFilters();
    QGroupBox* buildSorting();
    // The activity and group choices and the ticked tables, as the export
    // and the listings read them.
    ReportSelection selection() const;
    QString askReportFile(const QString& title);

    QLineEdit* m_division;
    QComboBox* m_activity;
    QComboBox* m_group;
    QCheckBox* m_requirements;
    QCheckBox* m_drivers;
    QCheckBox* m_attributes;
    QCheckBox* m_controls;
    QRadioButton* m_byIdentifier;
    QRadioButton* m_byDivision;
    QRadioButton* m_byActivity;
    QProgressBar* m_progress;
};
