#pragma once

#include "gui/tab_page.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QProgressBar;
class QRadioButton;

// The "Reports" tab: the report filters and the five output commands.
class ReportsTab : public TabPage {
    Q_OBJECT
public:
    explicit ReportsTab(TabHost& host);

    // TabSheet6Show: shows the division and resets the activity and group
    // choices to "All" with the names the System record lists.
    void tabShown() override;
    // The division filter changed: the reports' division shows it.
    void showDivision(const QString& division);

    // The five output commands. hRep1Click (spreadsheet export) and
    // hRep5Click (printed listings) live in reports_tab_output.cpp.
    void hRep1Click();
    void hRep2Click(); // the Quarrix report
    void hRep3Click(); // the custom taxonomy report
    void hRep4Click(); // the business security plan: does nothing
    void hRep5Click();

    // The filter controls, as the commands read them.
    QLineEdit* divisionBox() const { return m_division; }
    QComboBox* activityBox() const { return m_activity; }
    QComboBox* groupBox() const { return m_group; }
    QCheckBox* requirementsCheck() const { return m_requirements; }
    QCheckBox* driversCheck() const { return m_drivers; }
    QCheckBox* attributesCheck() const { return m_attributes; }
    QCheckBox* controlsCheck() const { return m_controls; }
    QRadioButton* byIdentifier() const { return m_byIdentifier; }
    QRadioButton* byDivision() const { return m_byDivision; }
    QRadioButton* byActivity() const { return m_byActivity; }
    QProgressBar* progressBar() const { return m_progress; }

private:
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
