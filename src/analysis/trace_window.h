#pragma once

#include "analysis/trace_chain.h"

#include <QHash>
#include <QVariant>
#include <QWidget>
#include <map>
#include <vector>

class Assessment;
class QLabel;
class QRadioButton;
class QStackedWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The trace of the assessment, read-only, in a window of its own: a tree
// from requirements through drivers, profiled business attributes (with
// their priority) and security attributes to controls, the reverse tree from
// controls back to requirements, or the coverage matrix of drivers and the
// security attributes in use; beside it the gaps, counted in the window's
// title. It shows the division filter's drivers and requirements, with the
// attributes in use derived in memory for that division.
//
// The window follows the store: followStore() rebuilds it when any table the
// trace reads has changed since it was built (the main window calls it after
// every command, and the window itself when it is activated, so changes by
// another program show too), keeping the selected node when it still exists.
//
// Double-clicking a requirement, driver or control tells which one through
// a signal; the window selects nothing itself. Double-clicking a cell of the
// matrix opens its chain in the tree. Branches are filled when they are
// opened, so a large assessment opens at once.
class TraceWindow : public QWidget {
    Q_OBJECT
public:
    TraceWindow(Assessment& assessment, const QString& division, QWidget* parent = nullptr);

    const TraceChain& chain() const { return m_chain; }
    // Rebuilds when the tables the trace reads changed since the last build.
    void followStore();
    // Shows the trace for another division filter.
    void setDivision(const QString& division);
    // Opens the chain from the driver to the security attribute in the tree
    // and selects that attribute's node; false when the trace holds none.
    bool openChain(const QString& cseq, const QString& securityAttribute);

Q_SIGNALS:
    void requirementChosen(const QString& rseq);
    void driverChosen(const QString& cseq);
    void controlChosen(const QString& id);

protected:
    bool event(QEvent* event) override;

private:
    enum class Kind { Requirement, Driver, Profiled, Security, Control, None };
    // Where a tree node stands: its kind and the path of keys leading to it.
    struct Node {
        Kind kind = Kind::None;
        QString requirement {};
        int driver = -1; // index in the chain's drivers
        QString profiled {};
        QVariant priority {};
        QString security {};
        QString control {};
        bool filled = false;
    };

    void rebuild();
    quint64 storeStamp() const;
    void showView();
    void showTree();
    void showMatrix();
    void fill(QTreeWidgetItem* item);
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const Node& node, bool leaf);
    QString label(const Node& node) const;
    QString key(const Node& node) const; // what tells a node from its siblings across rebuilds
    const Node* nodeOf(const QTreeWidgetItem* item) const;
    QStringList selectedPath() const;
    void selectPath(const QStringList& path);
    void chooseNode(QTreeWidgetItem* item);
    void showGaps();

    Assessment& m_assessment;
    QString m_division;
    quint64 m_stamp = 0;
    TraceChain m_chain;
    std::map<QString, std::vector<int>> m_driversOfRequirement; // requirement -> drivers that lead somewhere
    std::map<QString, std::vector<std::pair<int, int>>> m_stepsOfControl; // control -> (driver, step)
    std::vector<Node> m_nodes;
    QLabel* m_divisionLabel = nullptr;
    QRadioButton* m_forward = nullptr;
    QRadioButton* m_reverse = nullptr;
    QRadioButton* m_matrixChoice = nullptr;
    QStackedWidget* m_views = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTableWidget* m_matrix = nullptr;
    QTreeWidget* m_gaps = nullptr;
};
