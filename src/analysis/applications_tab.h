#pragma once

#include "gui/tab_page.h"

class DataGrid;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The "Applications" tab: a register of applications, the security
// attributes that apply to each, the controls each inherits from them and a
// threat and risk entry per application and attribute.
class ApplicationsTab : public TabPage {
    Q_OBJECT
public:
    explicit ApplicationsTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override; // TabSheet10Show
    void tabHidden() override; // TabSheet10Hide

    void DBGrid9CellClick(); // loads the current application
    void hAdd7Click();
    void hDelete7Click();
    void hSave7Click();
    void save() override { hSave7Click(); }
    void hAdd8Click(); // adds cbAttributes' text to the application
    void lbAttributesClick();

private:
    qint64 currentApplicationId() const;
    // Shows the entry of the selected attribute of the current application;
    // without attach (or with nothing selected) the editors are emptied and
    // disabled.
    void showRisk(bool attach = true);
    void storeRisk(); // after an edit of one of the three risk editors

    DataGrid* m_grid = nullptr;
    QListWidget* m_attributes = nullptr;
    QComboBox* m_attributeChoice = nullptr;
    QListWidget* m_controls = nullptr;
    QPlainTextEdit* m_risk = nullptr;
    QComboBox* m_likelihood = nullptr;
    QComboBox* m_impact = nullptr;
    QLineEdit* m_application = nullptr;
    QLineEdit* m_domain = nullptr;
    QLineEdit* m_owner = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QComboBox* m_division = nullptr;
    int m_loading = 0;
    // What the risk editors show: the application (row id) and attribute.
    qint64 m_riskApplication = 0;
    QString m_riskAttribute;
};
