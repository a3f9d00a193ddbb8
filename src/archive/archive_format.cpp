#include "archive/archive_format.h"

namespace ArchiveFormat {

namespace {

std::vector<Block> buildBlocks()
{
    using K = ValueKind;
    auto block = [](const char* table, const char* tag, std::vector<Field> fields) {
        const QString name = QString::fromLatin1(tag);
        Block b;
        b.table = QString::fromLatin1(table);
        b.openTag = QLatin1Char('<') + name + QLatin1Char('>');
        b.closeTag = QStringLiteral("</") + name + QLatin1Char('>');
        b.fields = std::move(fields);
        b.openBytes = b.openTag.toLatin1();
        b.closeBytes = b.closeTag.toLatin1();
        b.isRecord = b.table != QLatin1String("System");
        return b;
    };
    Block details = block("ReportDetails", "ReportRecord",
        { { "ReleasedBy", K::Line }, { "Contact", K::Line }, { "Address", K::Line }, { "Commentary", K::Lines },
            { "Disclaimer", K::Lines } });
    details.isRecord = false;
    details.isReportDetails = true;
    Block risks = block("AppControl", "ApplicationRiskRecord",
        { { "Attribute", K::Line }, { "Likelihood", K::Line }, { "Impact", K::Line }, { "Risk", K::Lines } });
    risks.ownerIdField = "AppId";
    risks.ownerNameField = "Application";
    return {
        block("System", "ID", { { "AssID", K::Line } }),
        block("System", "Title", { { "Assessment", K::Line } }),
        block("System", "Description", { { "Description", K::Lines } }),
        block("System", "Enterprise", { { "Enterprise", K::Line } }),
        block("System", "Divisions", { { "Divisions", K::Lines } }),
        block("System", "Activities", { { "Activities", K::Lines } }),
        block("System", "Groups", { { "Groups", K::Lines } }),
        block("System", "Notes", { { "Notepad", K::Lines } }),
        block("System", "SQL",
            { { "SQL-IP", K::Line }, { "SQL-Port", K::Line }, { "SQL-User", K::Line }, { "SQL-Password", K::Line },
                { "SQL-Database", K::Line } }),
        block("Requirements", "RequirementRecord",
            { { "RSeq", K::Line }, { "Requirement", K::Line }, { "Division", K::Line }, { "Priority", K::Line },
                { "Activity", K::Line }, { "Source", K::Lines } }),
        block("Drivers", "DriverRecord",
            { { "CSeq", K::Line }, { "Driver", K::Line }, { "Division", K::Line }, { "Activity", K::Line },
                { "Group", K::Line }, { "Requirement", K::Lines } }),
        block("Attribute", "AttributeRecord",
            { { "GrAtt", K::Line }, { "Attribute", K::Line }, { "Group", K::Line }, { "Tier", K::Line },
                { "Grx", K::Line }, { "Description", K::Lines }, { "Profile", K::Lines }, { "SecObjectives", K::Lines },
                { "SecControls", K::Lines } }),
        block("BTAtt", "BTAttRecord", { { "BTAtt", K::Line }, { "BusAtt", K::Line }, { "TechAtt", K::Line } }),
        block("TSAtt", "TSAttRecord", { { "TSAtt", K::Line }, { "TechAtt", K::Line }, { "SecAtt", K::Line } }),
        block("DrAtt", "DriverAttributeRecord",
            { { "CSeq", K::Line }, { "Attribute", K::Line }, { "Priority", K::Number } }),
        block("Controls", "ControlRecord",
            { { "Id", K::Line }, { "XId", K::Line }, { "section_title", K::Line }, { "subsection_title", K::Line },
                { "subsection", K::Lines }, { "control_title", K::Line }, { "control", K::Lines } }),
        block("Applications", "ApplicationRecord",
            { { "Application", K::Line }, { "Domain", K::Line }, { "Owner", K::Line }, { "Division", K::Line },
                { "Description", K::Lines }, { "SecAtt", K::Lines } }),
        risks,
        details,
    };
}

}

const std::vector<Block>& blocks()
{
    static const std::vector<Block> all = buildBlocks();
    return all;
}

const Block* blockOpenedBy(QByteArrayView line)
{
    // Most lines are values: only a line starting with '<' can be a tag.
    if (line.isEmpty() || line.front() != '<')
        return nullptr;
    // The tags are ASCII, which both encodings of archives write as one byte each.
    for (const Block& b : blocks())
        if (QByteArrayView(b.openBytes) == line)
            return &b;
    return nullptr;
}

const Block* owner(const Block& block)
{
    if (!block.belongsToPrevious())
        return nullptr;
    const std::vector<Block>& all = blocks();
    for (size_t i = 1; i < all.size(); ++i)
        if (&all[i] == &block)
            return &all[i - 1];
    return nullptr;
}

bool owns(const Block& block)
{
    const std::vector<Block>& all = blocks();
    for (size_t i = 0; i + 1 < all.size(); ++i)
        if (&all[i] == &block)
            return all[i + 1].belongsToPrevious();
    return false;
}

QByteArrayView terminator(const Block& block, size_t fieldIndex)
{
    static const QByteArray endOfValue = kEndOfValue.toLatin1();
    return fieldIndex + 1 == block.fields.size() ? QByteArrayView(block.closeBytes) : QByteArrayView(endOfValue);
}

}
