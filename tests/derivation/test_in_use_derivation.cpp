#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "support/row_reads.h"
#include "support/temp_store.h"

#include <QProcess>
#include <QSignalSpy>
#include <set>

namespace {

using Names = std::set<QString>;

// A small taxonomy: three business attributes mapped to technical ones, two
// technical attributes mapped to security ones (one of them to a name that no
// Attribute row carries), and one business attribute without any mapping.
class DerivationTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        for (auto [group, name, tier] : { std::tuple { "01", "Agile", "Business" }, { "01", "Brand", "Business" },
                 { "01", "Cost", "Business" }, { "01", "Ghost", "Business" }, { "02", "Net", "Technical" },
                 { "02", "App", "Technical" }, { "02", "Orphan", "Technical" }, { "03", "Access", "Security" },
                 { "03", "Audit", "Security" }, { "03", "Crypto", "Security" } })
            addRow(a.attribute(),
                { { "GrAtt", QString::fromLatin1(group) + QString::fromLatin1(name) },
                    { "Attribute", QString::fromLatin1(name) }, { "Tier", QString::fromLatin1(tier) } });
        for (auto [bus, tech] : { std::pair { "Agile", "Net" }, { "Brand", "App" }, { "Cost", "Orphan" } })
            addRow(a.businessToTechnical(),
                { { "BusAtt", QString::fromLatin1(bus) }, { "TechAtt", QString::fromLatin1(tech) } });
        for (auto [tech, sec] :
            { std::pair { "Net", "Access" }, { "Net", "Nowhere" }, { "App", "Audit" }, { "App", "Crypto" } })
            addRow(a.technicalToSecurity(),
                { { "TechAtt", QString::fromLatin1(tech) }, { "SecAtt", QString::fromLatin1(sec) } });
        addRow(a.drivers(), { { "CSeq", QStringLiteral("BD1") }, { "Division", QStringLiteral("North") } });
        addRow(a.drivers(), { { "CSeq", QStringLiteral("BD2") }, { "Division", QStringLiteral("Harbour's Edge") } });
    }

    void addRequirement(const QString& division)
    {
        addRow(a.requirements(), { { "RSeq", QStringLiteral("BR") + division.left(3) }, { "Division", division } });
    }

    void addProfile(const QString& cseq, const QString& attribute, const QString& priority)
    {
        addRow(a.driverProfiles(), { { "CSeq", cseq }, { "Attribute", attribute }, { "Priority", priority } });
    }

    void derive(const QString& division)
    {
        applyDivisionFilter(a.requirements(), division);
        applyDivisionFilter(a.drivers(), division);
        deriveAttributesInUse(a, division);
    }

    // The marks as stored, read through a second connection to the file.
    Names storedInUse()
    {
        Assessment other;
        QString error;
        EXPECT_TRUE(other.open(path, false, &error)) << error.toStdString();
        Names names;
        Table& t = other.attribute();
        for (t.first(); !t.eof(); t.next())
            if (t.boolean(QStringLiteral("InUse")))
                names.insert(t.text(QStringLiteral("Attribute")));
        return names;
    }

    Names visibleAttributes()
    {
        Names names;
        Table& t = a.attribute();
        for (int row = 0; row < t.recordCount(); ++row)
            names.insert(t.textAt(row, t.fieldIndex(QStringLiteral("Attribute"))));
        return names;
    }
};

struct Profile {
    const char* cseq;
    const char* attribute;
    const char* priority;
};

struct Case {
    const char* title;
    std::vector<const char*> requirementDivisions;
    std::vector<Profile> profile;
    const char* division;
    Names expected;
};

