// What the Quarrix report says of the application risks: the requirements at
// risk in 2.2 beside the risk matrix, the risk entries under the drivers
// (section 6) and the attributes (section 8), and the attributes without a
// control.
#include "report_test_support.h"

#include "support/process_run.h"
#include "support/risk_assessment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class RiskReportTest : public ReportStoreTest {
protected:
    void fill() override { RiskAssessment::build(a); }
};

TEST_F(RiskReportTest, RequirementsAtRiskAreListedInOrderOfUrgencyBesideTheMatrix)
{
    const Docx d = quarrix();
    const int heading = d.find("2.2 Requirements at Risk");
    ASSERT_GT(heading, 0);
    // The matrix floats beside the list, so 2.2 starts a page.
    EXPECT_EQ(d.body[size_t(heading - 1)].text(), "\f");
    EXPECT_TRUE(d.body[size_t(heading + 1)].text().endsWith("These are, in order of urgency:"));
    EXPECT_EQ(slice(d, "R1\tNeed R1", 14, heading),
        (QStringList { "R1\tNeed R1", "\tWorst risk: High (score 9), application Portal, attribute SA", "",
            "R3\tNeed R3", "\tWorst risk: Medium (score 4), application Portal, attribute SB", "",
            // at risk only for want of a control: after the scored ones, the
            // better priority first
            "R6\tNeed R6", "\tNo control assigned: SD", "", "R2\tNeed R2",
            "\tWorst risk: Medium (score 3), application Ledger, attribute SF", "\tNo control assigned: SD", "", "" }));
    EXPECT_TRUE(d.body[size_t(d.find("R1\tNeed R1"))].keepWithNext);

    // The picture is an image in the package, anchored in the heading, with
    // the counts in its description.
    const QByteArray png = Docx::part(dir.filePath("report.docx"), "word/media/image1.png");
    EXPECT_TRUE(png.startsWith("\x89PNG"));
    const QByteArray xml = Docx::part(dir.filePath("report.docx"), "word/document.xml");
    EXPECT_TRUE(xml.contains("<wp:anchor"));
    EXPECT_TRUE(xml.contains("r:embed=\"rIdImage1\""));
    EXPECT_TRUE(xml.contains("likelihood High, impact Low: 0, impact Medium: 0, impact High: 1; "
                             "likelihood Medium, impact Low: 0, impact Medium: 1, impact High: 0; "
                             "likelihood Low, impact Low: 1, impact Medium: 0, impact High: 2. 1 entry unrated."));

    // Under a division only its requirements count; with none at risk the
    // sentence says so instead of announcing a list.
    QuarrixReportOptions south;
    south.division = "South";
    EXPECT_EQ(slice(quarrix(south), "R3\tNeed R3", 4),
        (QStringList {
            "R3\tNeed R3", "\tWorst risk: Medium (score 4), application Portal, attribute SB", "", "R6\tNeed R6" }));
    a.appControl().first();
    while (a.appControl().hasRecord())
        a.appControl().remove();
    // One requirement at risk is announced as one.
    QuarrixReportOptions north;
    north.division = "North";
    const Docx one = quarrix(north);
    EXPECT_EQ(slice(one, "R2\tNeed R2", 3), (QStringList { "R2\tNeed R2", "\tNo control assigned: SD", "" }));
    EXPECT_TRUE(one.bodyText().contains("identified one requirement which is subject"));
    EXPECT_FALSE(one.bodyText().contains("in order of urgency"));
    Table& sd = a.attribute();
    ASSERT_TRUE(sd.locate("Attribute", { "SD" }));
    sd.edit();
    sd.setText("SecControls", "04.01.01: Control D\r\n");
    sd.post();
    const Docx calm = quarrix();
    EXPECT_FALSE(calm.bodyText().contains("in order of urgency"));
    EXPECT_TRUE(calm.bodyText().contains("No requirement is subject to a level of risk beyond that which is normally "
                                         "acceptable"));
    EXPECT_FALSE(Docx::part(dir.filePath("report.docx"), "word/document.xml").contains("<wp:anchor"));
}

TEST_F(RiskReportTest, DriversAndAttributesShowTheirRiskEntriesAndTheGaps)
{
    const Docx d = quarrix();
    const int controls = d.find("6.  BUSINESS DRIVER SECURITY CONTROLS", afterContents(d));
    EXPECT_EQ(slice(d, " \tRisk assessments", 9, controls),
        (QStringList { " \tRisk assessments", " \tSA\tPortal: likelihood High, impact High (High, score 9)",
            " \t\tOutage of the portal ", " \tSB\tPortal: likelihood Medium, impact Medium (Medium, score 4)",
            " \t\tSlow pages ", " \tSB\tLedger: likelihood Low, impact High (Medium, score 3)", " \tSecurity controls",
            " \t01.01.01: Control A", " \t02.01.01: Control B" }));
    // D4 carries SD, which has no control, and SF.
    EXPECT_EQ(slice(d, "D4 \tDrive D4", 8, controls),
        (QStringList { "D4 \tDrive D4", rule(104), "", " \tRisk assessments",
            " \tSF\tLedger: likelihood Low, impact High (Medium, score 3)", " \t\tLost ledger ", " \tSecurity controls",
            " \t06.01.01: Control F" }));

    const int performance = d.find("8.  PERFORMANCE BY ATTRIBUTE", afterContents(d));
    EXPECT_EQ(slice(d, "SD \tNo performance profile is recorded.", 3, performance),
        (QStringList { "SD \tNo performance profile is recorded.", " \tNo control assigned", "" }));
    EXPECT_EQ(slice(d, "SE \tNo performance profile is recorded.", 4, performance),
        (QStringList { "SE \tNo performance profile is recorded.",
            " \tRisk\tLedger: likelihood Severe, impact High (Unrated)", " \t\tOdd rating ", "" }));
}

// quarrix-cli risks prints the same list, as text, CSV or JSON.
TEST_F(RiskReportTest, CliPrintsTheRequirementsAtRisk)
{
    const ProcessRun csv = runCli({ "--store", path, "risks", "--format", "csv" });
    ASSERT_EQ(csv.status, 0) << csv.err.toStdString();
    EXPECT_EQ(csv.err, "");
    EXPECT_EQ(csv.out,
        "requirement,score,level,application,security_attribute,uncontrolled_attributes\r\n"
        "R1,9,High,Portal,SA,\r\nR3,4,Medium,Portal,SB,\r\nR6,,,,,SD\r\nR2,3,Medium,Ledger,SF,SD\r\n");

    const ProcessRun north = runCli({ "--store", path, "risks", "--division", "North" });
    ASSERT_EQ(north.status, 0) << north.err.toStdString();
    EXPECT_EQ(north.out,
        "R1 Need R1\n  worst risk: High 9, Portal, SA\nR2 Need R2\n  worst risk: Medium 3, Ledger, SF\n"
        "  without controls: SD\n");

    const ProcessRun json = runCli({ "--store", path, "risks", "--format", "json", "--division", "South" });
    ASSERT_EQ(json.status, 0) << json.err.toStdString();
    const QJsonArray rows = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].toObject()["score"].toInt(), 4);
    EXPECT_TRUE(rows[1].toObject()["score"].isNull());
    EXPECT_EQ(rows[1].toObject()["uncontrolled_attributes"].toArray(), QJsonArray { "SD" });

    const ProcessRun unknown = runCli({ "--store", path, "risks", "--division", "West" });
    EXPECT_NE(unknown.status, 0);
    EXPECT_TRUE(unknown.err.contains("no division 'West'. Known: All, Enterprise, North, South"))
        << unknown.err.toStdString();
}
