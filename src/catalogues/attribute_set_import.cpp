#include "catalogues/attribute_set_import.h"

#include "catalogues/catalogue_keys.h"
#include "catalogues/import_guard.h"
#include "office/spreadsheet_reader.h"
#include "store/assessment.h"
#include "store/bulk_insert.h"
#include "store/line_list.h"
#include "store/progress.h"
#include "store/quarrix_error.h"
#include "store/schema.h"
#include "store/table_expressions.h"

#include <QHash>
#include <QSet>
#include <algorithm>

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

// What the assessment gave one attribute.
struct Given {
    QString objectives, controls, profile;
    bool any() const { return !objectives.isEmpty() || !controls.isEmpty() || !profile.isEmpty(); }
};

// For each attribute name, what the first row of that name in key order
// that has anything was given.
QHash<QString, Given> givenByName(Store& store)
{
    QHash<QString, Given> given;
    static const QString byKey
        = QStringLiteral("SELECT Attribute, SecObjectives, SecControls, Profile FROM Attribute ORDER BY ")
        + TableExpressions::orderClause(*Schema::find(QStringLiteral("Attribute")), {});
    store.cached(byKey).eachRow([&](SqlStatement& s) {
        const QString name = s.text(0);
        Given g { s.text(1), s.text(2), s.text(3) };
        if (!given.value(name).any())
            given.insert(name, g);
    });
    return given;
}

QString count(int n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromLatin1(n == 1 ? one : many));
}

}

AttributeSet readAttributeSet(const QString& fileName)
{
    AttributeSet set;
    set.fileName = fileName;
    const SheetCells sheet = SpreadsheetReader::readActiveSheet(fileName, 5);
    int row = 0;
    int column = 0;
    try {
        // A sheet without an END row ends at its last used row.
        for (row = 1; row <= sheet.lastRow(); ++row) {
            Progress::step("Reading attributes", row, sheet.lastRow());
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
                set.attributes.push_back({ first, number, name, key, kindWord, sheet.cell(row, 5) });
                break;
            }
            case Kind::BusToTech:
                set.busToTech.emplace_back(first, name);
                break;
            case Kind::TechToSec:
                set.techToSec.emplace_back(first, name);
                break;
            case Kind::None:
                break; // headings, notes
            }
        }
        row = 0;
        // A sheet that yields nothing is almost surely the wrong file or
        // sheet: refuse rather than leave an empty taxonomy.
        if (set.attributes.empty() && set.busToTech.empty() && set.techToSec.empty())
            throw QuarrixError(QStringLiteral("the sheet '%1' holds no attribute or link rows; nothing was changed")
                                   .arg(sheet.sheetName()));
    } catch (const QuarrixError& e) {
        if (row == 0)
            throw QuarrixError(QStringLiteral("Cannot import '%1': %2").arg(fileName, e.message()));
        const QString cell = columnLetter(column) + QString::number(row);
        throw QuarrixError(QStringLiteral("Cannot import '%1': row %2, cell %3: %4")
                               .arg(fileName, QString::number(row), cell, e.message()));
    }
    return set;
}

std::vector<DroppedAttribute> droppedAttributes(Assessment& assessment, const AttributeSet& set)
{
    Store& store = assessment.store();
    QSet<QString> kept;
    for (const AttributeSet::Attribute& a : set.attributes)
        kept.insert(a.name);
    QHash<QString, int> profileRows;
    store.cached(QStringLiteral("SELECT Attribute, COUNT(*) FROM DrAtt GROUP BY Attribute"))
        .eachRow([&](SqlStatement& s) { profileRows.insert(s.text(0), int(s.columnInt64(1))); });
    std::vector<DroppedAttribute> dropped;
    const QHash<QString, Given> given = givenByName(store);
    for (auto it = given.cbegin(); it != given.cend(); ++it) {
        if (kept.contains(it.key()))
            continue;
        const DroppedAttribute d { it.key(), int(LineList::split(it->objectives).size()),
            int(LineList::split(it->controls).size()), !it->profile.isEmpty(), profileRows.value(it.key()) };
        if (d.objectives + d.controls + d.profileRows > 0 || d.profile)
            dropped.push_back(d);
    }
    std::sort(dropped.begin(), dropped.end(),
        [](const DroppedAttribute& x, const DroppedAttribute& y) { return x.name < y.name; });
    return dropped;
}