TEST_F(DerivationTest, MarksTheSecurityAttributesReachedByCountedProfileRows)
{
    const std::vector<Case> cases = {
        { "every mapping path with All", { "North" }, { { "BD1", "Agile", "1" }, { "BD2", "Brand", "2" } }, "All",
            { "Access", "Audit", "Crypto" } },
        // Rows left by a deleted driver belong to no division and put nothing in use.
        { "All skips rows of deleted drivers", { "North" }, { { "BD9", "Brand", "3" } }, "All", {} },
        { "a division counts only its drivers", { "North" },
            { { "BD1", "Agile", "1" }, { "BD2", "Brand", "2" }, { "BD9", "Brand", "1" } }, "North", { "Access" } },
        { "a division with an apostrophe", { "Harbour's Edge" }, { { "BD1", "Agile", "1" }, { "BD2", "Brand", "2" } },
            "Harbour's Edge", { "Audit", "Crypto" } },
        { "no requirement at all", {}, { { "BD1", "Agile", "1" } }, "All", {} },
        { "no requirement of the division", { "South" }, { { "BD1", "Agile", "1" } }, "North", {} },
        { "unmapped, technical without security, unknown names", { "North" },
            { { "BD1", "Ghost", "1" }, { "BD1", "Cost", "1" }, { "BD1", "Nowhere", "1" } }, "All", {} },
        { "names compare exactly", { "North" }, { { "BD1", "agile", "1" }, { "bd1", "Brand", "1" } }, "North", {} },
        { "priorities outside 1 to 3 do not count", { "North" },
            { { "BD1", "Agile", "0" }, { "BD1", "Brand", "4" }, { "BD1", "Brand", "" } }, "All", {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        a.emptyTable(a.requirements());
        a.emptyTable(a.driverProfiles());
        for (const char* d : c.requirementDivisions)
            addRequirement(QString::fromLatin1(d));
        for (const Profile& p : c.profile)
            addProfile(QString::fromLatin1(p.cseq), QString::fromLatin1(p.attribute), QString::fromLatin1(p.priority));
        derive(QString::fromLatin1(c.division));
        EXPECT_EQ(storedInUse(), c.expected);
        EXPECT_EQ(visibleAttributes(), c.expected);
        EXPECT_EQ(a.attribute().filter(), QStringLiteral("InUse=TRUE"));
        EXPECT_TRUE(a.attribute().filtered());
        EXPECT_EQ(a.attribute().currentRow(), c.expected.empty() ? -1 : 0);
    }
}

TEST_F(DerivationTest, ClearsStaleMarksAndMovesEachCursorOnce)
{
    addRequirement(QStringLiteral("North"));
    // A mark left by an earlier run that no profile supports any more.
    a.attribute().locate(QStringLiteral("Attribute"), { QStringLiteral("Crypto") });
    a.attribute().setBoolean(QStringLiteral("InUse"), true);
    a.attribute().post();
    for (int i = 0; i < 50; ++i)
        addProfile(i % 2 ? QStringLiteral("BD1") : QStringLiteral("BD2"), QStringLiteral("Agile"), QStringLiteral("2"));
    a.drivers().last();

    QSignalSpy driverMoves(&a.drivers(), &Table::afterMove);
    RowReads reads(a.store());
    derive(QStringLiteral("All"));
    EXPECT_EQ(storedInUse(), (Names { "Access" }));
    // The attributes are read once; the rows in use are picked from memory.
    EXPECT_EQ(reads.take("Attribute"), 1);
    // The division filter moves Drivers once; the derivation once more at most.
    EXPECT_LE(driverMoves.count(), 2);
    EXPECT_EQ(a.drivers().currentRow(), 0);
    EXPECT_EQ(a.attribute().text(QStringLiteral("Attribute")), QStringLiteral("Access"));

    // Unfiltered again, the table shows every row with its new mark.
    a.attribute().setFiltered(false);
    EXPECT_EQ(a.attribute().recordCount(), 10);
}

TEST_F(DerivationTest, CommandLinePrintsTheAttributesInUseInNameOrder)
{
    addRequirement(QStringLiteral("North"));
    addRequirement(QStringLiteral("Harbour's Edge"));
    addProfile(QStringLiteral("BD2"), QStringLiteral("Brand"), QStringLiteral("1"));
    addProfile(QStringLiteral("BD1"), QStringLiteral("Agile"), QStringLiteral("1"));

    auto run = [this](const QStringList& args, int expectedStatus) {
        QProcess cli;
        cli.start(QStringLiteral(QUARRIX_CLI),
            QStringList { QStringLiteral("--store"), path, QStringLiteral("derive") } + args);
        EXPECT_TRUE(cli.waitForFinished(60000));
        EXPECT_EQ(cli.exitCode(), expectedStatus) << cli.readAllStandardError().toStdString();
        return QString::fromUtf8(cli.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    };
    EXPECT_EQ(run({}, 0), (QStringList { "Access", "Audit", "Crypto" }));
    EXPECT_EQ(run({ QStringLiteral("--division"), QStringLiteral("Harbour's Edge") }, 0),
        (QStringList { "Audit", "Crypto" }));
    EXPECT_EQ(run({ QStringLiteral("--division"), QStringLiteral("West") }, 0), QStringList());
    EXPECT_EQ(run({ QStringLiteral("--division") }, 1), QStringList());
}

}
