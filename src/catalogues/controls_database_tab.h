#pragma once

#include "gui/tab_page.h"

class DataGrid;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

// The "Controls Database" tab: the control catalogue with its grid, editors,
// tree and the control-set import.
class ControlsDatabaseTab : public TabPage {
    Q_OBJECT
public:
    explicit ControlsDatabaseTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override { TabSheet5Show(); }

    void TabSheet5Show();
    void MakeControlTree();
    void DBGrid4CellClick(); // loads the editors from the current control
    void tvControlDblClick();
    void hAdd3Click();
    void hDelete3Click();
    void hSave4Click();
    void save() override { hSave4Click(); }
    void DBGrid4KeyUp(int key);
    void bImport2Click();
    void CtrlChange();
    void ControlsTableBeforeScroll();
    void ControlsTableAfterScroll();
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override { return m_edited; }

private:
    void fillEditors();
    void deleteCurrent(bool clearsSaved);

    DataGrid* m_grid = nullptr;
    QLineEdit* m_id = nullptr;
    QLineEdit* m_xid = nullptr;
    QLineEdit* m_section = nullptr;
    QLineEdit* m_subsectionTitle = nullptr;
    QPlainTextEdit* m_subsection = nullptr;
    QLineEdit* m_controlTitle = nullptr;
    QPlainTextEdit* m_control = nullptr;
    QTreeWidget* m_tree = nullptr;
    bool m_edited = false; // the editors hold edits not yet saved
    bool m_filling = false; // editors are being filled from a record: not an edit
    bool m_inBeforeMove = false; // a record move is under way: the tree must not move the cursor
};
