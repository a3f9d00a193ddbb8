#include "store/schema.h"

int TableDef::fieldIndex(const QString& fieldName) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

namespace {

FieldDef text(const char* name, int width)
{
    return { QString::fromLatin1(name), FieldType::Text, width };
}
FieldDef memo(const char* name)
{
    return { QString::fromLatin1(name), FieldType::Memo, 0 };
}
FieldDef boolean(const char* name)
{
    return { QString::fromLatin1(name), FieldType::Boolean, 0 };
}
FieldDef word(const char* name)
{
    return { QString::fromLatin1(name), FieldType::Word, 0 };
}
FieldDef later(FieldDef f)
{
    f.addedLater = true;
    return f;
}
// A setting of this computer or a mark the program derives: not the
// analyst's work, so a change leaves the work's archived mark alone.
FieldDef notWork(FieldDef f)
{
    f.work = false;
    return f;
}

std::vector<TableDef> buildTables()
{
    std::vector<TableDef> t;
    t.push_back({ QStringLiteral("System"),
        { notWork(boolean("AutoControl")), notWork(text("AutoControlFile", 80)), notWork(boolean("AutoAttribute")),
            notWork(text("AutoAttributeFile", 80)), text("AssID", 32), text("Assessment", 64), memo("Description"),
            text("Enterprise", 50), memo("Divisions"), memo("Groups"), memo("Activities"), memo("Notepad"),
            notWork(text("SQL-IP", 253)), notWork(text("SQL-Port", 5)), notWork(text("SQL-User", 32)),
            notWork(text("SQL-Password", 64)), notWork(text("SQL-Database", 32)),
            notWork(later(text("SQL-Driver", 64))) },
        {} });
    t.push_back({ QStringLiteral("Requirements"),
        { text("RSeq", 8), text("Requirement", 80), text("Division", 64), text("Priority", 8), memo("Source"),
            text("Activity", 32) },
        { QStringLiteral("RSeq") } });
    t.push_back({ QStringLiteral("Drivers"),
        { text("Division", 64), memo("Requirement"), text("Driver", 80), text("CSeq", 8), text("Group", 32),
            text("Activity", 32) },
        { QStringLiteral("CSeq") } });
    t.push_back({ QStringLiteral("DrAtt"),
        { text("CSeq", 8), text("Attribute", 16), word("Priority"), text("Measure", 80) }, {} });
    t.push_back({ QStringLiteral("Attribute"),
        { text("GrAtt", 18), text("Attribute", 16), text("Group", 32), text("Grx", 2), memo("Description"),
            notWork(boolean("InUse")), memo("SecObjectives"), memo("SecControls"), text("Tier", 9), memo("Profile") },
        { QStringLiteral("GrAtt") } });
    t.push_back({ QStringLiteral("BTAtt"), { text("BTAtt", 32), text("BusAtt", 16), text("TechAtt", 16) }, {} });
    t.push_back({ QStringLiteral("TSAtt"), { text("TSAtt", 32), text("TechAtt", 16), text("SecAtt", 16) }, {} });
    t.push_back({ QStringLiteral("Controls"),
        { text("Id", 8), text("XId", 8), text("section_title", 64), text("subsection_title", 64), memo("subsection"),
            text("control_title", 64), memo("control"), notWork(boolean("InUse")) },
        { QStringLiteral("Id") } });
    t.push_back({ QStringLiteral("Applications"),
        { text("Application", 32), text("Domain", 32), text("Owner", 32), memo("Description"), text("Division", 64),
            memo("SecAtt") },
        {} });
    // Risk entries of the Applications tab: one row per application and attribute.
    // AppId is the application's row id in Applications (names need not be unique).
    t.push_back({ QStringLiteral("AppControl"),
        { text("Application", 32), text("Attribute", 16), memo("Risk"), text("Likelihood", 8), text("Impact", 8),
            later(text("AppId", 20)) },
        {} });
    t.push_back({ QStringLiteral("IDDR"), { text("IDDR", 16), text("id", 8), text("cseq", 8) },
        { QStringLiteral("IDDR") }, false });
    return t;
}

}

namespace Schema {

const std::vector<TableDef>& tables()
{
    static const std::vector<TableDef> all = buildTables();
    return all;
}

const TableDef* find(const QString& tableName)
{
    for (const TableDef& def : tables())
        if (def.name.compare(tableName, Qt::CaseInsensitive) == 0)
            return &def;
    return nullptr;
}

}
