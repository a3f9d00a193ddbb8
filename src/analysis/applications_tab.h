#pragma once

#include "gui/tab_page.h"

class DataGrid;
class RecordEditor;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QVBoxLayout;
struct ApplicationDetails;

// The "Applications" tab: a register of applications, the security
// attributes that apply to each, the controls each inherits from them and a
// threat and risk entry per application and attribute.
class ApplicationsTab : public TabPage {
    Q_OBJECT
public:
    explicit ApplicationsTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override;
    void tabHidden() override;
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;
    void save() override { saveApplication(); }

    void addApplication();
    void deleteApplication();
    void saveApplication(); // the Save link: the application shown
    void addAttribute(); // the Add link beside the attribute choice: stored at once

Q_SIGNALS:
    // The tab was left; the attributes in use it offered may be given back
    // unless the page shown next lists them too.
    void attributesInUseLeft();

private:
    void showApplication(); // fills the editors from the current application
    void writeApplication(qint64 rowId);
    ApplicationDetails editedDetails() const;
    // Shows the inherited controls and the risk entry of the attribute
    // selected in the application's list.
    void showSelectedAttribute();
    void showInheritedControls(const QString& attribute);
    // Shows the entry of the selected attribute of the application shown;
    // without attach (or with nothing selected) the editors are emptied and
    // disabled.
    void showRisk(bool attach = true);
    void storeRisk(); // after an edit of one of the three risk editors

    QVBoxLayout* m_gridColumn = nullptr; // the grid, then its Add and Delete links
    DataGrid* m_grid = nullptr;
    RecordEditor* m_editor = nullptr;
    QListWidget* m_attributes;
    QComboBox* m_attributeChoice;
    QListWidget* m_controls;
    QPlainTextEdit* m_risk;
    QComboBox* m_likelihood;
    QComboBox* m_impact;
    QLineEdit* m_application;
    QLineEdit* m_domain;
    QLineEdit* m_owner;
    QPlainTextEdit* m_description;
    QComboBox* m_division;
    int m_filling = 0; // the lists and risk editors are being filled: no command runs
    // What the risk editors show: the application (row id) and attribute.
    qint64 m_riskApplication = 0;
    QString m_riskAttribute;
};
