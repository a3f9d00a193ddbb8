#pragma once

#include "gui/tab_page.h"

struct AttributeValues;
class CatalogueTreeView;
class DataGrid;
class QLineEdit;
class QPlainTextEdit;
class RecordEditor;
class StarterSetOffer;
class QVBoxLayout;
class Table;

// The "Attributes Database" tab: the attribute taxonomy with its grid, the
// editors of the current attribute, the two mapping grids that follow its
// tier, the tree by group, and the attribute-set import.
class AttributesDatabaseTab : public TabPage {
    Q_OBJECT
public:
    explicit AttributesDatabaseTab(TabHost& host);

    void storeOpened() override;
    void tabShown() override;
    bool offerPendingEdits() override;
    bool hasPendingEdits() const override;

    void addAttribute();
    void deleteAttribute(bool byLink); // the Delete key leaves the saved flag
    void saveAttribute(); // the Save link: the attribute shown
    void save() override { saveAttribute(); }
    void importAttributeSet();
    // Shows the security attributes of the technical attribute current in
    // the business-to-technical grid.
    void followTechnicalAttribute();

private:
    Table& attributes() const;
    // The tree afresh from the table, the current record selected.
    void rebuildAttributeTree();
    void showTaxonomy(); // every attribute in key order, the first shown, the tree rebuilt
    void showAttribute(); // the editors and the mapping grids of the current record
    void filterMappings(const QString& tier, const QString& name);
    AttributeValues editedValues() const;
    void writeAttribute(qint64 rowId);

    QVBoxLayout* m_left;
    QVBoxLayout* m_mappings;
    DataGrid* m_grid = nullptr;
    DataGrid* m_busToTech = nullptr;
    DataGrid* m_techToSec = nullptr;
    RecordEditor* m_editor = nullptr;
    StarterSetOffer* m_starterOffer;
    CatalogueTreeView* m_tree;
    QLineEdit* m_group;
    QLineEdit* m_sequence;
    QLineEdit* m_name;
    QLineEdit* m_tier;
    QPlainTextEdit* m_description;
};
