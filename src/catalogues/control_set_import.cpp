#include "catalogues/control_set_import.h"

#include "catalogues/control_origin.h"
#include "catalogues/control_set_row.h"
#include "catalogues/oscal_catalog.h"
#include "office/spreadsheet_reader.h"
#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

namespace {

// The sheet's rows from row 1 up to the first whose column 1 is empty. An
// empty first cell would make an empty catalogue: that sheet is refused before
// anything is touched.
ControlSetRows rowsOfSheet(const QString& fileName, const SheetCells& sheet)
{
    if (sheet.cell(1, 1).isEmpty())
        throw QuarrixError(QStringLiteral(
            "Cannot import '%1': the sheet '%2' holds no controls (cell A1 is empty); nothing was changed")
                               .arg(fileName, sheet.sheetName()));
    ControlSetRows rows;
    for (int row = 1; !sheet.cell(row, 1).isEmpty(); ++row)
        rows.push_back({ sheet.cell(row, 1), sheet.cell(row, 2), sheet.cell(row, 3), sheet.cell(row, 4),
            sheet.cell(row, 5), sheet.cell(row, 6), sheet.cell(row, 7) });
    return rows;
}

// Replaces every Controls record with the rows, in one transaction, and
// remembers the catalog they came from (none for a spreadsheet). The rows go
// straight into the store; the table re-reads them once.
int writeControls(
    Assessment& assessment, const QString& fileName, const ControlSetRows& rows, const OscalCatalogOrigin* origin)
{
    Table& controls = assessment.controls();
    int row = 0;
    try {
        Store::Transaction tx(assessment.store());
        assessment.emptyTable(controls);
        BulkInsert insert(assessment.store(), controls.name(),
            { QStringLiteral("Id"), QStringLiteral("XId"), QStringLiteral("section_title"),
                QStringLiteral("subsection_title"), QStringLiteral("subsection"), QStringLiteral("control_title"),
                QStringLiteral("control") });
        std::vector<qint64> rowIds;
        rowIds.reserve(rows.size());
        for (const ControlSetRow& r : rows) {
            ++row;
            Progress::step("Importing controls", row, qint64(rows.size()));
            // No library reference: the Id stands for it.
            const QString values[] = { r.id, r.xid.isEmpty() ? r.id : r.xid, r.sectionTitle, r.subsectionTitle,
                r.subsection, r.controlTitle, r.control };
            for (int i = 0; i < 7; ++i)
                insert.set(i, values[i]);
            rowIds.push_back(insert.insert());
        }
        row = 0;
        if (origin)
            ControlOrigin::remember(assessment.store(), *origin, rowIds);
        else
            ControlOrigin::forget(assessment.store());
        tx.commit();
    } catch (const QuarrixError& e) {
        if (row == 0)
            throw QuarrixError(QStringLiteral("Cannot import '%1': %2").arg(fileName, e.message()));
        throw QuarrixError(
            QStringLiteral("Cannot import '%1': row %2: %3").arg(fileName, QString::number(row), e.message()));
    }
    controls.refresh();
    controls.first();
    return int(rows.size());
}

// The identifiers longer than the XId field, as the note the import gives.
QString cutIdentifiersNote(Assessment& assessment, const ControlSetRows& rows)
{
    const TableDef& def = assessment.controls().def();
    const int width = def.fields[size_t(def.fieldIndex(QStringLiteral("XId")))].width;
    QStringList cut;
    for (const ControlSetRow& r : rows) {
        const QString& xid = r.xid.isEmpty() ? r.id : r.xid;
        if (xid.size() > width && xid.toUcs4().size() > width)
            cut << xid;
    }
    if (cut.isEmpty())
        return {};
    return QStringLiteral("%1 %2 longer than %3 characters %4 cut: %5")
        .arg(cut.size())
        .arg(cut.size() == 1 ? QStringLiteral("identifier") : QStringLiteral("identifiers"))
        .arg(width)
        .arg(cut.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"), cut.join(QLatin1Char(' ')));
}

}

int importControlSet(Assessment& assessment, const QString& fileName, QString* cutNote)
{
    // A spreadsheet has no catalog behind it; a catalog's rows remember theirs.
    const bool catalog = OscalCatalog::isCatalogFile(fileName);
    OscalCatalogOrigin origin;
    const ControlSetRows rows = catalog ? OscalCatalog::readControlRows(fileName, {}, &origin)
                                        : rowsOfSheet(fileName, SpreadsheetReader::readActiveSheet(fileName, 7));
    const int written = writeControls(assessment, fileName, rows, catalog ? &origin : nullptr);
    if (cutNote)
        *cutNote = cutIdentifiersNote(assessment, rows);
    return written;
}
