#include "catalogues/catalogue_tree_view.h"

#include "catalogues/catalogue_tree.h"

#include <QSignalBlocker>

namespace {

constexpr int kRowIdRole = Qt::UserRole;

qint64 rowIdOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kRowIdRole).toLongLong() : 0;
}

}

CatalogueTreeView::CatalogueTreeView(const char* objectName, const QString& hint)
{
    setObjectName(QString::fromLatin1(objectName));
    setToolTip(hint);
    setHeaderHidden(true);
    setUniformRowHeights(true);
    auto choose = [this](QTreeWidgetItem* item) {
        if (const qint64 rowId = rowIdOf(item))
            Q_EMIT recordChosen(rowId);
    };
    connect(this, &QTreeWidget::itemClicked, this, choose);
    connect(this, &QTreeWidget::itemActivated, this, choose);
}

void CatalogueTreeView::showTree(const CatalogueTree& tree)
{
    const QSignalBlocker block(this);
    setUpdatesEnabled(false);
    clear();
    m_byRowId.clear();
    std::vector<QTreeWidgetItem*> items;
    items.reserve(tree.nodes.size());
    QList<QTreeWidgetItem*> topLevel;
    for (const CatalogueTree::Node& node : tree.nodes) {
        auto* item = new QTreeWidgetItem(QStringList { node.label });
        if (node.rowId) {
            item->setData(0, kRowIdRole, node.rowId);
            m_byRowId.insert(node.rowId, item);
        }
        if (node.parent >= 0)
            items[size_t(node.parent)]->addChild(item);
        else
            topLevel << item;
        items.push_back(item);
    }
    addTopLevelItems(topLevel);
    if (!topLevel.isEmpty())
        topLevel.first()->setExpanded(true);
    setUpdatesEnabled(true);
}

void CatalogueTreeView::selectRecord(qint64 rowId)
{
    const QSignalBlocker block(this);
    QTreeWidgetItem* found = m_byRowId.value(rowId);
    setCurrentItem(found);
    if (found)
        scrollToItem(found);
    else
        clearSelection();
}
