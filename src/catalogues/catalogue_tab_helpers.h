#pragma once

#include "gui/data_grid.h"
#include "gui/dialogs.h"
#include "gui/form_controls_widget.h"
#include "store/table.h"

#include <QLabel>
#include <QRect>
#include <QString>
#include <QTreeWidgetItem>

// Small helpers shared by the two catalogue tabs.
namespace CatalogueTab {

inline const QString kBlank21 = QString(21, QLatin1Char(' '));
inline const QString kRecordAdded = QStringLiteral("Record added             ");
inline const QString kDeleted = QStringLiteral("Deleted                ");
inline const QString kImportFilter = kSpreadsheetSetFilter;

template <class W> W* control(const char* name, const QString& hint, const QRect& g, QWidget* parent)
{
    return FormControls::place<W>(name, hint, g, parent);
}

inline void addLabel(const QString& text, const QRect& g, QWidget* parent)
{
    FormControls::caption(text, g, parent);
}

// The window's tables go before its widgets when it closes; a grid lets go of
// its table then, so that hiding it no longer asks the table for rows.
inline void releaseOnTableEnd(DataGrid* grid)
{
    QObject::connect(&grid->table(), &QObject::destroyed, grid, [grid] { grid->setModel(nullptr); });
}

// Deletes the current record once the analyst confirms. False when there was
// none or the answer was No.
inline bool deleteConfirmed(Table& table, Dialogs& dialogs)
{
    if (!table.hasRecord() || !dialogs.ask(QStringLiteral("Confirm Delete")))
        return false;
    table.remove();
    return true;
}

// Asks the replace question, then for the set to import. Empty when the
// analyst declined or cancelled.
inline QString chooseImportFile(Dialogs& dialogs, const QString& question, const QString& filter = kImportFilter)
{
    if (!dialogs.ask(question))
        return {};
    return dialogs.openFile(
        { QStringLiteral("Open"), filter, QStringLiteral("xls"), QString(), FileKind::CatalogueSet });
}

// The level of a tree node: 0 for top-level nodes.
inline int level(const QTreeWidgetItem* item)
{
    int n = 0;
    for (const QTreeWidgetItem* p = item->parent(); p; p = p->parent())
        ++n;
    return n;
}

}
