#pragma once

#include "store/assessment.h"

#include <QStringList>
#include <initializer_list>
#include <utility>

// A small assessment with two divisions, whose profiling puts two security
// attributes in use when every driver counts and one when only North's do.
// Twelve controls fall into the objective runs Backup, Checks, Backup, Sites.
namespace SampleAssessment {

inline void add(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), value);
    t.post();
}

inline void fill(Assessment& a)
{
    Table& sys = a.system();
    sys.edit();
    sys.setText(QStringLiteral("AssID"), QStringLiteral("QA-1"));
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Harbour review"));
    sys.setText(QStringLiteral("Description"), QStringLiteral("Line one\r\nLine two"));
    sys.setText(QStringLiteral("Divisions"), QStringLiteral("North\r\nHarbour's Edge\r\n"));
    sys.setText(QStringLiteral("Groups"), QStringLiteral("Core\r\nSupport\r\nOther"));
    sys.post();

    add(a.requirements(),
        { { "RSeq", "BR1.01" }, { "Requirement", "Keep ledgers exact" }, { "Division", "North" },
            { "Priority", "High" }, { "Source", "Plan\r\nReport" }, { "Activity", "Finance" } });
    add(a.requirements(),
        { { "RSeq", "BR1.02" }, { "Requirement", "Serve customers online" }, { "Division", "Harbour's Edge" },
            { "Priority", "Medium" }, { "Activity", "Sales" } });
    add(a.requirements(),
        { { "RSeq", "BR1.03" }, { "Requirement", "Obey the regulator" }, { "Division", "North" }, { "Priority", "Low" },
            { "Activity", "Finance" } });

    add(a.drivers(),
        { { "CSeq", "BD1.01" }, { "Division", "North" }, { "Driver", "Accurate books" }, { "Group", "Core" },
            { "Activity", "Finance" },
            { "Requirement", "BR1.01: Keep ledgers exact\r\nBR1.03: Obey the regulator\r\nBR9.99: Gone\r\n" } });
    add(a.drivers(),
        { { "CSeq", "BD1.02" }, { "Division", "Harbour's Edge" }, { "Driver", "Online service" },
            { "Group", "Support" }, { "Activity", "Sales" }, { "Requirement", "BR1.02: Serve customers online\r\n" } });

    add(a.driverProfiles(), { { "CSeq", "BD1.01" }, { "Attribute", "Accurate" }, { "Priority", "1" } });
    add(a.driverProfiles(), { { "CSeq", "BD1.02" }, { "Attribute", "Available" }, { "Priority", "3" } });

    auto attribute = [&](const char* name, const char* grx, const char* tier, const char* group, QString controls) {
        add(a.attribute(),
            { { "GrAtt", QString::fromLatin1(grx) + QString::fromLatin1(name) },
                { "Attribute", QString::fromLatin1(name) }, { "Grx", QString::fromLatin1(grx) },
                { "Tier", QString::fromLatin1(tier) }, { "Group", QString::fromLatin1(group) },
                { "Description", QStringLiteral("About ") + QString::fromLatin1(name) }, { "SecControls", controls } });
    };
    attribute("Accurate", "01", "Business", "Business", {});
    attribute("Available", "01", "Business", "Business", {});
    attribute("Checked", "02", "Technical", "Technical", {});
    attribute("Redundant", "02", "Technical", "Technical", {});
    attribute("Integrity", "03", "Security", "Protect", QStringLiteral("01.01.01: Backups\r\n01.02.01: Checksums\r\n"));
    attribute("Availability", "03", "Security", "Protect", QStringLiteral("02.01.01: Spare site\r\n"));
    attribute("Privacy", "03", "Security", "Protect", QStringLiteral("01.03.01: Masking\r\n"));

    add(a.businessToTechnical(), { { "BusAtt", "Accurate" }, { "TechAtt", "Checked" } });
    add(a.businessToTechnical(), { { "BusAtt", "Available" }, { "TechAtt", "Redundant" } });
    add(a.technicalToSecurity(), { { "TechAtt", "Checked" }, { "SecAtt", "Integrity" } });
    add(a.technicalToSecurity(), { { "TechAtt", "Redundant" }, { "SecAtt", "Availability" } });

    struct Run {
        const char* prefix;
        int count;
        const char* title;
    };
    for (const Run& run : { Run { "01.01.", 4, "Backup" }, Run { "01.02.", 4, "Checks" }, Run { "01.03.", 2, "Backup" },
             Run { "02.01.", 2, "Sites" } }) {
        for (int i = 1; i <= run.count; ++i) {
            const QString id = QString::fromLatin1(run.prefix) + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0'));
            add(a.controls(),
                { { "Id", id }, { "XId", id.right(5) }, { "section_title", QStringLiteral("S") },
                    { "subsection_title", QString::fromLatin1(run.title) },
                    { "subsection", QStringLiteral("Objective of ") + id },
                    { "control_title", QStringLiteral("Control ") + id },
                    { "control", QStringLiteral("Does ") + id } });
        }
    }

    // Risk entries: Integrity is rated three times, Privacy (not in use) once.
    add(a.appControl(), { { "Application", "Ledger" }, { "Attribute", "Integrity" }, { "Impact", "Low" } });
    add(a.appControl(), { { "Application", "Shop" }, { "Attribute", "Integrity" }, { "Impact", "High" } });
    add(a.appControl(), { { "Application", "Mail" }, { "Attribute", "Integrity" }, { "Impact", "Medium" } });
    add(a.appControl(), { { "Application", "Ledger" }, { "Attribute", "Privacy" }, { "Impact", "Medium" } });
}

}
