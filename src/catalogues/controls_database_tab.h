#pragma once

#include "gui/tab_page.h"

struct ControlSetRow;
class CatalogueTreeView;
class DataGrid;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;
class RecordEditor;
class StarterSetOffer;
class Table;

// The "Controls Database" tab: the control catalogue with its grid, the
// editors of the current control, the tree by section and objective, and the
// control-set import.
class ControlsDatabaseTab : public TabPage {
    Q_OBJECT
public:
    explicit ControlsDatabaseTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override;
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;

    void addControl();
    void deleteControl(bool byLink); // the Delete key leaves the saved flag
    void saveControl(); // the Save link: the control shown
    void save() override { saveControl(); }
    void importControlSet();

private:
    Table& controls() const;
    // The tree afresh from the table, the current record shown and selected.
    void rebuildControlTree();
    void showCatalogue(); // the first control, the tree and the offer as the table now holds them
    void showControl();
    ControlSetRow editedValues() const;
    void writeControl(qint64 rowId);

    QVBoxLayout* m_left;
    DataGrid* m_grid = nullptr;
    RecordEditor* m_editor = nullptr;
    StarterSetOffer* m_starterOffer;
    CatalogueTreeView* m_tree;
    QString m_treeError; // the last tree error shown, so a rebuild does not repeat it
    QLineEdit* m_id;
    QLineEdit* m_xid;
    QLineEdit* m_section;
    QLineEdit* m_subsectionTitle;
    QPlainTextEdit* m_subsection;
    QLineEdit* m_controlTitle;
    QPlainTextEdit* m_control;
};
