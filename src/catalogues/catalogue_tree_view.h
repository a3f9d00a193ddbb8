#pragma once

#include <QHash>
#include <QTreeWidget>

struct CatalogueTree;

// The tree of a catalogue beside its grid. It shows the record that is
// current selected; a click (or Enter) on a record's node asks for that
// record to become current.
class CatalogueTreeView : public QTreeWidget {
    Q_OBJECT
public:
    CatalogueTreeView(const char* objectName, const QString& hint);

    void showTree(const CatalogueTree& tree);
    void selectRecord(qint64 rowId); // no node selected when the record has none

Q_SIGNALS:
    void recordChosen(qint64 rowId);

private:
    QHash<qint64, QTreeWidgetItem*> m_byRowId;
};
