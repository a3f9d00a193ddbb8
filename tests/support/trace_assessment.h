#pragma once

#include "analysis/profile_store.h"
#include "store/assessment.h"

#include <QString>
#include <initializer_list>
#include <utility>

// A small assessment whose profiles name business attributes only, as the
// Business Attributes tab writes them, so that every security attribute in
// use is reached through BTAtt and TSAtt.
//
// Divisions North and South. Requirements: North BR1.01, BR1.02, BR1.03 (no
// driver names it); South BR2.01, BR2.02 (no driver names it).
// Drivers (activity): North BD1.01 Trustworthy books (Audit; BR1.01, BR1.02),
// BD1.02 Quick service (Service; BR1.02); South BD2.01 Reliable shipping
// (Service; BR2.01 and a line without a colon), BD2.02 Idle driver (Audit;
// no lines, only a priority 0 row).
// Chains: Accurate > Validated > Integrity, Traceability; Responsive > Scaled
// > Availability, Resilience; Punctual > Scheduled > Availability,
// Traceability (so Availability and Traceability are each reached from two
// business attributes); Lonely > Dangling > nothing; Branded maps to nothing.
// DrAtt rows in stored order: BD1.01 Accurate 1, BD1.01 Responsive 3, BD1.02
// Responsive 2, BD1.02 Lonely 2, BD2.01 Punctual 1, BD2.01 Branded 0, BD2.02
// Accurate 0.
// Security attributes (group): Integrity, Traceability (Protect);
// Availability, Resilience (Operate, Resilience without controls);
// Confidentiality (Protect, never reached). Control entries hold one without
// a colon ("Review quarterly", Integrity) and one identifier missing from the
// catalogue (09.09.09, Traceability).
namespace TraceAssessment {

inline void add(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), value);
    t.post();
}

// A profile row with a priority the Business Attributes tab never writes.
inline void addUnusualProfile(Assessment& a, const QString& cseq, const QString& attribute, const QVariant& priority)
{
    Table& t = a.driverProfiles();
    t.append();
    t.setText(QStringLiteral("CSeq"), cseq);
    t.setText(QStringLiteral("Attribute"), attribute);
    if (priority.isValid())
        t.setInteger(QStringLiteral("Priority"), priority.toInt());
    t.post();
}

