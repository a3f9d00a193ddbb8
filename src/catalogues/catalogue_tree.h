#pragma once

#include <QString>
#include <vector>

class Table;

// The tree of a catalogue as the tabs show it, worked out from the table's
// rows in the order the table holds them: each node with its label, its
// parent (an earlier node, or -1 for the top level) and, for a record's own
// node, the record's row id.
struct CatalogueTree {
    struct Node {
        QString label;
        int parent = -1;
        qint64 rowId = 0; // 0 for the root and the group, section and objective nodes
    };
    std::vector<Node> nodes;
    QString error; // why the tree stopped before the last record (the nodes made so far stay)
};

namespace CatalogueTrees {

// "Attributes", then one node per run of consecutive records of one group,
// each attribute under its group; attributes before the first group node
// stand beside the root.
CatalogueTree attributes(const Table& attribute);

// "Controls", then sections, objectives and controls by the numbers in the
// Id (01.02.03: section 1, objective 2, control 3), in the table's order; a
// section or objective numbered 00 is a node like any other. A section or
// objective node takes its title from the first control of its run, not
// from a control numbered 00 when a numbered one follows in the run. A
// control shows its library reference instead of the number when the two
// differ. An Id whose parts are not whole numbers stops the tree at that
// record.
CatalogueTree controls(const Table& controls);

}
