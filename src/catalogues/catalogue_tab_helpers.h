#pragma once

#include "gui/data_grid.h"
#include "gui/dialogs.h"
#include "store/table.h"

#include <QString>

// Small helpers shared by the two catalogue tabs.
namespace CatalogueTab {

inline const QString kRecordAdded = QStringLiteral("Record added             ");
inline const QString kDeleted = QStringLiteral("Deleted                ");
// Spreadsheets first, so the .xlsx starter sets are listed.
inline const QString kImportFilter = kSpreadsheetSetFilter;

// The window's tables go before its widgets when it closes; a grid lets go of
// its table then, so that hiding it no longer asks the table for rows.
inline void releaseOnTableEnd(DataGrid* grid)
{
    QObject::connect(&grid->table(), &QObject::destroyed, grid, [grid] { grid->setModel(nullptr); });
}

// Asks the replace question, then for the set to import. Empty when the
// analyst declined or cancelled.
inline QString chooseImportFile(Dialogs& dialogs, const QString& question, const QString& filter = kImportFilter)
{
    if (!dialogs.ask(question))
        return {};
    Dialogs::FileRequest request;
    request.title = QStringLiteral("Open");
    request.filter = filter;
    request.defaultSuffix = QStringLiteral("xlsx");
    request.kind = FileKind::CatalogueSet;
    return dialogs.openFile(request);
}

}
