#include "catalogues/control_set_import.h"

#include "catalogues/import_guard.h"
#include "office/spreadsheet_reader.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

int importControlSet(Assessment& assessment, const QString& fileName)
{
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(fileName, 7);
    Table& controls = assessment.controls();
    static const char* const fields[]
        = { "Id", "XId", "section_title", "subsection_title", "subsection", "control_title", "control" };
    int made = 0;
    int row = 0;
    try {
        Store::Transaction tx(assessment.store());
        {
            const DisplaySuspended suspended { &controls };
            assessment.emptyTable(controls);
            // The first row whose column 1 is empty ends the set.
            for (row = 1; !sheet.cell(row, 1).isEmpty(); ++row) {
                controls.append();
                for (int column = 1; column <= 7; ++column) {
                    QString value = sheet.cell(row, column);
                    if (column == 2 && value.isEmpty())
                        value = sheet.cell(row, 1); // no library reference: the Id stands for it
                    controls.setText(QString::fromLatin1(fields[column - 1]), value);
                }
                controls.post();
                ++made;
            }
            row = 0;
            controls.refresh();
        }
        tx.commit();
    } catch (const QuarrixError& e) {
        if (row == 0)
            throw QuarrixError(QStringLiteral("Cannot import '%1': %2").arg(fileName, e.message()));
        throw QuarrixError(
            QStringLiteral("Cannot import '%1': row %2: %3").arg(fileName, QString::number(row), e.message()));
    }
    controls.first();
    return made;
}
