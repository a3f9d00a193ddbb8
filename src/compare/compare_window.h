#pragma once

#include "compare/change_model.h"

#include <QWidget>

class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The changes from an earlier assessment to the open one, read-only, in a
// window of its own: a summary page (the counts per kind, the gaps opened
// and closed), then a page per kind that changed, each a tree of the records
// added, removed and changed, a changed record's fields under it.
//
// Double-clicking a record tells which one through recordChosen; the window
// selects nothing itself. "Save Report..." asks for the change report
// through saveRequested. Large groups are filled when they are opened.
class CompareWindow : public QWidget {
    Q_OBJECT
public:
    // Where a record chosen in the window is shown.
    enum class Target {
        Requirement,
        Driver,
        Profile,
        SecurityAttribute,
        Application,
        Control,
        TaxonomyAttribute,
        Settings
    };
    Q_ENUM(Target)

    explicit CompareWindow(ChangeReport report, QWidget* parent = nullptr);

    const ChangeReport& report() const { return m_report; }
    QTreeWidget* summaryTree() const { return m_summary; }
    // The page of a kind; nullptr when the kind did not change.
    QTreeWidget* kindTree(ChangeKind kind) const;

Q_SIGNALS:
    void recordChosen(CompareWindow::Target target, const QString& key);
    void saveRequested();

private:
    enum class Group { Added, Removed, Changed };
    void showSummary();
    QTreeWidget* addKindPage(ChangeKind kind);
    void fillGroup(QTreeWidgetItem* groupItem);
    void addItem(QTreeWidgetItem* parent, ChangeKind kind, const ChangeItem& item, Group group);
    void choose(QTreeWidgetItem* item);

    ChangeReport m_report;
    QTabWidget* m_pages = nullptr;
    QTreeWidget* m_summary = nullptr;
    std::vector<std::pair<ChangeKind, QTreeWidget*>> m_kindTrees;
};
