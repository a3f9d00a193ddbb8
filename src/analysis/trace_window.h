#pragma once

#include "analysis/trace_chain.h"

#include <QHash>
#include <QVariant>
#include <QWidget>
#include <map>
#include <vector>

class Assessment;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

// The trace of the assessment, read-only, in a window of its own: a tree
// from requirements through drivers, profiled business attributes (with
// their priority) and security attributes to controls, or the reverse tree
// from controls back to requirements, and beside it the gaps, counted in the
// window's title. It shows the division filter's drivers and requirements
// and the in-use marks the last in-use derivation left.
//
// Double-clicking a requirement, driver or control tells which one through
// a signal; the window selects nothing itself. Branches are filled when they
// are opened, so a large assessment opens at once.
class TraceWindow : public QWidget {
    Q_OBJECT
public:
    TraceWindow(Assessment& assessment, const QString& division, QWidget* parent = nullptr);

    const TraceChain& chain() const { return m_chain; }

Q_SIGNALS:
    void requirementChosen(const QString& rseq);
    void driverChosen(const QString& cseq);
    void controlChosen(const QString& id);

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

    void showTree();
    void fill(QTreeWidgetItem* item);
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const Node& node, bool leaf);
    QString label(const Node& node) const;
    void chooseNode(QTreeWidgetItem* item);
    void showGaps();

    TraceChain m_chain;
    std::map<QString, std::vector<int>> m_driversOfRequirement; // requirement -> drivers that lead somewhere
    std::map<QString, std::vector<std::pair<int, int>>> m_stepsOfControl; // control -> (driver, step)
    std::vector<Node> m_nodes;
    QRadioButton* m_forward = nullptr;
    QTreeWidget* m_tree = nullptr;
    QTreeWidget* m_gaps = nullptr;
};
