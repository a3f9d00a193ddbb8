#include "oscal_fixture.h"

#include "reports/oscal_export.h"
#include "store/quarrix_error.h"
#include "support/file_bytes.h"

#include "analysis/profile_division_filter.h"

using namespace OscalTest;

namespace {

const QString kRow = QStringLiteral("\r\n");

// The entries of the security attributes, for one case: objectives, controls.
struct Entries {
    const char* attribute;
    QString objectives, controls;
};

struct SelectionCase {
    const char* name;
    const char* division;
    std::vector<Entries> entries; // in place of the trace assessment's
    QStringList withIds;
    QStringList leftOut;
};

const QString kUnknown = QStringLiteral("control 09.09.09 (Traceability): not in the control catalogue");

// Under "All" the trace assessment's attributes in use are Integrity
// (01.01.01, 01.02.01 and an entry without a colon), Traceability (01.02.01, 09.09.09), Availability
// (02.01.01, 01.02.01) and Resilience; in South only Traceability and
// Availability; Confidentiality (03.01.01, sc-13) never.
const std::vector<SelectionCase> kCases = {
    { "all divisions", "All", {}, { "ac-1", "ac-2", "au-2" },
        { kUnknown, "entry 'Review quarterly' (Integrity): names no control" } },
    { "one division", "South", {}, { "ac-2", "au-2" }, { kUnknown } },
    { "objectives stand for their base control, a control named twice is selected once", "North",
        { { "Integrity", "01.02: Account Management\r\n01.03: Remote Access\r\n",
            "01.02.03: Disable Accounts\r\n01.02.03: Disable Accounts\r\n02.01.02: Compilation of Records\r\n" } },
        { "ac-2", "ac-2.3", "ac-17", "au-2", "au-2.1" }, { kUnknown } },
    { "entries that select nothing are listed, an attribute not in use selects nothing", "All",
        { { "Integrity", "07.01: Nowhere\r\n", "04.01.01: Hand-made\r\n01.02.01: Account Management\r\n" },
            { "Confidentiality", "02.01: Event Logging\r\n", "03.01.01: Cryptographic Protection\r\n" } },
        { "ac-2", "au-2" },
        { "control 04.01.01 (Integrity): not imported from an OSCAL catalog", kUnknown,
            "objective 07.01 (Integrity): not in the control catalogue" } },
};

void apply(Assessment& a, const SelectionCase& c)
{
    for (const Entries& e : c.entries)
        setEntries(a, QString::fromLatin1(e.attribute), e.objectives, e.controls);
    // A control added by hand has no catalog behind it.
    TraceAssessment::add(
        a.controls(), { { "Id", QStringLiteral("04.01.01") }, { "control_title", QStringLiteral("Hand-made") } });
}

// Changes when another connection commits a write to the store (a
// checkpoint, which moves pages but changes no row, leaves it).
qint64 commitsByOthers(Store& store)
{
    SqlStatement& version = store.cached(QStringLiteral("PRAGMA data_version"));
    const qint64 value = version.step() ? version.columnInt64(0) : -1;
    version.reset();
    return value;
}

}

TEST(OscalExport, ProfileSelectsTheControlsOfTheAttributesInUse)
{
    QStringList written;
    QTemporaryDir out;
    for (const SelectionCase& c : kCases) {
        SCOPED_TRACE(c.name);
        const auto s = traceAssessmentWithCatalog();
        apply(s->a, c);
        const QString file = out.filePath(QString::fromLatin1(c.name).left(12) + QStringLiteral(".json"));
        OscalExport::Options options;
        options.division = QString::fromLatin1(c.division);
        applyDivisionFilter(s->a.requirements(), options.division);
        applyDivisionFilter(s->a.drivers(), options.division);
        const qint64 changes = s->a.store().totalChanges();
        const OscalExport::Result result = OscalExport::write(s->a, file, options);
        EXPECT_EQ(s->a.store().totalChanges(), changes) << "the export wrote to the store";
        const QJsonObject profile = readJson(file);
        EXPECT_EQ(withIds(profile), c.withIds);
        EXPECT_EQ(result.leftOut, c.leftOut);
        EXPECT_EQ(result.controls, c.withIds.size());
        // One alteration per selected control, in the same order.
        QStringList altered;
        for (const QJsonValue alter :
            profile[QStringLiteral("profile")][QStringLiteral("modify")][QStringLiteral("alters")].toArray())
            altered << alter[QStringLiteral("control-id")].toString();
        EXPECT_EQ(altered, c.withIds);
        written << file;
    }
    EXPECT_EQ(schemaErrors(written, true), QString());
}

