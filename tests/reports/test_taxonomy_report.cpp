// The custom attribute taxonomy report, read back from the saved .docx.
#include "report_test_support.h"

#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "reports/report_typing.h"

class TaxonomyReportTest : public ReportStoreTest {
protected:
    void SetUp() override
    {
        ReportStoreTest::SetUp();
        deriveAttributesInUse(a, "All"); // in use: Available, Confidential (User), Logged (Risk), Tracked (Misc)
    }
};

TEST_F(TaxonomyReportTest, TitleAndPagesAndTheGroupMatrix)
{
    const Docx d = taxonomy();
    EXPECT_TRUE(d.landscape);
    EXPECT_EQ(Docx::text(d.header),
        "Custom Attribute Taxonomy\t\t\t\t\t\t\t" + ReportTyping::headerDate(QDate(2026, 3, 4)) + "\n" + rule(113)
            + "\n\n");
    EXPECT_EQ(Docx::text(d.footer), "\n" + rule(113) + "\n\n#");
    EXPECT_TRUE(d.titlePage);
    EXPECT_EQ(slice(d, rule(100), 10),
        (QStringList { rule(100), "HARBOUR REVIEW", "", rule(100), "", "", "", "", "CUSTOM ATTRIBUTE TAXONOMY", "" }));
    EXPECT_EQ(slice(d, "Report Date:        \f", 15),
        (QStringList { "Report Date:        \f", "1.  COMPANY DETAILS", "", "This report has been prepared for:", "",
            "Contact:   ", "Company:   ", "Address:   ", QString(11, ' '), "", "2.  ANALYSIS", "", "2.1 Scope",
            "Scope line one", "Scope line two" }));

    // Row r holds the r-th attribute in use of each group; Tracked's group
    // "Misc" has no column.
    const QString header = " \tUser \tManagement \tOperational \tRisk \tLegal \tTechnical \tBusiness";
    EXPECT_EQ(slice(d, header, 7),
        (QStringList { header, "", " \tAvailable\t\t\tLogged\t\t\t", " \tConfidential\t\t\t\t\t\t", "", "",
            "This taxonomy can be used to assess the effects of any security activity within the "
            "enterprise, as it reflects allidentified attributes and through the mappings below lates them "
            "back to business drivers.  Uses of the taxonomy includeassessing the security effectiveness of "
            "project proposals or tender responses, assessing the criticality of securityincidents or "
            "vulnerabilities, and identifying business releance to such technbical processes as "
            "accreditation.\f" }));
    const DocxParagraph& head = d.body[size_t(d.find(header))];
    EXPECT_EQ(head.tabStops, (std::vector<int> { 400, 2400, 4400, 6400, 8400, 10400, 12400 }));
    for (const DocxRun& r : head.runs) {
        EXPECT_TRUE(r.bold && r.underline);
        EXPECT_EQ(r.size, 10);
    }
    const DocxParagraph& row = d.body[size_t(d.find(header) + 2)];
    EXPECT_FALSE(row.runs[0].bold || row.runs[0].underline);
    EXPECT_EQ(row.runs[0].size, 10);
    // Tab stops are cleared after the matrix.
    EXPECT_TRUE(d.body[size_t(d.find("4.  ATTRIBUTE DESCRIPTIONS"))].tabStops.empty());
}

