#pragma once

#include "store/assessment.h"

#include <QString>
#include <initializer_list>
#include <utility>

// A small hand-made assessment that exercises the reports' groupings,
// folds and lookups.
//
// Requirements (sorted by division): "" BR1.02; North BR1.01, BR1.05 (source
// with a line break), BR1.06 (95 characters, no blank); South BR1.03 (89
// characters), BR1.04 (90 characters).
// Drivers, in Group,CSeq order: Core BD1.01 North, BD1.02 South, BD1.04 "";
// Support BD1.03 North (profiled only with Compliant, which reaches no
// security attribute). Activities: Audit for BD1.01 and
// BD1.03, Build for the others.
// Security attributes reached through the mappings: Available, Confidential
// (group User), Logged (Risk), Tracked (Misc, outside the matrix groups);
// Spare (Risk) is never reached. Each security attribute sorts before the
// business attribute of the same name, so it is the row the mappings mark.
namespace ReportFixture {

inline void add(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), value);
    t.post();
}

// 89 characters, the last blank at position 85.
inline QString source89()
{
    return QStringLiteral("abcd ").repeated(17) + QStringLiteral("abcd");
}

inline QString longControlText()
{
    // 118 characters: a 100-wide fold cuts it after "sixteen ".
    return QStringLiteral("one two three four five six seven eight nine ten eleven twelve thirteen fourteen fifteen "
                          "sixteen seventeen eighteen xx");
}

