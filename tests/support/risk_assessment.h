#pragma once

#include "analysis/security_risk_store.h"
#include "store/assessment.h"
#include "support/table_rows.h"

#include <QString>
#include <tuple>
#include <utility>

// A small assessment for the requirements at risk: two divisions, a driver
// with no division, risk entries of every level (one unrated) and a security
// attribute without controls.
//
// Each business attribute Bx reaches the security attribute Sx (through the
// technical attribute Tx). Security attributes (group Protect): SA, SB, SC,
// SE, SF with one control each, SD without.
// Requirements (division): R1, R2, R5 North; R3, R6 South; R4 none.
// Drivers (division; requirement lines; profile rows with priority):
//   D1 North; R1; BA 1, BB 3       D4 North; R2; BD 2, BF 2
//   D2 South; R3; BB 1, BC 2       D5 North; R5; BE 1
//   D3 none;  R4; BC 2             D6 South; R6; BD 1
// Applications: Portal (North) and Ledger (South), with the risk entries
//   Portal SA High/High (9)        Ledger SC Low/Low (1)
//   Portal SB Medium/Medium (4)    Ledger SE Severe/High (unrated)
//   Ledger SB Low/High (3)         Ledger SF Low/High (3)
// So, under "All": R1 (9, priority 1), R3 (4, priority 1), then without
// controls only R6 (SD, priority 1) and R2 (SD, priority 2, worst entry 3);
// R4 (score 1) and R5 (unrated) are not at risk.
namespace RiskAssessment {

inline void build(Assessment& a)
{
    Table& sys = a.system();
    sys.first();
    sys.edit();
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Risk review"));
    sys.setText(QStringLiteral("Enterprise"), QStringLiteral("Harbour Ltd"));
    sys.setText(QStringLiteral("Divisions"), QStringLiteral("North\r\nSouth\r\n"));
    sys.setText(QStringLiteral("Groups"), QStringLiteral("Core\r\n"));
    sys.setText(QStringLiteral("Activities"), QStringLiteral("Audit\r\n"));
    sys.post();

    for (auto [id, division] : { std::pair { "R1", "North" }, { "R2", "North" }, { "R3", "South" }, { "R4", "" },
             { "R5", "North" }, { "R6", "South" } })
        addRow(a.requirements(),
            { { "RSeq", id }, { "Requirement", QStringLiteral("Need %1").arg(QLatin1String(id)) },
                { "Division", division }, { "Activity", "Audit" } });
    for (auto [id, division, requirement] : { std::tuple { "D1", "North", "R1" }, { "D2", "South", "R3" },
             { "D3", "", "R4" }, { "D4", "North", "R2" }, { "D5", "North", "R5" }, { "D6", "South", "R6" } })
        addRow(a.drivers(),
            { { "CSeq", id }, { "Driver", QStringLiteral("Drive %1").arg(QLatin1String(id)) }, { "Division", division },
                { "Group", "Core" }, { "Activity", "Audit" },
                { "Requirement", QStringLiteral("%1: Need %1\r\n").arg(QLatin1String(requirement)) } });

    int order = 1;
    for (const char* x : { "A", "B", "C", "D", "E", "F" }) {
        const QString letter = QLatin1String(x);
        addRow(a.attribute(),
            { { "GrAtt", QStringLiteral("01S") + letter }, { "Attribute", QStringLiteral("S") + letter },
                { "Group", "Protect" }, { "Tier", "Security" },
                { "Description", QStringLiteral("Security %1").arg(letter) },
                { "SecControls",
                    letter == QLatin1String("D")
                        ? QString()
                        : QStringLiteral("0%1.01.01: Control %2\r\n").arg(order).arg(letter) } });
        addRow(a.attribute(),
            { { "GrAtt", QStringLiteral("06T") + letter }, { "Attribute", QStringLiteral("T") + letter },
                { "Group", "Tech" }, { "Tier", "Technical" } });
        addRow(a.attribute(),
            { { "GrAtt", QStringLiteral("07B") + letter }, { "Attribute", QStringLiteral("B") + letter },
                { "Group", "Business" }, { "Tier", "Business" } });
        addRow(a.businessToTechnical(),
            { { "BusAtt", QStringLiteral("B") + letter }, { "TechAtt", QStringLiteral("T") + letter } });
        addRow(a.technicalToSecurity(),
            { { "TechAtt", QStringLiteral("T") + letter }, { "SecAtt", QStringLiteral("S") + letter } });
        addRow(a.controls(),
            { { "Id", QStringLiteral("0%1.01.01").arg(order) },
                { "control_title", QStringLiteral("Control %1").arg(letter) },
                { "control", QStringLiteral("Do %1").arg(letter) } });
        ++order;
    }
    for (auto [cseq, attribute, priority] :
        { std::tuple { "D1", "BA", 1 }, { "D1", "BB", 3 }, { "D2", "BB", 1 }, { "D2", "BC", 2 }, { "D3", "BC", 2 },
            { "D4", "BD", 2 }, { "D4", "BF", 2 }, { "D5", "BE", 1 }, { "D6", "BD", 1 } }) {
        Table& t = a.driverProfiles();
        t.append();
        t.setText(QStringLiteral("CSeq"), QString::fromLatin1(cseq));
        t.setText(QStringLiteral("Attribute"), QString::fromLatin1(attribute));
        t.setInteger(QStringLiteral("Priority"), priority);
        t.post();
    }

    addRow(a.applications(), { { "Application", "Portal" }, { "Division", "North" } });
    const qint64 portal = a.applications().currentRowId();
    addRow(a.applications(), { { "Application", "Ledger" }, { "Division", "South" } });
    const qint64 ledger = a.applications().currentRowId();
    for (auto [app, name, attribute, likelihood, impact, text] :
        { std::tuple { portal, "Portal", "SA", "High", "High", "Outage of the portal" },
            { portal, "Portal", "SB", "Medium", "Medium", "Slow pages" }, { ledger, "Ledger", "SB", "Low", "High", "" },
            { ledger, "Ledger", "SC", "Low", "Low", "" }, { ledger, "Ledger", "SE", "Severe", "High", "Odd rating" },
            { ledger, "Ledger", "SF", "Low", "High", "Lost ledger" } })
        RiskStore::write(a, app, QString::fromLatin1(name), QString::fromLatin1(attribute),
            { QString::fromLatin1(text), QString::fromLatin1(likelihood), QString::fromLatin1(impact) });
    for (Table* t : { &a.requirements(), &a.drivers(), &a.attribute(), &a.controls(), &a.driverProfiles() })
        t->first();
}

}
