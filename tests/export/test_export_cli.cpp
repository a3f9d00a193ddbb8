#include "export_fixture.h"
#include "workbook_dump.h"

#include "support/temp_store.h"

#include <QFile>
#include <QProcess>

namespace {

// The command line derives the attributes in use for its division: Access
// and Crypto are reached from both drivers, Brand through Agile (profiled on
// BD1 of North), Net and the two mappings.
class ExportCliTest : public StoreFixture {
protected:
    void SetUp() override
    {
        StoreFixture::SetUp();
        ExportFixture::fill(a);
        ExportFixture::attribute(a, QStringLiteral("01Agile"), QStringLiteral("Agile"), QStringLiteral("Core"),
            QStringLiteral("Quick"), false, QStringLiteral("Business"));
        ExportFixture::attribute(a, QStringLiteral("02Net"), QStringLiteral("Net"), QStringLiteral("Edge"),
            QStringLiteral("Wires"), false, QStringLiteral("Technical"));
        addRow(
            a.businessToTechnical(), { { "BusAtt", QStringLiteral("Agile") }, { "TechAtt", QStringLiteral("Net") } });
        addRow(
            a.technicalToSecurity(), { { "TechAtt", QStringLiteral("Net") }, { "SecAtt", QStringLiteral("Brand") } });
        addRow(a.driverProfiles(),
            { { "CSeq", QStringLiteral("BD1") }, { "Attribute", QStringLiteral("Agile") },
                { "Priority", QStringLiteral("1") } });
        target = dir.filePath(QStringLiteral("cli.xlsx"));
    }

    int cli(const QStringList& args)
    {
        QProcess p;
        p.start(QStringLiteral(QUARRIX_CLI), QStringList { QStringLiteral("--store"), path } + args);
        EXPECT_TRUE(p.waitForFinished(60000));
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    QString target, out, err;
};

TEST_F(ExportCliTest, WritesTheWorkbookForTheDivisionWithTheAttributesInUseThere)
{
    using namespace ExportFixture;
    struct Case {
        const char* name;
        QStringList options;
        QStringList sheetNames;
        QList<QList<QStringList>> rows;
    } cases[] = {
        { "defaults", {}, { "Requirements", "Drivers", "Attributes", "Sheet4" },
            { requirementRows(), driverRows(),
                { attributeRows()[0], attributeRows()[1], { "Core", "Brand", "Unused" }, attributeRows()[2] }, {} } },
        { "division North, activity Build, all tables",
            { "--division", "North", "--activity", "Build", "--tables", "requirements,drivers,attributes,controls" },
            { "Requirements", "Drivers", "Attributes", "Controls" },
            { { requirementRows()[0], requirementRows()[1], requirementRows()[3] },
                { driverRows()[0], driverRows()[1] },
                { attributeRows()[0], attributeRows()[1], { "Core", "Brand", "Unused" }, attributeRows()[2] },
                controlRows() } },
        { "division South does not reach Brand; group choice",
            { "--division", "South", "--tables", "attributes,requirements", "--group", "Core" },
            { "Requirements", "Sheet2", "Attributes", "Sheet4" },
            { { requirementRows()[0], requirementRows()[2] }, {}, { attributeRows()[0], attributeRows()[1] }, {} } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(cli(QStringList { QStringLiteral("export"), target } + c.options), 0) << err.toStdString();
        EXPECT_TRUE(out.startsWith(target + QStringLiteral(" saved"))) << out.toStdString();
        const DumpedWorkbook book = readWithOpenpyxl(target);
        EXPECT_EQ(book.names(), c.sheetNames);
        for (int i = 0; i < 4 && i < book.sheets.size(); ++i)
            EXPECT_EQ(book.sheets[i].rows, c.rows[i]) << "worksheet " << i + 1;
    }
}

TEST_F(ExportCliTest, RefusesBadArgumentsWithoutWritingAFile)
{
    const QList<QStringList> bad {
        { "export" },
        { "export", target, "--tables", "requirements,budgets" },
        { "export", target, "--colour", "red" },
        { "export", target, "--division" },
        { "listings", target + ".pdf", "--sort", "size" },
    };
    for (const QStringList& args : bad) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        EXPECT_NE(cli(args), 0);
        EXPECT_FALSE(err.isEmpty());
        EXPECT_FALSE(QFile::exists(target));
        EXPECT_FALSE(QFile::exists(target + ".pdf"));
    }
}

}
