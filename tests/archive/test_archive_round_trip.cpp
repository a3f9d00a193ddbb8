// Save and load give back every archived value exactly, for random assessments.
#include "archive_fixture.h"

#include "analysis/security_risk_store.h"
#include "archive/code_page_1252.h"

#include <random>

namespace {

class RandomAssessment {
public:
    RandomAssessment(unsigned seed, bool beyondCodePage)
        : m_rng(seed)
        , m_wide(beyondCodePage)
    {
    }

    // A value of one line, at most width characters (0: no limit).
    QString line(int width)
    {
        const int limit = width > 0 ? std::min(width, 24) : 24;
        const int n = pick(0, limit);
        QString s;
        while (s.size() < n) {
            const QString c = character(false);
            if (s.size() + c.size() > n)
                break;
            s += c;
        }
        return s;
    }

    // A value of several lines joined by CR LF: empty, empty lines, a final
    // line end as lists have, and lines that look like other tags.
    QString lines()
    {
        switch (pick(0, 5)) {
        case 0:
            return {};
        case 1:
            return QStringLiteral("\r\n");
        default:
            break;
        }
        QStringList items;
        const int n = pick(1, 4);
        for (int i = 0; i < n; ++i) {
            QString item;
            switch (pick(0, 5)) {
            case 0:
                break; // an empty line
            case 1:
                item = QStringList { "<ID>", "</Title>", "<RequirementRecord>", "</Analysis>", "[END]" }[pick(0, 4)];
                break;
            default:
                for (int k = pick(1, 30); k > 0; --k)
                    item += character(true);
            }
            items << item;
        }
        QString value = items.join(QLatin1String("\r\n"));
        if (pick(0, 1))
            value += QLatin1String("\r\n");
        return value;
    }

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_rng); }

private:
    QString character(bool memo)
    {
        static const QString latin
            = QStringLiteral("abcXYZ019 .,;:'\"|/\\-<>[]\t\u00E9\u00FC\u00D6\u00DF\u20AC\u2014\u2019\u0160\u00A0");
        static const QString wide = QStringLiteral("\u0394\u03B5\u03BB\u0416\u0438\u6771\u4EAC\u0639\u05D0\u0080");
        if (m_wide && pick(0, 3) == 0) {
            if (memo && pick(0, 5) == 0)
                return QStringLiteral("\U0001F512");
            return QString(wide.at(pick(0, int(wide.size()) - 1)));
        }
        return QString(latin.at(pick(0, int(latin.size()) - 1)));
    }

    std::mt19937 m_rng;
    bool m_wide;
};

// Up to `most` records per record block (the loader inserts records in
// groups of 64, so larger counts cross group boundaries).
void fill(Assessment& a, RandomAssessment& r, int most)
{
    Store::Transaction tx(a.store());
    for (const ArchiveFormat::Block& block : ArchiveFormat::blocks()) {
        if (block.isReportDetails) {
            // Mostly none (no block is written), else each value given or
            // left empty, the disclaimer also left as the default.
            if (r.pick(0, 2) == 0)
                continue;
            auto maybe = [&](QString value) { return r.pick(0, 1) ? value : QString(); };
            ReportDetailsStore::write(a.store(),
                { maybe(r.line(60)), maybe(r.line(60)), maybe(r.line(60)), maybe(r.lines()),
                    r.pick(0, 1) ? ReportDetailsStore::defaultDisclaimer() : maybe(r.lines()) });
            continue;
        }
        Table& t = *a.byName(block.table);
        // Risk entries need an application to belong to.
        Table* owners = block.belongsToPrevious() ? a.byName(ArchiveFormat::owner(block)->table) : nullptr;
        const int count = !block.record() ? 1 : owners && owners->recordCount() == 0 ? 0 : r.pick(0, most);
        for (int n = 0; n < count; ++n) {
            if (block.record())
                t.append();
            else
                t.edit();
            if (owners) {
                const int owner = r.pick(0, owners->recordCount() - 1);
                t.setText(block.ownerIdField, QString::number(owners->rowIdAt(owner)));
                t.setText(block.ownerNameField, owners->textAt(owner, owners->fieldIndex("Application")));
            }
            for (const ArchiveFormat::Field& f : block.fields) {
                const QString name = QString::fromLatin1(f.name);
                const int width = t.def().fields[t.fieldIndex(name)].width;
                switch (f.kind) {
                case ArchiveFormat::ValueKind::Line:
                    t.setText(name, r.line(width));
                    break;
                case ArchiveFormat::ValueKind::Lines:
                    t.setText(name, r.lines());
                    break;
                case ArchiveFormat::ValueKind::Number:
                    if (r.pick(0, 2))
                        t.setInteger(name, r.pick(0, 65535));
                    break;
                }
            }
            t.post();
        }
    }
    tx.commit();
}

}

