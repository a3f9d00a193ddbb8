// The custom attribute taxonomy report, read back from the saved .docx.
#include "report_test_support.h"

#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "reports/report_typing.h"
#include "support/in_use_fixture.h"

class TaxonomyReportTest : public ReportStoreTest {
protected:
    void SetUp() override
    {
        ReportStoreTest::SetUp();
        deriveAttributesInUse(a, "All"); // in use: Available, Confidential (User), Logged (Risk), Tracked (Misc)
    }
};

const QString kClosing = "This taxonomy can be used to assess the effects of any security activity within the "
                         "enterprise, as it reflects all identified attributes and through the mappings below relates "
                         "them back to business drivers.  Uses of the taxonomy include assessing the security "
                         "effectiveness of project proposals or tender responses, assessing the criticality of "
                         "security incidents or vulnerabilities, and identifying business relevance to such technical "
                         "processes as accreditation.\f";

TEST_F(TaxonomyReportTest, TitleAndPagesAndTheGroupMatrix)
{
    const QString date = ReportTyping::headerDate(QDate(2026, 3, 4));
    const Docx d = taxonomy();
    EXPECT_TRUE(d.landscape);
    EXPECT_EQ(Docx::text(d.header), "Custom Attribute Taxonomy\t\t\t\t\t\t\t" + date + "\n" + rule(113) + "\n\n");
    EXPECT_EQ(Docx::text(d.footer), "\n" + rule(113) + "\n\n#");
    EXPECT_TRUE(d.titlePage);
    EXPECT_EQ(Docx::text(d.firstHeader), "");
    EXPECT_EQ(slice(d, rule(100), 10),
        (QStringList { rule(100), "HARBOUR REVIEW", "", rule(100), "", "", "", "", "CUSTOM ATTRIBUTE TAXONOMY", "" }));
    // No company details were given: section 1 is left out.
    EXPECT_EQ(slice(d, "Report Date:\t" + date + "\f", 8),
        (QStringList { "Report Date:\t" + date + "\f", "2.  ANALYSIS", "", "2.1 Scope", "Scope line one",
            "Scope line two", "", "2.2 Disclaimer" }));

    // The columns are the groups in use, in GrAtt order; row r holds the
    // r-th attribute in use of each group.
    const QString header = " \tUser \tRisk \tMisc";
    EXPECT_EQ(slice(d, header, 7),
        (QStringList { header, "", " \tAvailable\tLogged\tTracked", " \tConfidential\t\t", "", "", kClosing }));
    const DocxParagraph& head = d.body[size_t(d.find(header))];
    EXPECT_EQ(head.tabStops, (std::vector<int> { 400, 2400, 4400, 6400, 8400, 10400, 12400 }));
    EXPECT_TRUE(head.keepWithNext);
    for (const DocxRun& r : head.runs) {
        EXPECT_TRUE(r.bold);
        EXPECT_EQ(r.underline, r.text != " \t"); // only the names are underlined
        EXPECT_EQ(r.size, 10);
    }
    const DocxParagraph& row = d.body[size_t(d.find(header) + 2)];
    EXPECT_FALSE(row.runs[0].bold || row.runs[0].underline);
    EXPECT_EQ(row.runs[0].size, 10);
    // Tab stops are cleared after the matrix.
    EXPECT_TRUE(d.body[size_t(d.find("4.  ATTRIBUTE DESCRIPTIONS"))].tabStops.empty());
}

// More than seven groups in use: a further block below, seven to a block.
TEST_F(TaxonomyReportTest, MatrixTakesSevenGroupsToABlock)
{
    Table& at = a.attribute();
    for (int g = 1; g <= 8; ++g) {
        ReportFixture::add(at,
            { { "GrAtt", QStringLiteral("%1G").arg(g + 10) }, { "Attribute", QStringLiteral("A%1").arg(g) },
                { "Group", QStringLiteral("G%1").arg(g) }, { "Tier", "Security" } });
        InUseFixture::bringIntoUse(a, QStringLiteral("A%1").arg(g));
    }
    const Docx d = taxonomy();
    // G1 to G8 sort after 01 to 05 but before the business and technical tiers.
    EXPECT_EQ(slice(d, " \tUser \tRisk \tMisc \tG1 \tG2 \tG3 \tG4", 8),
        (QStringList { " \tUser \tRisk \tMisc \tG1 \tG2 \tG3 \tG4", "", " \tAvailable\tLogged\tTracked\tA1\tA2\tA3\tA4",
            " \tConfidential\t\t\t\t\t\t", "", " \tG5 \tG6 \tG7 \tG8", "", " \tA5\tA6\tA7\tA8" }));
}

TEST_F(TaxonomyReportTest, DescriptionsByGroupWithTheirDrivers)
{
    const QString r74 = " \t" + rule(74);
    const Docx d = taxonomy();
    EXPECT_EQ(slice(d, "4.  ATTRIBUTE DESCRIPTIONS", 34),
        (QStringList { "4.  ATTRIBUTE DESCRIPTIONS", "", "",
            "The attributes that are identified as relevant in this assessment have been defined "
            "specifically for the enterprise as follows. Also shown below the description are the business "
            "drivers which are affected by each attribute.",
            "", rule(74), "USER", rule(74), "", " Available \tService is there when needed ", "",
            " \t[BD1.01] Protect customer data", " \t[BD1.02] Sell online", r74, "",
            // each line of the description under the text column
            " Confidential \tData is seen only by those entitled ", " \tto see it ", "",
            " \t[BD1.01] Protect customer data", r74, "", rule(74), "RISK", rule(74), "",
            " Logged \tEvents are recorded ", "", " \t[BD1.02] Sell online", r74, "",
            // outside the starter set's groups, still described
            rule(74), "MISC", rule(74), "" }));
    // No profile row names it; BD1.02 reaches it through Logged > Recorded > Tracked.
    EXPECT_EQ(slice(d, " Tracked \tNo description is recorded. ", 4),
        (QStringList { " Tracked \tNo description is recorded. ", "", " \t[BD1.02] Sell online", r74 }));
    EXPECT_EQ(int(d.body.size()), d.find(" Tracked \tNo description is recorded. ") + 4);
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
    EXPECT_TRUE(hasParagraph(user, " \tAvailable\tLogged\tTracked"));
    EXPECT_TRUE(hasParagraph(user, "USER"));
    EXPECT_TRUE(hasParagraph(user, " Confidential \tData is seen only by those entitled "));
    EXPECT_FALSE(hasParagraph(user, "RISK"));
    EXPECT_FALSE(hasParagraph(user, " Logged \tEvents are recorded "));
    EXPECT_FALSE(hasParagraph(user, "MISC"));

    // Letter case counts: "user" names no group, and the section says so.
    const Docx none = taxonomy(forGroup("user"));
    EXPECT_FALSE(hasParagraph(none, "USER"));
    EXPECT_EQ(none.body.back().text(), "No attribute of the group user is in use in this assessment.");
}

TEST_F(TaxonomyReportTest, NothingInUseSaysSoInsteadOfAnEmptyMatrix)
{
    applyDivisionFilter(a.requirements(), "Nowhere");
    deriveAttributesInUse(a, "Nowhere"); // no requirement in view: nothing in use
    const Docx d = taxonomy();
    EXPECT_EQ(slice(d, "3.  CUSTOM ATTRIBUTE TAXONOMY", 6),
        (QStringList {
            "3.  CUSTOM ATTRIBUTE TAXONOMY", "", "No attribute is in use in this assessment.", "", "", kClosing }));
    EXPECT_EQ(d.body.back().text(), "No attribute is in use in this assessment.");
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