TEST(OscalExport, ProfileNamesItsCatalogAndWhyEachControlIsThere)
{
    // The catalog is imported from a folder whose name needs escaping in a URI.
    ScratchStore s;
    TraceAssessment::build(s.a);
    QDir folder(s.dir.path());
    ASSERT_TRUE(folder.mkdir(QStringLiteral("My catalogs")) && folder.mkdir(QStringLiteral("out")));
    const QString catalogFile = s.file("My catalogs/catalog #1.json");
    ASSERT_TRUE(QFile::copy(smallCatalog(), catalogFile));
    importControlSet(s.a, catalogFile);
    const QString file = s.file("out/profile.json");
    OscalExport::write(s.a, file, {});
    const QJsonObject profile = readJson(file)[QStringLiteral("profile")].toObject();

    // The catalog the controls came from, relative to the profile.
    EXPECT_EQ(profile[QStringLiteral("imports")][0][QStringLiteral("href")].toString(),
        QStringLiteral("../My%20catalogs/catalog%20%231.json"));
    const QJsonObject metadata = profile[QStringLiteral("metadata")].toObject();
    EXPECT_EQ(metadata[QStringLiteral("title")].toString(),
        QStringLiteral("Controls selected by the assessment Trace review"));
    EXPECT_EQ(metadata[QStringLiteral("version")].toString(), QStringLiteral("TR-1"));
    EXPECT_EQ(metadata[QStringLiteral("oscal-version")].toString(), QStringLiteral("1.0.4"));
    const QDateTime modified = QDateTime::fromString(metadata[QStringLiteral("last-modified")].toString(), Qt::ISODate);
    EXPECT_LT(qAbs(modified.secsTo(QDateTime::currentDateTimeUtc())), 120);
    EXPECT_EQ(profile[QStringLiteral("merge")], QJsonObject({ { QStringLiteral("as-is"), true } }));

    // ac-1 is needed by Integrity alone, which BD1.01 carries; ac-2 by three
    // attributes, one of them carried by drivers of both divisions.
    const QJsonArray alters = profile[QStringLiteral("modify")][QStringLiteral("alters")].toArray();
    const QJsonObject part = alters[0][QStringLiteral("adds")][0][QStringLiteral("parts")][0].toObject();
    EXPECT_EQ(alters[0][QStringLiteral("adds")][0][QStringLiteral("position")].toString(), QStringLiteral("ending"));
    EXPECT_EQ(part[QStringLiteral("name")].toString(), QStringLiteral("assessment-rationale"));
    EXPECT_EQ(part[QStringLiteral("ns")].toString(), OscalExport::kNamespace);
    EXPECT_EQ(part[QStringLiteral("prose")].toString(),
        QStringLiteral("Selected by the assessment Trace review: the security attributes in use that need it, and the "
                       "drivers that carry them.\n\n- **Integrity**, carried by the driver BD1.01 Trustworthy books"));
    EXPECT_EQ(alters[1][QStringLiteral("adds")][0][QStringLiteral("parts")][0][QStringLiteral("prose")].toString(),
        QStringLiteral("Selected by the assessment Trace review: the security attributes in use that need it, and the "
                       "drivers that carry them.\n\n"
                       "- **Availability**, carried by the drivers BD1.01 Trustworthy books; BD1.02 Quick service; "
                       "BD2.01 Reliable shipping\n"
                       "- **Integrity**, carried by the driver BD1.01 Trustworthy books\n"
                       "- **Traceability**, carried by the drivers BD1.01 Trustworthy books; BD2.01 Reliable "
                       "shipping"));

    // Each document is new.
    const QString again = s.file("again.json");
    OscalExport::write(s.a, again, {});
    EXPECT_NE(readJson(again)[QStringLiteral("profile")][QStringLiteral("uuid")], profile[QStringLiteral("uuid")]);
}

TEST(OscalExport, NamesInProseAreEscapedAsMarkdownAndJson)
{
    const auto s = traceAssessmentWithCatalog();
    SqlStatement& rename = s->a.store().cached(QStringLiteral("UPDATE Drivers SET Driver = ? WHERE CSeq = 'BD1.01'"));
    rename.bind(1, QStringLiteral("Books \"exact\" *always* [see {{ insert: param, x }}]\\"));
    rename.run();
    const QString file = s->file("p.json");
    OscalExport::Options options;
    options.division = QStringLiteral("North");
    applyDivisionFilter(s->a.requirements(), options.division);
    applyDivisionFilter(s->a.drivers(), options.division);
    OscalExport::write(s->a, file, options);
    const QString prose = readJson(file)[QStringLiteral("profile")][QStringLiteral("modify")][QStringLiteral(
        "alters")][0][QStringLiteral("adds")][0][QStringLiteral("parts")][0][QStringLiteral("prose")]
                              .toString();
    EXPECT_TRUE(prose.startsWith(QStringLiteral("Selected by the assessment Trace review for the division North:")))
        << prose.toStdString();
    EXPECT_TRUE(prose.endsWith(
        QStringLiteral("BD1.01 Books \"exact\" \\*always\\* \\[see \\{\\{ insert: param, x \\}\\}\\]\\\\")))
        << prose.toStdString();
}

