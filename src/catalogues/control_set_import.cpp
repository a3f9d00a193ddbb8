#include "catalogues/control_set_import.h"

#include "catalogues/control_origin.h"
#include "catalogues/control_set_row.h"
#include "catalogues/oscal_catalog.h"
#include "office/spreadsheet_reader.h"
#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <array>

namespace {

constexpr int kFields = 7; // Id, XId, section_title, subsection_title, subsection, control_title, control

// The identifiers longer than the XId field, gathered as the rows go into
// the store and kept as UTF-8 text, as the note the import gives.
class CutIdentifiers {
public:
    explicit CutIdentifiers(Assessment& assessment)
    {
        const TableDef& def = assessment.controls().def();
        m_width = def.fields[size_t(def.fieldIndex(QStringLiteral("XId")))].width;
    }
    void check(const QString& xid)
    {
        if (xid.size() > m_width && xid.toUcs4().size() > m_width)
            list(xid.toUtf8());
    }
    void check(QByteArrayView xid)
    {
        // A code point starts with any byte but a continuation byte.
        if (xid.size() > m_width && std::count_if(xid.begin(), xid.end(), [](char c) {
                return (static_cast<uchar>(c) & 0xC0) != 0x80;
            }) > m_width)
            list(xid);
    }
    QString note() const
    {
        if (m_count == 0)
            return {};
        return QStringLiteral("%1 %2 longer than %3 characters %4 cut: %5")
            .arg(m_count)
            .arg(m_count == 1 ? QStringLiteral("identifier") : QStringLiteral("identifiers"))
            .arg(m_width)
            .arg(m_count == 1 ? QStringLiteral("was") : QStringLiteral("were"), QString::fromUtf8(m_names));
    }

private:
    void list(QByteArrayView xid)
    {
        if (m_count++ > 0)
            m_names += ' ';
        m_names += xid;
    }
    int m_width = 0;
    qint64 m_count = 0;
    QByteArray m_names;
};

void setField(BulkInsert& insert, int position, const QString& text)
{
    insert.set(position, text);
}

void setField(BulkInsert& insert, int position, QByteArrayView utf8)
{
    insert.setUtf8(position, utf8);
}

// Replaces every Controls record with `count` rows, in one transaction, the
// fields of each as rowAt(index) gives them (as QStrings or UTF-8); an empty
// library reference takes the Id. Remembers the catalog the rows came from
// (none for a spreadsheet). The rows go straight into the store; the table
// re-reads them once.
template <class RowAt>
int writeControls(Assessment& assessment, const QString& fileName, int count, RowAt&& rowAt,
    const OscalCatalogOrigin* origin, QString* cutNote)
{
    Table& controls = assessment.controls();
    CutIdentifiers cut(assessment);
    int row = 0;
    try {
        Store::Transaction tx(assessment.store());
        assessment.emptyTable(controls);
        BulkInsert insert(assessment.store(), controls.name(),
            { QStringLiteral("Id"), QStringLiteral("XId"), QStringLiteral("section_title"),
                QStringLiteral("subsection_title"), QStringLiteral("subsection"), QStringLiteral("control_title"),
                QStringLiteral("control") });
        std::vector<qint64> rowIds;
        for (int index = 0; index < count; ++index) {
            row = index + 1;
            Progress::step("Importing controls", row, count);
            const auto values = rowAt(index);
            for (int i = 0; i < kFields; ++i)
                setField(insert, i, i == 1 && values[1].isEmpty() ? values[0] : values[size_t(i)]);
            cut.check(values[1].isEmpty() ? values[0] : values[1]);
            // A catalog's rows are remembered by their row ids; a sheet's go
            // in many to a statement.
            if (origin)
                rowIds.push_back(insert.insert());
            else
                insert.add();
        }
        insert.flush(); // a failure here names the last row
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
    if (cutNote)
        *cutNote = cut.note();
    return count;
}

// The sheet's rows from row 1 up to the first whose column 1 is empty, read
// as the sheet holds them (UTF-8), without a copy. An empty first cell would
// make an empty catalogue: that sheet is refused before anything is touched.
int importSheet(Assessment& assessment, const QString& fileName, QString* cutNote)
{
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(fileName, kFields);
    if (sheet.cellUtf8(1, 1).isEmpty())
        throw QuarrixError(QStringLiteral(
            "Cannot import '%1': the sheet '%2' holds no controls (cell A1 is empty); nothing was changed")
                               .arg(fileName, sheet.sheetName()));
    int rows = 0;
    while (!sheet.cellUtf8(rows + 1, 1).isEmpty())
        ++rows;
    return writeControls(
        assessment, fileName, rows,
        [&sheet](int index) {
            std::array<QByteArrayView, kFields> values;
            sheet.rowUtf8(index + 1, values.data(), kFields);
            return values;
        },
        nullptr, cutNote);
}

}

int importControlSet(Assessment& assessment, const QString& fileName, QString* cutNote)
{
    if (!OscalCatalog::isCatalogFile(fileName))
        return importSheet(assessment, fileName, cutNote);
    // A catalog's rows remember where they came from.
    OscalCatalogOrigin origin;
    const ControlSetRows rows = OscalCatalog::readControlRows(fileName, {}, &origin);
    return writeControls(
        assessment, fileName, int(rows.size()),
        [&rows](int index) {
            const ControlSetRow& r = rows[size_t(index)];
            return std::array<QString, kFields> { r.id, r.xid, r.sectionTitle, r.subsectionTitle, r.subsection,
                r.controlTitle, r.control };
        },
        &origin, cutNote);
}
