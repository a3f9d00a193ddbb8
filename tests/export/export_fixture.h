#pragma once

#include "store/assessment.h"
#include "store/line_list.h"
#include "support/in_use_fixture.h"

#include <initializer_list>
#include <utility>

// A small assessment for the export: requirements and drivers in two
// divisions and two activities, attributes in and out of use, two controls.
namespace ExportFixture {

inline void add(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), value);
    t.post();
}

// An attribute in use is brought into use by the drivers' profiles.
inline void attribute(Assessment& a, const QString& grAtt, const QString& name, const QString& group,
    const QString& description, bool inUse, const QString& tier = QStringLiteral("Security"))
{
    Table& t = a.attribute();
    t.append();
    t.setText(QStringLiteral("GrAtt"), grAtt);
    t.setText(QStringLiteral("Attribute"), name);
    t.setText(QStringLiteral("Group"), group);
    t.setText(QStringLiteral("Description"), description);
    t.setText(QStringLiteral("Tier"), tier);
    t.post();
    if (inUse)
        InUseFixture::bringIntoUse(a, name);
}

// Records are appended out of key order so that the table's order shows.
inline void fill(Assessment& a)
{
    Table& r = a.requirements();
    add(r,
        { { "RSeq", QStringLiteral("BR1.03") }, { "Division", QStringLiteral("North") },
            { "Requirement", QStringLiteral("Plan the year") }, { "Activity", QStringLiteral("Build") },
            { "Source", QStringLiteral("Board") } });
    add(r,
        { { "RSeq", QStringLiteral("BR1.01") }, { "Division", QStringLiteral("North") },
            { "Requirement", QStringLiteral("=1+1") }, { "Activity", QStringLiteral("Build") },
            { "Source", QStringLiteral("Minutes 3\r\nInterview\r\n") } });
    add(r,
        { { "RSeq", QStringLiteral("BR1.02") }, { "Division", QStringLiteral("South") },
            { "Requirement", QStringLiteral("0012") }, { "Activity", QStringLiteral("Run") },
            { "Source", QString() } });
    Table& d = a.drivers();
    add(d,
        { { "CSeq", QStringLiteral("BD2") }, { "Division", QStringLiteral("South") },
            { "Driver", QStringLiteral("Stay open") }, { "Group", QStringLiteral("Edge") },
            { "Activity", QStringLiteral("Run") },
            { "Requirement", LineList::build({ QStringLiteral("BR1.02: 0012") }) } });
    add(d,
        { { "CSeq", QStringLiteral("BD1") }, { "Division", QStringLiteral("North") },
            { "Driver", QStringLiteral("Grow") }, { "Group", QStringLiteral("Core") },
            { "Activity", QStringLiteral("Build") },
            { "Requirement",
                LineList::build({ QStringLiteral("BR1.01: =1+1"), QStringLiteral("BR1.03: Plan the year") }) } });
    attribute(a, QStringLiteral("02Crypto"), QStringLiteral("Crypto"), QStringLiteral("Edge"),
        QStringLiteral("Keys kept\r\napart"), true);
    attribute(
        a, QStringLiteral("01Brand"), QStringLiteral("Brand"), QStringLiteral("Core"), QStringLiteral("Unused"), false);
    attribute(a, QStringLiteral("01Access"), QStringLiteral("Access"), QStringLiteral("Core"),
        QStringLiteral("Who may"), true);
    Table& c = a.controls();
    add(c,
        { { "Id", QStringLiteral("05.01.02") }, { "section_title", QStringLiteral("Policy") },
            { "subsection_title", QStringLiteral("Direction") }, { "subsection", QStringLiteral("Aim\r\nof it") },
            { "control_title", QStringLiteral("Review") }, { "control", QStringLiteral("Review yearly") } });
    add(c,
        { { "Id", QStringLiteral("05.01.01") }, { "section_title", QStringLiteral("Policy") },
            { "subsection_title", QStringLiteral("Direction") }, { "subsection", QStringLiteral("Aim\r\nof it") },
            { "control_title", QStringLiteral("Write") }, { "control", QStringLiteral("Write it down") } });
    // Appended records stay where they were added until the table is re-read,
    // as it is when the store is next opened.
    for (Table* table : { &r, &d, &a.attribute(), &c })
        table->refresh();
}

// The rows each worksheet holds for the fixture with nothing filtered.
inline QList<QStringList> requirementRows()
{
    return { { "ID", "DIVISION", "REQUIREMENT", "ACTIVITY", "REFERENCE" },
        { "BR1.01", "North", "=1+1", "Build", "Minutes 3\nInterview\n" }, { "BR1.02", "South", "0012", "Run" },
        { "BR1.03", "North", "Plan the year", "Build", "Board" } };
}
inline QList<QStringList> driverRows()
{
    return { { "ID", "DIVISION", "DRIVER", "GROUP", "ACTIVITY", "REQUIREMENTS" },
        { "BD1", "North", "Grow", "Core", "Build", "BR1.01: =1+1\nBR1.03: Plan the year\n" },
        { "BD2", "South", "Stay open", "Edge", "Run", "BR1.02: 0012\n" } };
}
inline QList<QStringList> attributeRows()
{
    return { { "GROUP", "ATTRIBUTE", "DESCRIPTION" }, { "Core", "Access", "Who may" },
        { "Edge", "Crypto", "Keys kept\napart" } };
}
inline QList<QStringList> controlRows()
{
    return { { "ID", "SECTION TITLE", "SUBSECTION TITLE", "SUBSECTION", "CONTROL TITLE", "CONTROL" },
        { "05.01.01", "Policy", "Direction", "Aim\nof it", "Write", "Write it down" },
        { "05.01.02", "Policy", "Direction", "Aim\nof it", "Review", "Review yearly" } };
}

}