TEST(OscalExport, ResolvedCatalogHoldsTheSelectedControlsAndImportsBackUnchanged)
{
    struct Case {
        const char* name;
        std::vector<Entries> entries;
        QStringList ids;
    } const cases[] = {
        // ac-2.3 stays within ac-2; ac-17 keeps its subgroup.
        { "enhancement with its base",
            { { "Integrity", "01.03: Remote Access\r\n", "01.01.01: Policy\r\n01.02.03: Disable Accounts\r\n" } },
            { "ac-1", "ac-2", "ac-2.3", "ac-17", "au-2" } },
        // ac-2.3 takes ac-2's place and brings ac-2's parameter with it.
        { "enhancement alone",
            { { "Integrity", "", "01.02.03: Disable Accounts\r\n" }, { "Traceability", "", "" },
                { "Availability", "", "03.01.01: Cryptographic Protection\r\n" } },
            { "ac-2.3", "sc-13" } },
    };
    QStringList written;
    QTemporaryDir out;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto s = traceAssessmentWithCatalog();
        for (const Entries& e : c.entries)
            setEntries(s->a, QString::fromLatin1(e.attribute), e.objectives, e.controls);
        const QString file = out.filePath(QString::fromLatin1(c.name).left(16) + QStringLiteral(".json"));
        OscalExport::Options options;
        options.resolved = true;
        OscalExport::write(s->a, file, options);
        written << file;
        const QJsonObject catalog = readJson(file);
        EXPECT_EQ(catalogControlIds(catalog), c.ids);

        ScratchStore fresh;
        importControlSet(fresh.a, file);
        EXPECT_EQ(importedControls(fresh.a), importedControls(s->a, c.ids));
    }
    EXPECT_EQ(schemaErrors(written, false), QString());

    // What travels with the controls: the groups that hold them with their own
    // parameters and parts, the catalog's parameters and back matter, each
    // control's members as the catalog had them, and the rationale.
    const QJsonObject whole = readJson(written[0])[QStringLiteral("catalog")].toObject();
    const QJsonObject ac = whole[QStringLiteral("groups")][0].toObject();
    EXPECT_EQ(ac[QStringLiteral("params")][0][QStringLiteral("id")].toString(), QStringLiteral("ac_prm_1"));
    EXPECT_EQ(ac[QStringLiteral("parts")][0][QStringLiteral("name")].toString(), QStringLiteral("overview"));
    EXPECT_EQ(ac[QStringLiteral("groups")][0][QStringLiteral("title")].toString(), QStringLiteral("Remote Access"));
    EXPECT_EQ(whole[QStringLiteral("groups")].toArray().size(), 2); // sc holds nothing selected
    const QJsonObject ac1 = ac[QStringLiteral("controls")][0].toObject();
    const QJsonObject source = readJson(
        smallCatalog())[QStringLiteral("catalog")][QStringLiteral("groups")][0][QStringLiteral("controls")][0]
                                   .toObject();
    for (const char* member : { "id", "class", "title", "params", "props", "links" })
        EXPECT_EQ(ac1[QLatin1String(member)], source[QLatin1String(member)]) << member;
    const QJsonArray parts = ac1[QStringLiteral("parts")].toArray();
    ASSERT_EQ(parts.size(), 3);
    EXPECT_EQ(parts[1], source[QStringLiteral("parts")][1]); // the guidance, escapes and all
    EXPECT_EQ(parts[2][QStringLiteral("name")].toString(), QStringLiteral("assessment-rationale"));
    EXPECT_EQ(whole[QStringLiteral("back-matter")],
        readJson(smallCatalog())[QStringLiteral("catalog")][QStringLiteral("back-matter")]);

    const QJsonObject alone = readJson(written[1])[QStringLiteral("catalog")].toObject();
    QStringList params;
    for (const QJsonValue p : alone[QStringLiteral("params")].toArray())
        params << p[QStringLiteral("id")].toString();
    EXPECT_EQ(params, QStringList({ "cat_prm_1", "ac-2_prm_1" }));
}

