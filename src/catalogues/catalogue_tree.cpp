#include "catalogues/catalogue_tree.h"

#include "catalogues/catalogue_keys.h"
#include "store/quarrix_error.h"
#include "store/table.h"

namespace CatalogueTrees {

namespace {

int add(CatalogueTree& tree, int parent, const QString& label, qint64 rowId = 0)
{
    tree.nodes.push_back({ label, parent, rowId });
    return int(tree.nodes.size()) - 1;
}

}

CatalogueTree attributes(const Table& t)
{
    CatalogueTree tree;
    const int root = add(tree, -1, QStringLiteral("Attributes"));
    const int groupField = t.fieldIndex(QStringLiteral("Group"));
    const int nameField = t.fieldIndex(QStringLiteral("Attribute"));
    QString previousGroup;
    int groupNode = -1;
    for (int row = 0; row < t.recordCount(); ++row) {
        const QString group = t.textAt(row, groupField);
        if (group != previousGroup) {
            previousGroup = group;
            groupNode = add(tree, root, group);
        }
        add(tree, groupNode, t.textAt(row, nameField), t.rowIdAt(row));
    }
    return tree;
}

CatalogueTree controls(const Table& t)
{
    CatalogueTree tree;
    const int root = add(tree, -1, QStringLiteral("Controls"));
    const int idField = t.fieldIndex(QStringLiteral("Id"));
    const int xidField = t.fieldIndex(QStringLiteral("XId"));
    const int sectionField = t.fieldIndex(QStringLiteral("section_title"));
    const int objectiveField = t.fieldIndex(QStringLiteral("subsection_title"));
    const int titleField = t.fieldIndex(QStringLiteral("control_title"));
    // -1: no section or objective yet, so those numbered 00 get their node too.
    int previousSection = -1;
    int previousObjective = -1;
    int sectionNode = -1;
    int objectiveNode = -1;
    // Whether a node's title was taken from a control numbered 00, which
    // gives way to the first numbered control of its run.
    bool sectionFromZero = false;
    bool objectiveFromZero = false;
    try {
        for (int row = 0; row < t.recordCount(); ++row) {
            const QString id = t.textAt(row, idField);
            const int section = CatalogueKeys::strictInteger(id.mid(0, 2));
            const int objective = CatalogueKeys::strictInteger(id.mid(3, 2));
            const int number = CatalogueKeys::strictInteger(id.right(2));
            const auto sectionLabel
                = [&] { return QStringLiteral("%1 %2").arg(section).arg(t.textAt(row, sectionField)); };
            const auto objectiveLabel = [&] {
                return QStringLiteral("%1.%2 %3").arg(section).arg(objective).arg(t.textAt(row, objectiveField));
            };
            if (section != previousSection) {
                previousSection = section;
                sectionNode = add(tree, root, sectionLabel());
                sectionFromZero = number == 0;
                previousObjective = -1;
            } else if (sectionFromZero && number != 0) {
                tree.nodes[size_t(sectionNode)].label = sectionLabel();
                sectionFromZero = false;
            }
            if (objective != previousObjective) {
                previousObjective = objective;
                objectiveNode = add(tree, sectionNode, objectiveLabel());
                objectiveFromZero = number == 0;
            } else if (objectiveFromZero && number != 0) {
                tree.nodes[size_t(objectiveNode)].label = objectiveLabel();
                objectiveFromZero = false;
            }
            const QString xid = t.textAt(row, xidField);
            const QString title = t.textAt(row, titleField);
            add(tree, objectiveNode,
                id != xid ? QStringLiteral("%1: %2").arg(xid, title)
                          : QStringLiteral("%1.%2.%3: %4").arg(section).arg(objective).arg(number).arg(title),
                t.rowIdAt(row));
        }
    } catch (const QuarrixError& e) {
        tree.error = e.message();
    }
    return tree;
}

}