TEST_F(TaxonomyReportTest, DescriptionsByGroupWithTheirDrivers)
{
    const QString r74 = " \t" + rule(74);
    const Docx d = taxonomy();
    EXPECT_EQ(slice(d, "4.  ATTRIBUTE DESCRIPTIONS", 34),
        (QStringList { "4.  ATTRIBUTE DESCRIPTIONS", "", "",
            "The attributes that are identified as relevant in this assessment have been defined "
            "specifically for the enterprise as follows.Also shown below the description are the business "
            "drivers which are affected by each attribute.",
            "", rule(74), "USER", rule(74), "", " Available \tService is there when needed ", "",
            " \t[BD1.01] Protect customer data", " \t[BD1.02] Sell online", r74, "",
            // the description keeps its line break
            " Confidential \tData is seen only by those entitled", "to see it ", "",
            " \t[BD1.01] Protect customer data", r74, "", rule(74), "RISK", rule(74), "",
            " Logged \tEvents are recorded ", "", " \t[BD1.02] Sell online", r74, "",
            // outside the matrix groups, still described
            rule(74), "MISC", rule(74), "" }));
    // No profile row names it; BD1.02 reaches it through Logged > Recorded > Tracked.
    EXPECT_EQ(
        slice(d, " Tracked \t ", 6), (QStringList { " Tracked \t ", "", " \t[BD1.02] Sell online", r74, "", "" }));
    EXPECT_EQ(int(d.body.size()), d.find(" Tracked \t ") + 6);
    const DocxRun* banner = &d.body[size_t(d.find("USER"))].runs[0];
    EXPECT_TRUE(banner->bold && banner->italic);
    EXPECT_EQ(banner->color, "0000FF");
    EXPECT_EQ(banner->size, 12);
    EXPECT_EQ(d.body[size_t(d.find(" Logged \tEvents are recorded "))].tabStops, (std::vector<int> { 2600 }));
}

TEST_F(TaxonomyReportTest, LongDescriptionsAreCutAtTheLastBlankWithin100)
{
    Table& at = a.attribute();
    ASSERT_TRUE(at.locate("Attribute", { "Logged" }));
    at.edit();
    at.setText("Description", ReportFixture::longControlText());
    at.post();
    const QString text = ReportFixture::longControlText() + " ";
    const Docx d = taxonomy();
    EXPECT_EQ(slice(d, " Logged \t" + text.left(97), 3),
        (QStringList { " Logged \t" + text.left(97), " \t" + text.mid(97), "" }));
}

TEST_F(TaxonomyReportTest, GroupFilterLimitsTheDescriptionsButNotTheMatrix)
{
    const Docx user = taxonomy(forGroup("User"));
    EXPECT_TRUE(hasParagraph(user, " \tAvailable\t\t\tLogged\t\t\t"));
    EXPECT_TRUE(hasParagraph(user, "USER"));
    EXPECT_TRUE(hasParagraph(user, " Confidential \tData is seen only by those entitled"));
    EXPECT_FALSE(hasParagraph(user, "RISK"));
    EXPECT_FALSE(hasParagraph(user, " Logged \tEvents are recorded "));
    EXPECT_FALSE(hasParagraph(user, "MISC"));

    // Letter case counts: "user" names no group.
    const Docx none = taxonomy(forGroup("user"));
    EXPECT_FALSE(hasParagraph(none, "USER"));
    EXPECT_EQ(int(none.body.size()), none.find("4.  ATTRIBUTE DESCRIPTIONS") + 6); // heading and prose only
}

TEST_F(TaxonomyReportTest, NothingInUseGivesTheMatrixHeaderAndProseOnly)
{
    applyDivisionFilter(a.requirements(), "Nowhere");
    deriveAttributesInUse(a, "Nowhere"); // no requirement in view: nothing in use
    const Docx d = taxonomy();
    const QString header = " \tUser \tManagement \tOperational \tRisk \tLegal \tTechnical \tBusiness";
    const QStringList matrix = slice(d, header, 5);
    ASSERT_EQ(matrix.size(), 5);
    EXPECT_EQ(matrix.mid(0, 4), (QStringList { header, "", "", "" }));
    EXPECT_TRUE(matrix[4].startsWith("This taxonomy can be used"));
    EXPECT_EQ(int(d.body.size()), d.find("4.  ATTRIBUTE DESCRIPTIONS") + 6);
    EXPECT_FALSE(hasParagraph(d, "USER"));
}

TEST_F(TaxonomyReportTest, LeavesAttributeAndProfilesAtTheirFirstRecordWithDisplaysResumed)
{
    a.attribute().last();
    a.driverProfiles().last();
    taxonomy();
    EXPECT_EQ(a.attribute().currentRow(), 0);
    EXPECT_EQ(a.driverProfiles().currentRow(), 0);
    for (Table* t : { &a.attribute(), &a.driverProfiles(), &a.drivers() })
        EXPECT_FALSE(t->notificationsSuspended()) << t->name().toStdString();
}