inline void build(Assessment& a)
{
    Table& sys = a.system();
    sys.first();
    sys.edit();
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Harbour review"));
    sys.setText(QStringLiteral("Description"), QStringLiteral("Scope line one\r\nScope line two"));
    sys.setText(QStringLiteral("Divisions"), QStringLiteral("North\r\nSouth\r\n"));
    sys.setText(QStringLiteral("Groups"), QStringLiteral("Core\r\nSupport\r\n"));
    sys.setText(QStringLiteral("Activities"), QStringLiteral("Audit\r\nBuild\r\n"));
    sys.post();

    Table& r = a.requirements();
    add(r,
        { { "RSeq", "BR1.01" }, { "Requirement", "Keep customer data private" }, { "Division", "North" },
            { "Source", "Board minutes" }, { "Activity", "Audit" } });
    add(r,
        { { "RSeq", "BR1.02" }, { "Requirement", "Trade online" }, { "Division", "" }, { "Source", "" },
            { "Activity", "Build" } });
    add(r,
        { { "RSeq", "BR1.03" }, { "Requirement", "Meet regulation" }, { "Division", "South" }, { "Source", source89() },
            { "Activity", "Audit" } });
    add(r,
        { { "RSeq", "BR1.04" }, { "Requirement", "Recover quickly" }, { "Division", "South" },
            { "Source", source89() + QStringLiteral("e") }, { "Activity", "Build" } });
    add(r,
        { { "RSeq", "BR1.05" }, { "Requirement", "Report breaches" }, { "Division", "North" },
            { "Source", "first part\r\nsecond part" }, { "Activity", "Audit" } });
    add(r,
        { { "RSeq", "BR1.06" }, { "Requirement", "Hold records" }, { "Division", "North" },
            { "Source", QString(95, 'x') }, { "Activity", "Build" } });

    Table& d = a.drivers();
    add(d,
        { { "CSeq", "BD1.01" }, { "Driver", "Protect customer data" }, { "Division", "North" }, { "Group", "Core" },
            { "Activity", "Audit" },
            { "Requirement", "BR1.01: Keep customer data private\r\nBR1.05: Report breaches\r\n" } });
    add(d,
        { { "CSeq", "BD1.02" }, { "Driver", "Sell online" }, { "Division", "South" }, { "Group", "Core" },
            { "Activity", "Build" }, { "Requirement", "BR1.02: Trade online\r\n" } });
    add(d,
        { { "CSeq", "BD1.03" }, { "Driver", "Keep records" }, { "Division", "North" }, { "Group", "Support" },
            { "Activity", "Audit" }, { "Requirement", "" } });
    add(d,
        { { "CSeq", "BD1.04" }, { "Driver", "Stay open" }, { "Division", "" }, { "Group", "Core" },
            { "Activity", "Build" }, { "Requirement", "BR1.02: Trade online\r\n" } });

    Table& at = a.attribute();
    auto attribute = [&](const char* grAtt, const char* name, const char* group, const char* tier,
                         const QString& description, const QString& controls, const QString& profile) {
        add(at,
            { { "GrAtt", grAtt }, { "Attribute", name }, { "Group", group }, { "Tier", tier },
                { "Description", description }, { "SecControls", controls }, { "Profile", profile } });
        at.edit();
        at.setBoolean(QStringLiteral("InUse"), false);
        at.post();
    };
    attribute("01Available", "Available", "User", "Security", "Service is there when needed",
        "02.01.01: Manage keys\r\nReview yearly\r\nannual check\r\n", "");
    attribute("01Confidential", "Confidential", "User", "Security", "Data is seen only by those entitled\r\nto see it",
        "01.01.01: Encrypt stored data\r\n02.01.01: Manage keys\r\n", "Measured by audit");
    attribute("04Logged", "Logged", "Risk", "Security", "Events are recorded",
        "03.01.01: Review logs\r\n99.99.99: Not in catalogue\r\n", longControlText());
    attribute("04Spare", "Spare", "Risk", "Security", "Never reached", "01.01.01: Encrypt stored data\r\n", "");
    attribute("05Tracked", "Tracked", "Misc", "Security", "", "", "");
    attribute("06Encrypted", "Encrypted", "Technical", "Technical", "", "", "");
    attribute("06Recorded", "Recorded", "Technical", "Technical", "", "", "");
    attribute("06Redundant", "Redundant", "Technical", "Technical", "", "", "");
    attribute("07Available", "Available", "Business", "Business", "Business availability", "", "");
    attribute("07Confidential", "Confidential", "Business", "Business", "Business secrecy", "", "");
    attribute("07Logged", "Logged", "Business", "Business", "Business record keeping", "", "");
    attribute("07Compliant", "Compliant", "Business", "Business", "Meets the rules", "", ""); // mapped to nothing

    for (auto [bus, tech] :
        { std::pair { "Confidential", "Encrypted" }, { "Available", "Redundant" }, { "Logged", "Recorded" } })
        add(a.businessToTechnical(), { { "BusAtt", bus }, { "TechAtt", tech } });
    for (auto [tech, sec] : { std::pair { "Encrypted", "Confidential" }, { "Redundant", "Available" },
             { "Recorded", "Logged" }, { "Recorded", "Tracked" } })
        add(a.technicalToSecurity(), { { "TechAtt", tech }, { "SecAtt", sec } });

    for (auto [cseq, name, priority] : { std::tuple { "BD1.01", "Confidential", 1 }, { "BD1.01", "Available", 2 },
             { "BD1.02", "Available", 1 }, { "BD1.02", "Logged", 3 }, { "BD1.03", "Compliant", 2 } }) {
        a.driverProfiles().append();
        a.driverProfiles().setText(QStringLiteral("CSeq"), QString::fromLatin1(cseq));
        a.driverProfiles().setText(QStringLiteral("Attribute"), QString::fromLatin1(name));
        a.driverProfiles().setInteger(QStringLiteral("Priority"), priority);
        a.driverProfiles().post();
    }

    Table& c = a.controls();
    add(c,
        { { "Id", "01.01.01" }, { "control_title", "Encryption" },
            { "control", "Encrypt all stored data\r\nwith AES" } });
    add(c, { { "Id", "02.01.01" }, { "control_title", "Key management" }, { "control", "" } });
    add(c, { { "Id", "03.01.01" }, { "control_title", "Log review" }, { "control", longControlText() } });
    for (Table* t : { &r, &d, &at, &c, &a.driverProfiles() })
        t->first();
}

}