QString dropQuestion(const std::vector<DroppedAttribute>& dropped)
{
    QStringList lines;
    for (const DroppedAttribute& d : dropped) {
        QStringList what;
        if (d.objectives)
            what << count(d.objectives, "objective", "objectives");
        if (d.controls)
            what << count(d.controls, "control", "controls");
        if (d.profile)
            what << QStringLiteral("profile text");
        if (d.profileRows)
            what << count(d.profileRows, "driver profile row", "driver profile rows");
        lines << QStringLiteral("%1 (%2)").arg(d.name, what.join(QStringLiteral(", ")));
    }
    return QStringLiteral("%1 that the assessment uses %2 not in the new set: %3.\n\nTheir objectives, controls and "
                          "profile text are lost; driver profile rows stay but name no attribute. Import anyway?")
        .arg(count(int(dropped.size()), "attribute", "attributes"),
            dropped.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"), lines.join(QStringLiteral("; ")));
}

QString AttributeImportCounts::summary() const
{
    QString text = QStringLiteral("Attribute set imported: %1, %2 and %3")
                       .arg(count(attributes, "attribute", "attributes"), count(busToTech, "BTAtt link", "BTAtt links"),
                           count(techToSec, "TSAtt link", "TSAtt links"));
    if (carried > 0)
        text += QStringLiteral("; %1 kept objectives, controls or profile text")
                    .arg(count(carried, "attribute", "attributes"));
    if (dropped > 0)
        text += QStringLiteral("; %1 dropped").arg(count(dropped, "attribute", "attributes"));
    return text;
}

AttributeImportCounts importAttributeSet(Assessment& assessment, const AttributeSet& set)
{
    AttributeImportCounts counts;
    Store& store = assessment.store();
    Table& attribute = assessment.attribute();
    Table& btAtt = assessment.businessToTechnical();
    Table& tsAtt = assessment.technicalToSecurity();
    try {
        Store::Transaction tx(store);
        counts.dropped = int(droppedAttributes(assessment, set).size());
        const QHash<QString, Given> given = givenByName(store);
        for (Table* t : { &attribute, &btAtt, &tsAtt })
            assessment.emptyTable(*t);
        // The rows go straight into the store; the tables re-read them once.
        BulkInsert attributes(store, attribute.name(),
            { QStringLiteral("Group"), QStringLiteral("Grx"), QStringLiteral("Attribute"), QStringLiteral("GrAtt"),
                QStringLiteral("Tier"), QStringLiteral("Description"), QStringLiteral("SecObjectives"),
                QStringLiteral("SecControls"), QStringLiteral("Profile") });
        BulkInsert busToTech(
            store, btAtt.name(), { QStringLiteral("BTAtt"), QStringLiteral("BusAtt"), QStringLiteral("TechAtt") });
        BulkInsert techToSec(
            store, tsAtt.name(), { QStringLiteral("TSAtt"), QStringLiteral("TechAtt"), QStringLiteral("SecAtt") });
        QSet<QString> carried;
        for (const AttributeSet::Attribute& a : set.attributes) {
            const Given g = given.value(a.name);
            if (g.any())
                carried.insert(a.name);
            const QString values[] = { a.group, a.sequence, a.name, a.sortKey, a.tier, a.description, g.objectives,
                g.controls, g.profile };
            for (int i = 0; i < 9; ++i)
                attributes.set(i, values[i]);
            attributes.insert();
        }
        for (const auto& [first, second] : set.busToTech)
            addLink(busToTech, first, second);
        for (const auto& [first, second] : set.techToSec)
            addLink(techToSec, first, second);
        tx.commit();
        counts.attributes = int(set.attributes.size());
        counts.busToTech = int(set.busToTech.size());
        counts.techToSec = int(set.techToSec.size());
        counts.carried = int(carried.size());
    } catch (const QuarrixError& e) {
        throw QuarrixError(QStringLiteral("Cannot import '%1': %2").arg(set.fileName, e.message()));
    }
    for (Table* t : { &attribute, &btAtt, &tsAtt })
        t->refresh();
    attribute.first();
    return counts;
}

AttributeImportCounts importAttributeSet(Assessment& assessment, const QString& fileName)
{
    return importAttributeSet(assessment, readAttributeSet(fileName));
}
