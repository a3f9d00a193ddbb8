#include "oscal_fixture.h"

#include "reports/oscal_export.h"
#include "support/file_bytes.h"

using namespace OscalTest;

namespace {

QJsonObject prop(const QString& name, const QString& value)
{
    return { { QStringLiteral("name"), name }, { QStringLiteral("value"), value } };
}

QJsonObject statement(const QString& id, const QString& prose)
{
    return { { QStringLiteral("id"), id + QStringLiteral("_smt") },
        { QStringLiteral("name"), QStringLiteral("statement") }, { QStringLiteral("prose"), prose } };
}

// 20 groups of 10 base controls with 4 enhancements each: 1,000 controls.
// Each base control has a parameter with a label and one with a choice; each
// enhancement one of its own and inserts its base's. The fourth base control
// of every group and the second enhancement of every base are withdrawn.
QByteArray generatedCatalog()
{
    QJsonArray groups;
    for (int g = 1; g <= 20; ++g) {
        QJsonArray controls;
        for (int b = 1; b <= 10; ++b) {
            const QString base = QStringLiteral("g%1-%2").arg(g).arg(b);
            const QString label = QStringLiteral("G%1.%2").arg(g).arg(b);
            QJsonArray enhancements;
            for (int e = 1; e <= 4; ++e) {
                const QString id = QStringLiteral("%1.%2").arg(base).arg(e);
                QJsonArray props { prop(QStringLiteral("label"), QStringLiteral("%1.%2").arg(label).arg(e)) };
                if (e == 2)
                    props << prop(QStringLiteral("status"), QStringLiteral("withdrawn"));
                enhancements << QJsonObject { { QStringLiteral("id"), id },
                    { QStringLiteral("title"), QStringLiteral("Enhancement %1 of %2").arg(e).arg(label) },
                    { QStringLiteral("params"),
                        QJsonArray { QJsonObject { { QStringLiteral("id"), id + QStringLiteral("_prm_1") },
                            { QStringLiteral("label"), QStringLiteral("extent %1").arg(e) } } } },
                    { QStringLiteral("props"), props },
                    { QStringLiteral("parts"),
                        QJsonArray { statement(id,
                            QStringLiteral("Extend {{ insert: param, %1_prm_1 }} to {{ insert: param, %2_prm_1 }}.")
                                .arg(base, id)) } } };
            }
            QJsonArray props { prop(QStringLiteral("label"), label) };
            if (b == 4)
                props << prop(QStringLiteral("status"), QStringLiteral("withdrawn"));
            controls << QJsonObject { { QStringLiteral("id"), base },
                { QStringLiteral("title"), QStringLiteral("Control %1").arg(label) },
                { QStringLiteral("params"),
                    QJsonArray { QJsonObject { { QStringLiteral("id"), base + QStringLiteral("_prm_1") },
                                     { QStringLiteral("label"), QStringLiteral("frequency") } },
                        QJsonObject { { QStringLiteral("id"), base + QStringLiteral("_prm_2") },
                            { QStringLiteral("select"),
                                QJsonObject { { QStringLiteral("choice"),
                                    QJsonArray { QStringLiteral("daily"), QStringLiteral("weekly") } } } } } } },
                { QStringLiteral("props"), props },
                { QStringLiteral("parts"),
                    QJsonArray { statement(base,
                                     QStringLiteral("Review every {{ insert: param, %1_prm_1 }}, "
                                                    "{{ insert: param, %1_prm_2 }}.")
                                         .arg(base)),
                        QJsonObject { { QStringLiteral("name"), QStringLiteral("guidance") },
                            { QStringLiteral("prose"), QStringLiteral("Why %1 matters.").arg(label) } } } },
                { QStringLiteral("controls"), enhancements } };
        }
        groups << QJsonObject { { QStringLiteral("id"), QStringLiteral("g%1").arg(g) },
            { QStringLiteral("title"), QStringLiteral("Family %1").arg(g) }, { QStringLiteral("controls"), controls } };
    }
    const QJsonObject catalog { { QStringLiteral("uuid"), QStringLiteral("5a1a2c7e-0003-4c3b-9b4e-000000000003") },
        { QStringLiteral("metadata"),
            QJsonObject { { QStringLiteral("title"), QStringLiteral("Generated Catalog") },
                { QStringLiteral("last-modified"), QStringLiteral("2024-01-01T00:00:00Z") },
                { QStringLiteral("version"), QStringLiteral("1") },
                { QStringLiteral("oscal-version"), QStringLiteral("1.0.4") } } },
        { QStringLiteral("groups"), groups } };
    return QJsonDocument(QJsonObject { { QStringLiteral("catalog"), catalog } }).toJson(QJsonDocument::Compact);
}

}