TEST(OscalExport, RefusalsWriteNothing)
{
    struct Case {
        const char* name;
        bool importCatalog;
        const char* division;
        QStringList options;
        const char* message;
    } const cases[] = {
        { "a control set from a spreadsheet, no catalog named", false, "All", {}, "no catalog was named" },
        { "a resolved catalog of a spreadsheet set", false, "All",
            { "--resolved", "--catalog", "https://example.org/catalog.json" }, "cannot be written as one" },
        { "nothing in use", true, "West", {}, "name no control" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchStore s;
        TraceAssessment::build(s.a);
        if (c.importCatalog)
            importControlSet(s.a, smallCatalog());
        const QString target = s.file("out.json");
        {
            QFile old(target);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("earlier");
        }
        const qint64 before = commitsByOthers(s.a.store());
        const ProcessRun run = runCli(QStringList { QStringLiteral("--store"), s.path, QStringLiteral("export-oscal"),
                                          target, QStringLiteral("--division"), QString::fromLatin1(c.division) }
            + c.options);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(QLatin1String(c.message))) << run.err.toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("Nothing was written to"))) << run.err.toStdString();
        EXPECT_EQ(readBytes(target), QByteArray("earlier"));
        EXPECT_EQ(commitsByOthers(s.a.store()), before);
    }
}

TEST(OscalExport, CommandLineNamesTheCatalogAndListsWhatIsLeftOut)
{
    // A spreadsheet set with a catalog named: nothing has an OSCAL id.
    ScratchStore plain;
    TraceAssessment::build(plain.a);
    const ProcessRun refused = runCli({ QStringLiteral("--store"), plain.path, QStringLiteral("export-oscal"),
        plain.file("p.json"), QStringLiteral("--catalog"), QStringLiteral("nist.json") });
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(
        QStringLiteral("control 01.02.01 (Availability, Integrity, Traceability): not imported from an OSCAL catalog")))
        << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(plain.file("p.json")));

    const auto s = traceAssessmentWithCatalog();
    // The marks in the store stay as they were (here: nothing in use).
    s->a.store().exec(QStringLiteral("UPDATE Attribute SET InUse = 0"));
    const qint64 before = commitsByOthers(s->a.store());
    const QString file = s->file("south.json");
    const ProcessRun run = runCli({ QStringLiteral("--store"), s->path, QStringLiteral("export-oscal"), file,
        QStringLiteral("--division"), QStringLiteral("South"), QStringLiteral("--catalog"),
        QStringLiteral("https://example.org/oscal/catalog.json") });
    EXPECT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("%1 saved: 2 controls (profile)\n1 entry left out:\n  %2\n").arg(file, kUnknown));
    EXPECT_EQ(commitsByOthers(s->a.store()), before);
    const QJsonObject profile = readJson(file);
    EXPECT_EQ(withIds(profile), QStringList({ "ac-2", "au-2" }));
    EXPECT_EQ(profile[QStringLiteral("profile")][QStringLiteral("imports")][0][QStringLiteral("href")].toString(),
        QStringLiteral("https://example.org/oscal/catalog.json"));

    const ProcessRun usage = runCli(
        { QStringLiteral("--store"), s->path, QStringLiteral("export-oscal"), file, QStringLiteral("--resolve") });
    EXPECT_EQ(usage.status, 1);
    EXPECT_TRUE(usage.err.startsWith(QStringLiteral("usage: quarrix-cli export-oscal"))) << usage.err.toStdString();
}

TEST(OscalExport, ClearingOrReplacingTheCatalogueForgetsTheCatalog)
{
    const auto s = traceAssessmentWithCatalog();
    ASSERT_TRUE(ControlOrigin::read(s->a.store(), false).has_value());
    EXPECT_EQ(ControlOrigin::read(s->a.store(), false)->controls.size(), 8);

    // Deleting one control forgets that control only.
    Table& controls = s->a.controls();
    controls.first();
    controls.remove();
    EXPECT_EQ(ControlOrigin::read(s->a.store(), false)->controls.size(), 7);

    s->a.clearDatabase();
    EXPECT_FALSE(ControlOrigin::read(s->a.store(), false).has_value());

    importControlSet(s->a, smallCatalog());
    const auto catalog = ControlOrigin::read(s->a.store(), false);
    ASSERT_TRUE(catalog.has_value());
    EXPECT_EQ(catalog->catalog.title, QStringLiteral("Export Test Catalog"));
    EXPECT_EQ(catalog->catalog.uuid, QStringLiteral("5a1a2c7e-0002-4c3b-9b4e-000000000002"));
    EXPECT_EQ(catalog->catalog.version, QStringLiteral("2.1"));
    EXPECT_EQ(catalog->catalog.fileName, QFileInfo(smallCatalog()).absoluteFilePath());
    const QString archive = s->file("a.txt");
    ASSERT_EQ(runCli({ QStringLiteral("--store"), s->path, QStringLiteral("save-archive"), archive }).status, 0);
    ASSERT_EQ(runCli({ QStringLiteral("--store"), s->path, QStringLiteral("load-archive"), archive }).status, 0);
    EXPECT_FALSE(ControlOrigin::read(s->a.store(), false).has_value());
}