TEST_F(ArchiveTest, RandomAssessmentsSurviveSaveAndLoadExactly)
{
    for (unsigned seed = 1; seed <= 24; ++seed) {
        loading = seed % 3 == 0 ? Loading::AtOnce : Loading::ReadThenApply;
        SCOPED_TRACE(name(loading));
        const bool wide = seed % 2 == 0;
        const int most = seed > 20 ? 150 : 6;
        SCOPED_TRACE(testing::Message() << "seed " << seed << (wide ? " with non-Latin text" : "") << ", up to " << most
                                        << " records per table");
        a.clearDatabase();
        RandomAssessment random(seed, wide);
        fill(a, random, most);
        const QStringList before = snapshot();

        const QString path = file("round.txt");
        const ArchiveWriter::Encoding used = ArchiveWriter::save(a, path);
        const QByteArray first = readBytes(path);
        const bool needsUtf8 = !CodePage1252::canEncode(ArchiveWriter::text(a));
        EXPECT_EQ(used == ArchiveWriter::Encoding::Utf8, needsUtf8);
        EXPECT_EQ(first.startsWith("\xEF\xBB\xBF"), needsUtf8);

        // Other work happens before the load, which replaces it all.
        addRow(a.requirements(), { { "RSeq", "LATER" } });
        addRow(a.driverProfiles(), { { "CSeq", "LATER" }, { "Priority", "1" } });
        addRow(a.applications(), { { "Application", "LATER" } });
        a.system().edit();
        a.system().setText("Description", "changed");
        a.system().post();

        ASSERT_TRUE(load(path).isArchive);
        EXPECT_EQ(snapshot(), before);
        ArchiveWriter::save(a, path);
        EXPECT_EQ(readBytes(path), first);
    }
}

// Risk entries are filed by the application's row id, and names may repeat:
// each entry must come back under the same application, not the first of
// that name.
TEST_F(ArchiveTest, RiskEntriesComeBackUnderTheirOwnApplicationWhenNamesRepeat)
{
    const struct {
        const char* name;
        const char* domain;
        std::vector<std::pair<const char*, RiskEntry>> risks;
    } applications[] = {
        { "Ledger", "Finance", { { "Access", { "Fraud\r\nand theft", "High", "Medium" } }, { "Audit", {} } } },
        { "Payroll", "People", {} },
        { "Ledger", "Shop", { { "Access", { "Skimming", "Low", "High" } } } },
    };
    for (const auto& app : applications) {
        addRow(a.applications(), { { "Application", app.name }, { "Domain", app.domain } });
        for (const auto& [attribute, entry] : app.risks)
            RiskStore::write(a, a.applications().currentRowId(), app.name, attribute, entry);
    }
    const QStringList before = snapshot();
    const QString path = file("apps.txt");
    ArchiveWriter::save(a, path);
    a.clearDatabase();
    ASSERT_TRUE(load(path).isArchive);

    EXPECT_EQ(snapshot(), before);
    Table& apps = a.applications();
    ASSERT_EQ(apps.recordCount(), 3);
    EXPECT_EQ(a.appControl().recordCount(), 3);
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        EXPECT_EQ(apps.textAt(row, apps.fieldIndex("Domain")), applications[row].domain);
        for (const auto& [attribute, entry] : applications[row].risks) {
            const RiskEntry back = RiskStore::read(a, apps.rowIdAt(row), attribute);
            EXPECT_EQ(back.risk, entry.risk);
            EXPECT_EQ(back.likelihood, entry.likelihood);
            EXPECT_EQ(back.impact, entry.impact);
        }
    }
    EXPECT_EQ(RiskStore::read(a, apps.rowIdAt(1), "Access").risk, "");
}

// The report details travel in their own block, written only when the
// analyst gave any; an archive without the block (an older one) leaves them
// empty with the default disclaimer.
TEST_F(ArchiveTest, ReportDetailsComeBackAndAreLeftOutWhenNoneWereGiven)
{
    const QString path = file("details.txt");
    const ReportDetails given { "Jo Analyst", "Sam Client", "1 Quay St", "Looks sound.\r\nFix backups first.",
        ReportDetailsStore::defaultDisclaimer() };
    ReportDetailsStore::write(a.store(), given);
    const QStringList lines = savedLines();
    const qsizetype at = lines.indexOf("<ReportRecord>");
    ASSERT_GT(at, 0);
    EXPECT_EQ(lines.mid(at, 8),
        (QStringList { "<ReportRecord>", "Jo Analyst", "Sam Client", "1 Quay St", "Looks sound.", "Fix backups first.",
            "[end]", ReportDetailsStore::defaultDisclaimer() }));
    for (const Loading way : kLoadings) {
        SCOPED_TRACE(name(way));
        loading = way;
        ArchiveWriter::save(a, path);
        a.clearDatabase();
        EXPECT_EQ(ReportDetailsStore::read(a.store()).releasedBy, "");
        ASSERT_TRUE(load(path).isArchive);
        EXPECT_EQ(ReportDetailsStore::read(a.store()), given);
    }

    // Nothing given: no block, so an empty store still writes 33 lines, and
    // loading such an archive over given details forgets them.
    a.clearDatabase();
    EXPECT_FALSE(ReportDetailsStore::anyGiven(a.store()));
    EXPECT_EQ(savedLines().size(), 33);
    ArchiveWriter::save(a, path);
    ReportDetailsStore::write(a.store(), given);
    ASSERT_TRUE(load(path).isArchive);
    EXPECT_EQ(ReportDetailsStore::read(a.store()), (ReportDetails { {}, {}, {}, {}, given.disclaimer }));

    // A disclaimer the analyst removed stays removed, even with nothing else given.
    ReportDetailsStore::write(a.store(), {});
    ArchiveWriter::save(a, path);
    a.clearDatabase();
    ASSERT_TRUE(load(path).isArchive);
    EXPECT_EQ(ReportDetailsStore::read(a.store()).disclaimer, "");
}
