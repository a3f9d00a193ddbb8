#pragma once

#include "gui/tab_page.h"

class DataGrid;
class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;

// The "Attributes Database" tab: the attribute taxonomy with its grid, editor,
// tree, the two mapping grids and the attribute-set import.
class AttributesDatabaseTab : public TabPage {
    Q_OBJECT
public:
    explicit AttributesDatabaseTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override { TabSheet7Show(); }

    void TabSheet7Show();
    void MakeAttributeTree();
    void DBGrid6CellClick(); // loads the editor and filters the mapping grids
    void DBGrid7CellClick(); // shows the security attributes of the technical attribute clicked
    void tvAttributeDblClick();
    void hAdd6Click();
    void hDelete6Click();
    void hSave6Click();
    void save() override { hSave6Click(); }
    void DBGrid6KeyUp(int key);
    void bImport1Click();

private:
    void deleteCurrent(bool clearsSaved);

    DataGrid* m_attributes = nullptr;
    DataGrid* m_busToTech = nullptr;
    DataGrid* m_techToSec = nullptr;
    QLineEdit* m_group = nullptr;
    QLineEdit* m_sequence = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_tier = nullptr;
    QPlainTextEdit* m_description = nullptr;
    QTreeWidget* m_tree = nullptr;
};