// Guarded, in use, names every third control and every fourth objective of
// the imported catalog; Watched, in use, a few of the same; Unused, not in
// use, others.
TEST(OscalExportLarge, GeneratedCatalogOfAThousandControls)
{
    ScratchStore s;
    const QString catalogFile = s.file("generated.json");
    writeBytes(catalogFile, generatedCatalog());
    ASSERT_EQ(importControlSet(s.a, catalogFile), 20 * 9 * 4);

    using TraceAssessment::add;
    add(s.a.requirements(), { { "RSeq", "BR1.01" }, { "Requirement", "Stay safe" } });
    add(s.a.drivers(), { { "CSeq", "BD1.01" }, { "Driver", "Safety" }, { "Requirement", "BR1.01: Stay safe\r\n" } });
    add(s.a.driverProfiles(), { { "CSeq", "BD1.01" }, { "Attribute", "Safe" }, { "Priority", "1" } });
    add(s.a.businessToTechnical(), { { "BusAtt", "Safe" }, { "TechAtt", "Hardened" } });
    for (const char* sec : { "Guarded", "Watched" })
        add(s.a.technicalToSecurity(), { { "TechAtt", "Hardened" }, { "SecAtt", sec } });
    const auto catalog = ControlOrigin::read(s.a.store(), false);
    ASSERT_TRUE(catalog.has_value());
    QString guarded, guardedObjectives, watched, unused;
    std::map<int, QString> expected; // by catalog order
    int n = 0;
    s.a.store()
        .cached(QStringLiteral("SELECT rowid, Id, control_title FROM Controls ORDER BY Id"))
        .eachRow([&](SqlStatement& q) {
            const ControlOrigin::Remembered& r = catalog->controls.value(q.columnInt64(0));
            const QString entry = q.text(1) + QStringLiteral(": ") + q.text(2) + QStringLiteral("\r\n");
            if (n % 3 == 0) {
                guarded += entry;
                expected[r.order] = r.origin.id;
            }
            if (n % 50 == 1) {
                watched += entry;
                expected[r.order] = r.origin.id;
            }
            if (n % 3 == 1 && n % 50 != 1)
                unused += entry;
            // Each objective's first control is its base: every fourth objective.
            if (q.text(1).endsWith(QLatin1String(".01")) && (n / 4) % 4 == 0) {
                guardedObjectives += q.text(1).left(5) + QStringLiteral(": ") + q.text(2) + QStringLiteral("\r\n");
                expected[r.order] = r.origin.id;
            }
            ++n;
        });
    add(s.a.attribute(),
        { { "Attribute", "Guarded" }, { "SecObjectives", guardedObjectives }, { "SecControls", guarded } });
    add(s.a.attribute(), { { "Attribute", "Watched" }, { "SecControls", watched } });
    add(s.a.attribute(), { { "Attribute", "Unused" }, { "SecControls", unused } });
    QStringList expectedIds;
    for (const auto& [order, id] : expected)
        expectedIds << id;
    ASSERT_GT(expectedIds.size(), 250);

    const QString profileFile = s.file("profile.json");
    const QString resolvedFile = s.file("resolved.json");
    EXPECT_TRUE(OscalExport::write(s.a, profileFile, {}).leftOut.isEmpty());
    OscalExport::Options resolved;
    resolved.resolved = true;
    OscalExport::write(s.a, resolvedFile, resolved);
    EXPECT_EQ(withIds(readJson(profileFile)), expectedIds);
    EXPECT_EQ(catalogControlIds(readJson(resolvedFile)), expectedIds);

    EXPECT_EQ(schemaErrors({ profileFile }, true), QString());
    EXPECT_EQ(schemaErrors({ catalogFile, resolvedFile }, false), QString());

    ScratchStore fresh;
    importControlSet(fresh.a, resolvedFile);
    EXPECT_EQ(importedControls(fresh.a), importedControls(s.a, expectedIds));
}
