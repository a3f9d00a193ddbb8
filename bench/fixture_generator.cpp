#include "fixture_generator.h"

#include "store/assessment.h"
#include "store/line_list.h"

#include <QStringList>

namespace {

QString two(int n)
{
    return QStringLiteral("%1").arg(n % 100, 2, 10, QLatin1Char('0'));
}

// A small deterministic generator, so every run builds the same assessment.
struct Lcg {
    quint32 state = 12345;
    int next(int bound)
    {
        state = state * 1103515245u + 12345u;
        return int((state >> 8) % quint32(bound));
    }
};

void put(Table& t, std::initializer_list<std::pair<const char*, QString>> values)
{
    t.append();
    for (const auto& [field, value] : values)
        t.setText(QString::fromLatin1(field), value);
    t.post();
}

QString padded(const QString& name)
{
    return name.leftJustified(16, QLatin1Char(' '), true);
}

}

namespace Fixture {

FixtureSize small()
{
    return { 50, 10, 10, 100, 60, 5 };
}
FixtureSize medium()
{
    return { 500, 100, 60, 2000, 400, 20 };
}
FixtureSize large()
{
    return { 5000, 1000, 134, 20000, 2000, 50 };
}

FixtureSize extraLarge()
{
    return { 50000, 10000, 1340, 200000, 20000, 500 };
}

FixtureSize byName(const QString& name)
{
    if (name == QLatin1String("XL"))
        return extraLarge();
    if (name == QLatin1String("L"))
        return large();
    if (name == QLatin1String("M"))
        return medium();
    return small();
}

void generate(Assessment& a, const FixtureSize& size)
{
    Lcg rng;
    const QStringList divisions = { QStringLiteral("North"), QStringLiteral("South"), QStringLiteral("Harbour's Edge"),
        QStringLiteral("Enterprise") };
    const QStringList groups
        = { QStringLiteral("Management"), QStringLiteral("Operations"), QStringLiteral("Finance") };
    const QStringList activities = { QStringLiteral("Sales"), QStringLiteral("Delivery"), QStringLiteral("Support") };
    Store::Transaction tx(a.store());

    Table& sys = a.system();
    sys.edit();
    sys.setText(QStringLiteral("AssID"), QStringLiteral("BENCH"));
    sys.setText(QStringLiteral("Assessment"), QStringLiteral("Benchmark assessment"));
    sys.setText(QStringLiteral("Description"), QStringLiteral("Generated for benchmarks.\r\nSecond line."));
    sys.setText(QStringLiteral("Enterprise"), QStringLiteral("Bench Enterprise"));
    sys.setText(QStringLiteral("Divisions"), LineList::build(divisions.mid(0, 3)));
    sys.setText(QStringLiteral("Groups"), LineList::build(groups));
    sys.setText(QStringLiteral("Activities"), LineList::build(activities));
    sys.post();

    QStringList reqLines;
    for (int i = 0; i < size.requirements; ++i) {
        const QString id = QStringLiteral("BR%1.%2").arg(i / 100 + 1).arg(two(i));
        const QString text = QStringLiteral("Requirement %1 keeps the service of the enterprise running").arg(i);
        put(a.requirements(),
            { { "RSeq", id }, { "Requirement", text }, { "Division", divisions[rng.next(4)] },
                { "Priority",
                    QStringList {
                        QStringLiteral("Low"), QStringLiteral("Medium"), QStringLiteral("High") }[rng.next(3)] },
                { "Source", QStringLiteral("Business plan\r\nAnnual report") },
                { "Activity", activities[rng.next(3)] } });
        reqLines << id + QStringLiteral(": ") + text;
    }

    QStringList driverIds;
    for (int i = 0; i < size.drivers; ++i) {
        const QString id = QStringLiteral("BD%1.%2").arg(i / 100 + 1).arg(two(i));
        driverIds << id;
        QStringList lines;
        for (int k = 0; k < 3 && !reqLines.isEmpty(); ++k)
            lines << reqLines[rng.next(int(reqLines.size()))];
        put(a.drivers(),
            { { "CSeq", id }, { "Driver", QStringLiteral("Driver %1 for the business").arg(i) },
                { "Division", divisions[rng.next(4)] }, { "Requirement", LineList::build(lines) },
                { "Group", groups[rng.next(3)] }, { "Activity", activities[rng.next(3)] } });
    }

    // Controls: sections of 10 objectives of 10 controls.
    QStringList controlLines, objectiveLines;
    for (int i = 0; i < size.controls; ++i) {
        const int section = i / 100 + 1, objective = (i / 10) % 10 + 1, control = i % 10 + 1;
        const QString id = QStringLiteral("%1.%2.%3").arg(two(section), two(objective), two(control));
        const QString title = QStringLiteral("Control %1 title").arg(i);
        const QString objectiveTitle = QStringLiteral("Objective %1.%2").arg(two(section), two(objective));
        put(a.controls(),
            { { "Id", id }, { "XId", QStringLiteral("X%1").arg(i) },
                { "section_title", QStringLiteral("Section %1").arg(section) }, { "subsection_title", objectiveTitle },
                { "subsection", QStringLiteral("What objective %1 achieves").arg(objectiveTitle) },
                { "control_title", title },
                { "control", QStringLiteral("How control %1 is carried out in the enterprise.").arg(i) } });
        controlLines << id + QStringLiteral(": ") + title;
        if (control == 1)
            objectiveLines << id.left(5) + QStringLiteral(": ") + objectiveTitle;
    }

    // Attributes in three tiers, groups of ten.
    QStringList business, technical, security;
    const char* tiers[] = { "Business", "Technical", "Security" };
    for (int tier = 0; tier < 3; ++tier) {
        for (int i = 0; i < size.attributesPerTier; ++i) {
            const int group = tier * 20 + i / 10 + 1;
            const QString name = QStringLiteral("%1Att%2").arg(QString::fromLatin1(tiers[tier]).left(3)).arg(i);
            (tier == 0 ? business : tier == 1 ? technical : security) << name;
            QString objectives, controls;
            if (tier == 2 && !controlLines.isEmpty()) {
                objectives = LineList::build({ objectiveLines[rng.next(int(objectiveLines.size()))] });
                controls = LineList::build({ controlLines[rng.next(int(controlLines.size()))],
                    controlLines[rng.next(int(controlLines.size()))] });
            }
            put(a.attribute(),
                { { "GrAtt", QString::number(group + 100).right(2) + name }, { "Attribute", name },
                    { "Group", QStringLiteral("%1 group %2").arg(QString::fromLatin1(tiers[tier])).arg(group) },
                    { "Grx", QString::number(group) }, { "Tier", QString::fromLatin1(tiers[tier]) },
                    { "Description", QStringLiteral("Description of %1").arg(name) },
                    { "Profile", QStringLiteral("Measured by %1 reviews").arg(name) }, { "SecObjectives", objectives },
                    { "SecControls", controls } });
        }
    }
    for (int i = 0; i < business.size(); ++i)
        for (int k = 0; k < 2 && !technical.isEmpty(); ++k) {
            const QString t = technical[rng.next(int(technical.size()))];
            put(a.businessToTechnical(),
                { { "BTAtt", padded(business[i]) + padded(t) }, { "BusAtt", business[i] }, { "TechAtt", t } });
        }
    for (int i = 0; i < technical.size(); ++i)
        for (int k = 0; k < 2 && !security.isEmpty(); ++k) {
            const QString s = security[rng.next(int(security.size()))];
            put(a.technicalToSecurity(),
                { { "TSAtt", padded(technical[i]) + padded(s) }, { "TechAtt", technical[i] }, { "SecAtt", s } });
        }

    // Profile rows: distinct driver and business attribute pairs.
    int made = 0;
    for (int d = 0; d < driverIds.size() && made < size.profileRows; ++d)
        for (int b = 0; b < business.size() && made < size.profileRows; ++b) {
            if ((d + b) % 3 == 0 && size.profileRows < driverIds.size() * business.size() / 2)
                continue;
            put(a.driverProfiles(),
                { { "CSeq", driverIds[d] }, { "Attribute", business[(b + d) % business.size()] },
                    { "Priority", QString::number(rng.next(3) + 1) } });
            ++made;
        }

    // Each application with one attribute and its risk entry.
    for (int i = 0; i < size.applications; ++i) {
        const QString name = QStringLiteral("App %1").arg(i);
        const QString attribute = security.isEmpty() ? QString() : security[rng.next(int(security.size()))];
        put(a.applications(),
            { { "Application", name }, { "Domain", QStringLiteral("Domain") },
                { "Owner", QStringLiteral("Owner %1").arg(i) }, { "Description", QStringLiteral("An application") },
                { "Division", divisions[rng.next(4)] },
                { "SecAtt", attribute.isEmpty() ? QString() : LineList::build({ attribute }) } });
        if (attribute.isEmpty())
            continue;
        put(a.appControl(),
            { { "AppId", QString::number(a.applications().currentRowId()) }, { "Application", name },
                { "Attribute", attribute }, { "Risk", QStringLiteral("Outage of %1\r\nData loss").arg(name) },
                { "Likelihood", QStringLiteral("Medium") }, { "Impact", QStringLiteral("High") } });
    }
    tx.commit();
    for (Table* t : { &a.requirements(), &a.drivers(), &a.attribute(), &a.controls(), &a.driverProfiles() })
        t->refresh();
}

}
