#pragma once

#include "gui/tab_page.h"

class DataGrid;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// The "Security Attributes" tab: the attributes in use, and for the one
// selected its description, profile, control objectives and controls.
class SecurityAttributesTab : public TabPage {
    Q_OBJECT
public:
    explicit SecurityAttributesTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override; // TabSheet4Show
    void tabHidden() override; // TabSheet4Hide

    void DBGrid5CellClick(); // loads the editors from the current attribute
    void hSave5Click();
    void save() override { hSave5Click(); }
    void hAdd5Click(); // objective Add
    void hAdd4Click(); // control Add
    void lbSecObjKeyUp(int key);
    void lbSecConKeyUp(int key);
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override { return m_edited; }
    // The division filter changed: the attributes in use are recomputed while
    // this tab shows.
    void followDivisionFilter(const QString& division);

Q_SIGNALS:
    // The "Trace" link: the analyst asks for the trace window.
    void traceRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void AttributeTableBeforeScroll();
    void AttributeTableAfterScroll();
    void AttChange();
    void addObjective();
    void saveEditors();
    void fillCatalogue();

    DataGrid* m_grid = nullptr;
    QLineEdit* m_group = nullptr;
    QLineEdit* m_name = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QPlainTextEdit* m_profile = nullptr;
    QListWidget* m_objectives = nullptr;
    QListWidget* m_controls = nullptr;
    QComboBox* m_objectiveBox = nullptr;
    QComboBox* m_controlBox = nullptr;
    bool m_loading = false;
    bool m_edited = false; // the editors hold edits not yet saved
    qint64 m_loadedRow = 0; // the Attribute row the editors were loaded from
};
