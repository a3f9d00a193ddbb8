#include "catalogues/attribute_set_import.h"

#include "catalogues/catalogue_keys.h"
#include "catalogues/import_guard.h"
#include "office/spreadsheet_reader.h"
#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

namespace {

enum class Kind { None, Attribute, BusToTech, TechToSec };

Kind kindOf(const QString& word)
{
    const QString k = CatalogueKeys::asciiUpper(word);
    if (k == QLatin1String("BUSINESS") || k == QLatin1String("TECHNICAL") || k == QLatin1String("SECURITY"))
        return Kind::Attribute;
    if (k == QLatin1String("BUSTOTECH"))
        return Kind::BusToTech;
    if (k == QLatin1String("TECHTOSEC"))
        return Kind::TechToSec;
    return Kind::None;
}

// One link row: its pair key, then the two names.
void addLink(BulkInsert& links, const QString& first, const QString& second)
{
    links.set(0, CatalogueKeys::pairKey(first, second));
    links.set(1, first);
    links.set(2, second);
    links.insert();
}

}

AttributeImportCounts importAttributeSet(Assessment& assessment, const QString& fileName)
{
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(fileName, 5);
    AttributeImportCounts counts;
    Table& attribute = assessment.attribute();
    Table& btAtt = assessment.businessToTechnical();
    Table& tsAtt = assessment.technicalToSecurity();

    int row = 0;
    int column = 0;
    try {
        Store::Transaction tx(assessment.store());
        assessment.emptyTable(attribute);
        // The rows go straight into the store; the tables re-read them once.
        BulkInsert attributes(assessment.store(), attribute.name(),
            { QStringLiteral("Group"), QStringLiteral("Grx"), QStringLiteral("Attribute"), QStringLiteral("GrAtt"),
                QStringLiteral("Tier"), QStringLiteral("Description") });
        BulkInsert busToTech(assessment.store(), btAtt.name(),
            { QStringLiteral("BTAtt"), QStringLiteral("BusAtt"), QStringLiteral("TechAtt") });
        BulkInsert techToSec(assessment.store(), tsAtt.name(),
            { QStringLiteral("TSAtt"), QStringLiteral("TechAtt"), QStringLiteral("SecAtt") });
        // A sheet without an END row ends at its last used row.
        for (row = 1; row <= sheet.lastRow(); ++row) {
            Progress::step("Importing attributes", row, sheet.lastRow());
            column = 1;
            const QString first = sheet.cell(row, 1);
            if (CatalogueKeys::asciiUpper(first) == QLatin1String("END"))
                break;
            if (first.isEmpty())
                continue;
            const QString number = sheet.cell(row, 2);
            const QString name = sheet.cell(row, 3);
            const QString kindWord = sheet.cell(row, 4);
            switch (kindOf(kindWord)) {
            case Kind::Attribute: {
                column = 2;
                const QString key = CatalogueKeys::attributeSortKey(number, name);
                column = 1;
                const QString values[] = { first, number, name, key, kindWord, sheet.cell(row, 5) };
                for (int i = 0; i < 6; ++i)
                    attributes.set(i, values[i]);
                attributes.insert();
                ++counts.attributes;
                break;
            }
            case Kind::BusToTech:
                addLink(busToTech, first, name);
                ++counts.busToTech;
                break;
            case Kind::TechToSec:
                addLink(techToSec, first, name);
                ++counts.techToSec;
                break;
            case Kind::None:
                break; // headings, notes
            }
        }
        row = 0;
        // A sheet that yields nothing is almost surely the wrong file or
        // sheet: refuse rather than leave an empty taxonomy.
        if (counts.attributes + counts.busToTech + counts.techToSec == 0)
            throw QuarrixError(QStringLiteral("the sheet '%1' holds no attribute or link rows; nothing was changed")
                                   .arg(sheet.sheetName()));
        tx.commit();
    } catch (const QuarrixError& e) {
        if (row == 0)
            throw QuarrixError(QStringLiteral("Cannot import '%1': %2").arg(fileName, e.message()));
        const QString cell = columnLetter(column) + QString::number(row);
        throw QuarrixError(QStringLiteral("Cannot import '%1': row %2, cell %3: %4")
                               .arg(fileName, QString::number(row), cell, e.message()));
    }
    for (Table* t : { &attribute, &btAtt, &tsAtt })
        t->refresh();
    attribute.first();
    return counts;
}