inline void build(Assessment& a)
{
    Table& sys = a.system();
    sys.first();
    sys.edit();
    sys.setText(QStringLiteral("AssID"), QStringLiteral("TR-1"));
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Trace review"));
    sys.setText(QStringLiteral("Divisions"), QStringLiteral("North\r\nSouth\r\n"));
    sys.setText(QStringLiteral("Groups"), QStringLiteral("Core\r\n"));
    sys.setText(QStringLiteral("Activities"), QStringLiteral("Audit\r\nService\r\n"));
    sys.post();

    Table& r = a.requirements();
    for (auto [id, text, division] : { std::tuple { "BR1.01", "Keep accounts exact", "North" },
             { "BR1.02", "Answer customers fast", "North" }, { "BR1.03", "Orphan wish", "North" },
             { "BR2.01", "Ship on time", "South" }, { "BR2.02", "Nobody asked", "South" } })
        add(r, { { "RSeq", id }, { "Requirement", text }, { "Division", division }, { "Activity", "Audit" } });

    Table& d = a.drivers();
    add(d,
        { { "CSeq", "BD1.01" }, { "Driver", "Trustworthy books" }, { "Division", "North" }, { "Group", "Core" },
            { "Activity", "Audit" },
            { "Requirement", "BR1.01: Keep accounts exact\r\nBR1.02: Answer customers fast\r\n" } });
    add(d,
        { { "CSeq", "BD1.02" }, { "Driver", "Quick service" }, { "Division", "North" }, { "Group", "Core" },
            { "Activity", "Service" }, { "Requirement", "BR1.02: Answer customers fast\r\n" } });
    add(d,
        { { "CSeq", "BD2.01" }, { "Driver", "Reliable shipping" }, { "Division", "South" }, { "Group", "Core" },
            { "Activity", "Service" }, { "Requirement", "BR2.01: Ship on time\r\nSay \"hi\", twice\r\n" } });
    add(d,
        { { "CSeq", "BD2.02" }, { "Driver", "Idle driver" }, { "Division", "South" }, { "Group", "Core" },
            { "Activity", "Audit" }, { "Requirement", "" } });

    Table& at = a.attribute();
    auto attribute = [&](const char* grAtt, const char* name, const char* group, const char* tier,
                         const QString& description, const QString& controls) {
        add(at,
            { { "GrAtt", grAtt }, { "Attribute", name }, { "Group", group }, { "Tier", tier },
                { "Description", description }, { "SecControls", controls }, { "Profile", QString() } });
    };
    for (const char* name : { "Accurate", "Responsive", "Punctual", "Lonely", "Branded" })
        attribute(qPrintable(QStringLiteral("01") + QString::fromLatin1(name)), name, "Business", "Business",
            QStringLiteral("Business need ") + QString::fromLatin1(name), QString());
    for (const char* name : { "Validated", "Scaled", "Scheduled", "Dangling" })
        attribute(qPrintable(QStringLiteral("03") + QString::fromLatin1(name)), name, "Technical", "Technical",
            QString(), QString());
    attribute("05Confidentiality", "Confidentiality", "Protect", "Security", "Only the entitled see it",
        "03.01.01: Encrypt\r\n");
    attribute("05Integrity", "Integrity", "Protect", "Security", "Books add up",
        "01.01.01: Reconcile ledgers\r\n01.02.01: Audit trail\r\nReview quarterly\r\n");
    attribute("05Traceability", "Traceability", "Protect", "Security", "Every change has an author",
        "01.02.01: Audit trail\r\n09.09.09: Missing control\r\n");
    attribute("06Availability", "Availability", "Operate", "Security", "Open when customers come",
        "02.01.01: Spare capacity\r\n01.02.01: Audit trail\r\n");
    attribute("06Resilience", "Resilience", "Operate", "Security", "Recovers quickly", QString());

    for (auto [bus, tech] : { std::pair { "Accurate", "Validated" }, { "Responsive", "Scaled" },
             { "Punctual", "Scheduled" }, { "Lonely", "Dangling" } })
        add(a.businessToTechnical(), { { "BusAtt", bus }, { "TechAtt", tech } });
    for (auto [tech, sec] :
        { std::pair { "Validated", "Integrity" }, { "Validated", "Traceability" }, { "Scaled", "Availability" },
            { "Scaled", "Resilience" }, { "Scheduled", "Availability" }, { "Scheduled", "Traceability" } })
        add(a.technicalToSecurity(), { { "TechAtt", tech }, { "SecAtt", sec } });

    ProfileStore::save(a, QStringLiteral("BD1.01"), { { "Accurate", 1 }, { "Responsive", 3 } });
    ProfileStore::save(a, QStringLiteral("BD1.02"), { { "Responsive", 2 }, { "Lonely", 2 } });
    ProfileStore::save(a, QStringLiteral("BD2.01"), { { "Punctual", 1 } });
    addUnusualProfile(a, QStringLiteral("BD2.01"), QStringLiteral("Branded"), 0);
    addUnusualProfile(a, QStringLiteral("BD2.02"), QStringLiteral("Accurate"), 0);

    Table& c = a.controls();
    for (auto [id, title, text] : { std::tuple { "01.01.01", "Reconcile ledgers", "Match every account monthly" },
             { "01.02.01", "Audit trail", "Log who changed what" },
             { "02.01.01", "Spare capacity", "Keep a standby site" }, { "03.01.01", "Encrypt", "Encrypt at rest" } })
        add(c, { { "Id", id }, { "control_title", title }, { "control", text } });
    for (Table* t : { &r, &d, &at, &c, &a.driverProfiles() })
        t->first();
}

}
