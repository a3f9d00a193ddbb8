// The Quarrix report of the hand-made assessment, read back from the saved
// .docx paragraph by paragraph.
#include "report_test_support.h"

#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "reports/report_typing.h"

#include <QFile>
#include <QRegularExpression>

namespace {

const QString kProse3a
    = "This section of the report provides a reference for the requirements that have been identified for the "
      "business, "
      "showing each requirement by Division. These provide a point of traceability for all security services and "
      "mechanisms, to show that the investment in security is justified by its contribution to meeting business "
      "outcomes. At this point the requirements are business-oriented statements, expressed in business language. ";
const QString kProse3b
    = "The source or sources from which each requirement was derived is shown following the requirement. Requirements "
      "are as much as possible taken up to the enterprise level, with Divisional requirements being those specific to "
      "just that Division.  ";
const QString kProse4
    = "This section gives the details of the analysis of the business requirements showing their interpretation and "
      "association with business drivers. It also shows the further decomposition of the business drivers in terms of "
      "the wider security characteristics or attributes which will be used subsequently to link security services and "
      "mechanisms back to business requirements. This section represents the key work in the assessment, with the "
      "attribute profiling of requirements as described below being a unique and powerful feature of Meridal. ";

const DocxRun* runWithText(const Docx& d, const QString& paragraph, const QString& run)
{
    const int i = d.find(paragraph);
    if (i < 0)
        return nullptr;
    for (const DocxRun& r : d.body[size_t(i)].runs)
        if (r.text == run)
            return &r;
    return nullptr;
}

}

TEST_F(ReportStoreTest, FrontMatterPagesAndContentsFollowTheActivityChoice)
{
    const QString date = ReportTyping::headerDate(QDate(2026, 3, 4));
    const Docx all = quarrix();
    EXPECT_TRUE(all.landscape);
    EXPECT_EQ(Docx::text(all.header), "Meridal Quarrix Report\t\t\t\t\t\t" + date + "\n" + rule(113) + "\n\n");
    EXPECT_EQ(Docx::text(all.footer), "\n" + rule(113) + "\n\n#");
    for (const DocxParagraph& p : all.footer)
        EXPECT_EQ(p.alignment, "center");
    // The title page has neither the running header nor the footer.
    EXPECT_TRUE(all.titlePage);
    EXPECT_EQ(Docx::text(all.firstHeader), "");
    EXPECT_EQ(Docx::text(all.firstFooter), "");

    EXPECT_EQ(slice(all, rule(100), 8), (QStringList { rule(100), "HARBOUR REVIEW", "", rule(100), "", "", "", "" }));
    // Without the assessment's name the title is the enterprise's, without
    // either a plain one: never two rules around nothing.
    {
        Table& sys = a.system();
        sys.edit();
        sys.setText("Assessment", "");
        sys.post();
        EXPECT_EQ(slice(quarrix(), rule(100), 2), (QStringList { rule(100), "SECURITY ASSESSMENT" }));
        sys.edit();
        sys.setText("Enterprise", "Harbour Ltd");
        sys.post();
        EXPECT_EQ(slice(quarrix(), rule(100), 2), (QStringList { rule(100), "HARBOUR LTD" }));
        sys.edit();
        sys.setText("Assessment", "Harbour review");
        sys.setText("Enterprise", "");
        sys.post();
    }
    // Nobody named as releasing it: only the date, as the header shows it.
    EXPECT_FALSE(all.bodyText().contains("Report Released by"));
    EXPECT_TRUE(hasParagraph(all, "Report Date:\t" + date + "\f"));
    EXPECT_EQ(slice(all, "CONTENTS", 10),
        (QStringList { "CONTENTS", "", "2.  ANALYSIS", "3.  REQUIREMENTS BY DIVISION",
            "4.  BUSINESS DRIVERS BY DIVISION", "5.  BUSINESS ATTRIBUTES TO DRIVERS",
            "6.  BUSINESS DRIVER SECURITY CONTROLS", "7.  SECURITY CONTROL BUSINESS DRIVERS",
            "8.  PERFORMANCE BY ATTRIBUTE", "\f" }));
    // No contact, company or address: no section 1; no commentary: the
    // disclaimer takes the next number.
    EXPECT_FALSE(hasParagraph(all, "1.  COMPANY DETAILS"));
    EXPECT_FALSE(all.bodyText().contains("This report has been prepared for"));
    EXPECT_FALSE(all.bodyText().contains("Analyst Commentary"));
    EXPECT_EQ(slice(all, "2.4 Disclaimer", 3),
        (QStringList { "2.4 Disclaimer", ReportDetailsStore::defaultDisclaimer(), "" }));

    const Docx audit = quarrix(forActivity("Audit"));
    EXPECT_EQ(
        slice(audit, "HARBOUR REVIEW", 4), (QStringList { "HARBOUR REVIEW", "", "For Activity Audit", rule(100) }));
    // Upper-cased in lines 3 and 4, as entered in lines 5 and 6.
    EXPECT_EQ(slice(audit, "3.  REQUIREMENTS FOR AUDIT BY DIVISION", 4),
        (QStringList { "3.  REQUIREMENTS FOR AUDIT BY DIVISION", "4.  BUSINESS DRIVERS FOR AUDIT BY DIVISION",
            "5.  BUSINESS ATTRIBUTES TO Audit DRIVERS", "6.  BUSINESS DRIVER SECURITY CONTROLS FOR Audit" }));
}

// The report details and the enterprise's name fill the title page, section 1
// and the commentary and disclaimer; each line is printed only with a value.
TEST_F(ReportStoreTest, ReportDetailsFillTheFrontMatter)
{
    const QString date = ReportTyping::headerDate(QDate(2026, 3, 4));
    Table& sys = a.system();
    sys.edit();
    sys.setText("Enterprise", "Harbour Ltd");
    sys.post();
    ReportDetailsStore::write(
        a.store(), { "Jo Analyst", "Sam Client", "", "Sound overall.\r\nFix backups first.\r\n", "Our own words." });
    const Docx d = quarrix();
    EXPECT_EQ(slice(d, "Report Released by:\tJo Analyst", 3),
        (QStringList { "Report Released by:\tJo Analyst", "", "Report Date:\t" + date + "\f" }));
    EXPECT_EQ(d.body[size_t(d.find("Report Date:\t" + date + "\f"))].tabStops, (std::vector<int> { 2600 }));
    EXPECT_EQ(slice(d, "CONTENTS", 4), (QStringList { "CONTENTS", "", "1.  COMPANY DETAILS", "2.  ANALYSIS" }));
    EXPECT_EQ(slice(d, "1.  COMPANY DETAILS", 6, d.find("CONTENTS") + 3),
        (QStringList { "1.  COMPANY DETAILS", "This report has been prepared for:", "Contact:\tSam Client",
            "Company:\tHarbour Ltd", "", "2.  ANALYSIS" }));
    EXPECT_EQ(d.body[size_t(d.find("Contact:\tSam Client"))].indent, WordDocument::kIndentStep);
    EXPECT_EQ(slice(d, "2.4 Analyst Commentary", 7),
        (QStringList { "2.4 Analyst Commentary", "Sound overall.", "Fix backups first.", "", "2.5 Disclaimer",
            "Our own words.", "" }));

    // The taxonomy report says the same.
    const Docx t = taxonomy();
    EXPECT_TRUE(hasParagraph(t, "Report Released by:\tJo Analyst"));
    EXPECT_TRUE(hasParagraph(t, "Company:\tHarbour Ltd"));
    EXPECT_EQ(slice(t, "2.2 Analyst Assessment", 5),
        (QStringList { "2.2 Analyst Assessment", "Sound overall.", "Fix backups first.", "", "2.3 Disclaimer" }));
}

TEST_F(ReportStoreTest, FormattingOfTitleBannersReferencesAndTabStops)
{
    const Docx d = quarrix();
    const DocxParagraph& title = d.body[size_t(d.find("HARBOUR REVIEW"))];
    EXPECT_EQ(title.alignment, "center");
    ASSERT_EQ(title.runs.size(), 1u);
    EXPECT_TRUE(title.runs[0].bold);
    EXPECT_EQ(title.runs[0].size, 14);
    EXPECT_EQ(title.runs[0].font, "Times New Roman");
    const DocxParagraph& released
        = d.body[size_t(d.find("Report Date:\t" + ReportTyping::headerDate(QDate(2026, 3, 4)) + "\f"))];
    EXPECT_EQ(released.alignment, "left");
    EXPECT_FALSE(released.runs[0].bold);
    EXPECT_EQ(released.runs[0].size, 12);

    // The contents are indented one step, then outdented.
    EXPECT_EQ(d.body[size_t(d.find("2.  ANALYSIS"))].indent, WordDocument::kIndentStep);
    EXPECT_EQ(d.body[size_t(d.find("2.  ANALYSIS", d.find("CONTENTS") + 3))].indent, 0);
    EXPECT_EQ(d.body[size_t(d.find("2.1 Scope"))].indent, 0);

    // Headings and banners stay on the page of what follows them.
    for (const char* kept : { "2.2 Requirements at Risk", "3.  REQUIREMENTS BY DIVISION", "North", " \tReferences: ",
             "4.1  NORTH BUSINESS DRIVERS", "Core", " \tTrace to Drivers", "8.  PERFORMANCE BY ATTRIBUTE" })
        EXPECT_TRUE(d.body[size_t(d.find(kept, afterContents(d)))].keepWithNext) << kept;
    EXPECT_FALSE(d.body[size_t(d.find("BR1.01\tKeep customer data private"))].keepWithNext);

    // Banner: bold, italic, blue; the text after it plain and black.
    const DocxRun* north = runWithText(d, "North", "North");
    ASSERT_TRUE(north);
    EXPECT_TRUE(north->bold);
    EXPECT_TRUE(north->italic);
    EXPECT_EQ(north->color, "0000FF");
    const DocxRun* requirement
        = runWithText(d, "BR1.01\tKeep customer data private", "BR1.01\tKeep customer data private");
    ASSERT_TRUE(requirement);
    EXPECT_FALSE(requirement->bold);
    EXPECT_FALSE(requirement->italic);
    EXPECT_EQ(requirement->color, "");
    EXPECT_EQ(d.body[size_t(d.find("BR1.01\tKeep customer data private"))].tabStops, (std::vector<int> { 2000, 6400 }));

    // Only "References: " is underlined.
    const DocxParagraph& refs = d.body[size_t(d.find(" \tReferences: "))];
    ASSERT_EQ(refs.runs.size(), 2u);
    EXPECT_FALSE(refs.runs[0].underline);
    EXPECT_TRUE(refs.runs[1].underline);
    EXPECT_EQ(refs.runs[1].text, "References: ");

    // Section 4: the attribute banner keeps its colour on the rule below it.
    const DocxRun* attrs = runWithText(d, " \tBusiness Attributes", " \tBusiness Attributes");
    ASSERT_TRUE(attrs);
    EXPECT_TRUE(attrs->bold && attrs->italic);
    EXPECT_EQ(attrs->color, "0000FF");
    const int ruleAt = d.find(" \tBusiness Attributes") + 1;
    const DocxParagraph& rule94 = d.body[size_t(ruleAt)];
    EXPECT_EQ(rule94.text(), " \t" + rule(94));
    EXPECT_FALSE(rule94.runs[0].bold || rule94.runs[0].italic);
    EXPECT_EQ(rule94.runs[0].color, "0000FF");
    EXPECT_EQ(d.body[size_t(ruleAt + 1)].runs[0].color, ""); // the description
    EXPECT_EQ(d.body[size_t(d.find("BD1.01 \tProtect customer data"))].tabStops, (std::vector<int> { 2000, 4000 }));

    // Section 5's rule of 74 between attributes of one group is blue, not bold.
    const DocxRun* rule74 = runWithText(d, " \t" + rule(74), " \t" + rule(74));
    ASSERT_TRUE(rule74);
    EXPECT_EQ(rule74->color, "0000FF");
    EXPECT_FALSE(rule74->bold);
    const DocxRun* trace = runWithText(d, " \tTrace to Drivers", "Trace to Drivers");
    ASSERT_TRUE(trace);
    EXPECT_TRUE(trace->underline);
}

TEST_F(ReportStoreTest, RequirementsByDivisionWithReferenceFolds)
{
    const QString s89 = ReportFixture::source89();
    const Docx all = quarrix();
    // Divisions in the System tab's order, no division last under its own
    // banner; each line of the sources a line of its own.
    EXPECT_EQ(slice(all, "3.  REQUIREMENTS BY DIVISION", 43, afterContents(all)),
        (QStringList { "3.  REQUIREMENTS BY DIVISION", "", kProse3a, kProse3b, "", rule(104), "North", rule(104), "",
            "BR1.01\tKeep customer data private", " \tReferences: ", " \tBoard minutes ", "", "BR1.05\tReport breaches",
            " \tReferences: ", " \tfirst part ", " \tsecond part ", "",
            // no blank in the first 90 characters: cut at 90
            "BR1.06\tHold records", " \tReferences: ", " \t" + QString(90, 'x'), " \txxxxx ", "", rule(104), "South",
            rule(104), "",
            // 89 characters fit on one line; 90 are cut at the last blank
            "BR1.03\tMeet regulation", " \tReferences: ", " \t" + s89 + " ", "", "BR1.04\tRecover quickly",
            " \tReferences: ", " \t" + s89.left(85), " \tabcde ", "", rule(104), "No division", rule(104), "",
            // no sources: no label over nothing
            "BR1.02\tTrade online", "", "\f" }));

    const Docx audit = quarrix(forActivity("Audit"));
    EXPECT_EQ(slice(audit, rule(104), 21, audit.find("3.  REQUIREMENTS FOR AUDIT BY DIVISION", 30)),
        (QStringList { rule(104), "North", rule(104), "", "BR1.01\tKeep customer data private",
            " \tReferences: ", " \tBoard minutes ", "", "BR1.05\tReport breaches", " \tReferences: ", " \tfirst part ",
            " \tsecond part ", "", rule(104), "South", rule(104), "", "BR1.03\tMeet regulation",
            " \tReferences: ", " \t" + s89 + " ", "" }));

    // An activity typed in other letter case restricts to nothing: sections 3
    // and 4 say so instead of announcing a list.
    const Docx none = quarrix(forActivity("audit"));
    EXPECT_FALSE(hasParagraph(none, "BR1.01\tKeep customer data private"));
    const int heading = none.find("3.  REQUIREMENTS FOR AUDIT BY DIVISION", 30);
    ASSERT_GT(heading, 0);
    EXPECT_EQ(slice(none, "3.  REQUIREMENTS FOR AUDIT BY DIVISION", 14, heading),
        (QStringList { "3.  REQUIREMENTS FOR AUDIT BY DIVISION", "", kProse3a, kProse3b, "",
            "No requirement is recorded within the scope of this report.", "", "\f",
            "4.  BUSINESS DRIVERS FOR AUDIT BY DIVISION", "", kProse4, "",
            "No business driver is recorded within the scope of this report.", "" }));
}

TEST_F(ReportStoreTest, DriversByDivisionAndGroupWithTheirRequirementsAndAttributes)
{
    const QString r94 = " \t" + rule(94);
    const Docx d = quarrix();
    EXPECT_EQ(slice(d, "4.  BUSINESS DRIVERS BY DIVISION", 4, afterContents(d)),
        (QStringList { "4.  BUSINESS DRIVERS BY DIVISION", "", kProse4, "" }));
    // Each division once, a new page each, every group under its banner.
    const QStringList expected { "4.1  NORTH BUSINESS DRIVERS", rule(104), "Core", rule(104), "",
        "BD1.01 \tProtect customer data", "", " \tTrace to Requirements: ", " \tBR1.01: Keep customer data private ",
        " \tBR1.05: Report breaches ", " \tBusiness Attributes", r94,
        // the description is flattened, each line ended by CR alone
        " \tConfidential\tData is seen only by those entitled  to see it ", r94,
        " \tAvailable\tService is there when needed ", r94, "", rule(104), "Support", rule(104), "",
        // a profiled attribute that is in no use is described all the same
        "BD1.03 \tKeep records", "", " \tTrace to Requirements: ", " \tNo requirement is traced to this driver.",
        " \tBusiness Attributes", r94, " \tCompliant\tMeets the rules ", r94, "", "\f",
        // the group banner again in the next division
        "4.2  SOUTH BUSINESS DRIVERS", rule(104), "Core", rule(104), "", "BD1.02 \tSell online", "",
        " \tTrace to Requirements: ", " \tBR1.02: Trade online ", " \tBusiness Attributes", r94,
        " \tAvailable\tService is there when needed ", r94, " \tLogged\tEvents are recorded ", r94, "", "\f",
        "4.3  BUSINESS DRIVERS WITH NO DIVISION", rule(104), "Core", rule(104), "", "BD1.04 \tStay open", "",
        " \tTrace to Requirements: ", " \tBR1.02: Trade online ", " \tBusiness Attributes", r94,
        " \tNo business attribute is profiled for this driver.", "", "\f", "5.  BUSINESS ATTRIBUTES TO DRIVERS" };
    EXPECT_EQ(slice(d, expected.first(), int(expected.size())), expected);

    // Activity Audit: both drivers in North, the second group on the same page.
    const Docx audit = quarrix(forActivity("Audit"));
    EXPECT_EQ(slice(audit, "4.1  NORTH BUSINESS DRIVERS", 31),
        (QStringList { "4.1  NORTH BUSINESS DRIVERS", rule(104), "Core", rule(104), "",
            "BD1.01 \tProtect customer data", "",
            " \tTrace to Requirements: ", " \tBR1.01: Keep customer data private ", " \tBR1.05: Report breaches ",
            " \tBusiness Attributes", r94, " \tConfidential\tData is seen only by those entitled  to see it ", r94,
            " \tAvailable\tService is there when needed ", r94, "", rule(104), "Support", rule(104), "",
            "BD1.03 \tKeep records", "", " \tTrace to Requirements: ", " \tNo requirement is traced to this driver.",
            " \tBusiness Attributes", r94, " \tCompliant\tMeets the rules ", r94, "", "\f" }));
    EXPECT_TRUE(hasParagraph(audit, "4.  BUSINESS DRIVERS FOR AUDIT BY DIVISION"));
    EXPECT_FALSE(hasParagraph(audit, "4.2  NORTH BUSINESS DRIVERS"));
}

// Enterprise first, then the System tab's divisions in its order, then any
// other, then the drivers with no division; a driver with no group gets a
// banner of its own after the named groups.
TEST_F(ReportStoreTest, DivisionsAndGroupsInTheSystemTabsOrderWithNoneLast)
{
    ReportFixture::add(
        a.drivers(), { { "CSeq", "BD0.01" }, { "Driver", "Early" }, { "Division", "" }, { "Group", "" } });
    ReportFixture::add(a.drivers(),
        { { "CSeq", "BD0.02" }, { "Driver", "Everywhere" }, { "Division", "Enterprise" }, { "Group", "Support" } });
    ReportFixture::add(
        a.drivers(), { { "CSeq", "BD0.03" }, { "Driver", "Far" }, { "Division", "West" }, { "Group", "Core" } });
    ReportFixture::add(
        a.requirements(), { { "RSeq", "BR0.01" }, { "Requirement", "Everyone" }, { "Division", "Enterprise" } });
    const Docx d = quarrix();
    const int drivers = d.find("4.  BUSINESS DRIVERS BY DIVISION", afterContents(d));
    QStringList headings;
    for (int i = drivers; i < d.find("5.  BUSINESS ATTRIBUTES TO DRIVERS", drivers); ++i)
        if (d.body[size_t(i)].text().startsWith("4."))
            headings << d.body[size_t(i)].text();
    EXPECT_EQ(headings,
        (QStringList { "4.  BUSINESS DRIVERS BY DIVISION", "4.1  ENTERPRISE BUSINESS DRIVERS",
            "4.2  NORTH BUSINESS DRIVERS", "4.3  SOUTH BUSINESS DRIVERS", "4.4  WEST BUSINESS DRIVERS",
            "4.5  BUSINESS DRIVERS WITH NO DIVISION" }));
    EXPECT_EQ(slice(d, rule(104), 14, d.find("4.5  BUSINESS DRIVERS WITH NO DIVISION")),
        (QStringList { rule(104), "Core", rule(104), "", "BD1.04 \tStay open", "",
            " \tTrace to Requirements: ", " \tBR1.02: Trade online ", " \tBusiness Attributes", " \t" + rule(94),
            " \tNo business attribute is profiled for this driver.", "", rule(104), "No group" }));
    // Section 3 walks the divisions in the same order.
    EXPECT_EQ(slice(d, rule(104), 2, d.find("3.  REQUIREMENTS BY DIVISION", afterContents(d))),
        (QStringList { rule(104), "Enterprise" }));
}

TEST_F(ReportStoreTest, AttributesToDriversAndDriverControls)
{
    const Docx d = quarrix();
    EXPECT_EQ(slice(d, "5.  BUSINESS ATTRIBUTES TO DRIVERS", 38, afterContents(d)),
        (QStringList { "5.  BUSINESS ATTRIBUTES TO DRIVERS", "",
            "This section provides the attribute and driver information formatted in a way to trace back "
            "attributes to the business drivers from which they were derived, which themselves can then be "
            "traced back to requirements. This ability to trace back is one of the key benefits of carrying "
            "out a structured architectural analysis.",
            "", rule(104), "", "User", rule(104), "",
            // first of its group: no rule of 74 under the banner
            "Available \tService is there when needed ", "", " \tTrace to Drivers", " \tBD1.01\tProtect customer data",
            " \tBD1.02\tSell online", " \t" + rule(74),
            "Confidential \tData is seen only by those entitled  to see it ", "", " \tTrace to Drivers",
            " \tBD1.01\tProtect customer data", rule(104), "", "Risk", rule(104), "", "Logged \tEvents are recorded ",
            "", " \tTrace to Drivers", " \tBD1.02\tSell online", rule(104), "", "Misc", rule(104), "",
            // empty description, no profile row naming it: BD1.02 carries it
            // all the same, through Logged > Recorded > Tracked
            "Tracked \tNo description is recorded. ", "", " \tTrace to Drivers", " \tBD1.02\tSell online", "\f" }));

    // Sorted by character code ("R" before "a"), each entry once per driver.
    // A driver whose attributes have no control says so.
    EXPECT_EQ(slice(d, rule(104), 30, d.find("6.  BUSINESS DRIVER SECURITY CONTROLS", afterContents(d))),
        (QStringList { rule(104), "BD1.01 \tProtect customer data", rule(104), "", " \t01.01.01: Encrypt stored data",
            " \t02.01.01: Manage keys", " \tReview yearly", " \tannual check", rule(104), "BD1.02 \tSell online",
            rule(104), "", " \t02.01.01: Manage keys", " \t03.01.01: Review logs", " \t99.99.99: Not in catalogue",
            " \tReview yearly", " \tannual check", rule(104), "BD1.03 \tKeep records", rule(104), "",
            " \tNo control assigned", rule(104), "BD1.04 \tStay open", rule(104), "", " \tNo control assigned", "\f",
            "7.  SECURITY CONTROL BUSINESS DRIVERS", "" }));

    // Activity Audit limits the driver lists of section 5 and the drivers of section 6.
    const Docx audit = quarrix(forActivity("Audit"));
    EXPECT_EQ(slice(audit, "Available \tService is there when needed ", 5),
        (QStringList { "Available \tService is there when needed ", "", " \tTrace to Drivers",
            " \tBD1.01\tProtect customer data", " \t" + rule(74) }));
    EXPECT_EQ(slice(audit, "Logged \tEvents are recorded ", 5),
        (QStringList { "Logged \tEvents are recorded ", "", " \tTrace to Drivers",
            " \tNo driver within the scope of this report carries this attribute.", rule(104) }));
    EXPECT_TRUE(hasParagraph(audit, "6.  BUSINESS DRIVER SECURITY CONTROLS FOR Audit"));
    EXPECT_TRUE(hasParagraph(audit, "BD1.03 \tKeep records"));
    // BD1.02 (Build) first appears in section 7, which ignores the activity.
    EXPECT_GT(
        audit.find("BD1.02 \tSell online"), audit.find("7.  SECURITY CONTROL BUSINESS DRIVERS", afterContents(audit)));
}

TEST_F(ReportStoreTest, ControlTraceAndAttributePerformance)
{
    const QString longText = ReportFixture::longControlText() + " ";
    const Docx d = quarrix();
    EXPECT_EQ(slice(d, "7.  SECURITY CONTROL BUSINESS DRIVERS", 29, afterContents(d)),
        (QStringList { "7.  SECURITY CONTROL BUSINESS DRIVERS", "", "", rule(104), "01.01.01 \tEncryption", rule(104),
            "", " \tEncrypt all stored data  with AES ", "", "BD1.01 \tProtect customer data", "",
            // one banner, two drivers; an empty control text types no blank line
            rule(104), "02.01.01 \tKey management", rule(104), "", "BD1.01 \tProtect customer data",
            "BD1.02 \tSell online", "", rule(104), "03.01.01 \tLog review", rule(104), "", " \t" + longText.left(97),
            " \t" + longText.mid(97), "",
            // 99.99.99 is in no catalogue: nothing; entries without a colon: nothing
            "BD1.02 \tSell online", "\f", "8.  PERFORMANCE BY ATTRIBUTE", "" }));
    // An attribute without a profile or without a control says so.
    const QStringList performance { "8.  PERFORMANCE BY ATTRIBUTE", "", rule(104), "User", rule(104), "",
        "Available \tNo performance profile is recorded.", "", "Confidential \tMeasured by audit ", "", rule(104),
        "Risk", rule(104), "", "Logged \t" + longText.left(97), " \t" + longText.mid(97), "", rule(104), "Misc",
        rule(104), "", "Tracked \tNo performance profile is recorded.", " \tNo control assigned" };
    const int section8 = d.find(performance.first(), afterContents(d));
    EXPECT_EQ(slice(d, performance.first(), int(performance.size()), section8), performance);
    // The document ends there: no empty paragraph to spill onto a blank page.
    EXPECT_EQ(int(d.body.size()), section8 + int(performance.size()));

    // Section 7 ignores the activity.
    const Docx audit = quarrix(forActivity("Audit"));
    EXPECT_EQ(slice(audit, "02.01.01 \tKey management", 5),
        (QStringList {
            "02.01.01 \tKey management", rule(104), "", "BD1.01 \tProtect customer data", "BD1.02 \tSell online" }));
}

TEST_F(ReportStoreTest, DivisionFilterNarrowsDriversAttributesAndTheTrace)
{
    applyDivisionFilter(a.requirements(), "North");
    applyDivisionFilter(a.drivers(), "North");
    const Docx d = quarrix(forDivision("North"));
    // Only North's profiles count: Logged and Tracked are not in use.
    EXPECT_FALSE(hasParagraph(d, "Logged \tEvents are recorded "));
    EXPECT_FALSE(hasParagraph(d, "03.01.01 \tLog review"));
    // BD1.02 (South) still profiles Available, but only North's drivers are listed.
    EXPECT_EQ(slice(d, "02.01.01 \tKey management", 5),
        (QStringList { "02.01.01 \tKey management", rule(104), "", "BD1.01 \tProtect customer data", "\f" }));
    EXPECT_FALSE(hasParagraph(d, "BD1.02 \tSell online"));
    EXPECT_FALSE(hasParagraph(d, "BR1.03\tMeet regulation"));
}

TEST_F(ReportStoreTest, LeavesTablesAsTheTabsExpectAndReadsTheSameTwice)
{
    const QString first = dir.filePath("first.docx");
    const qint64 changesBefore = a.store().totalChanges();
    QuarrixReport::write(a, first, {});
    EXPECT_EQ(a.store().totalChanges(), changesBefore); // nothing written: no marks, no IDDR rows
    EXPECT_EQ(a.requirements().sort(), "");
    EXPECT_EQ(a.drivers().sort(), "");
    EXPECT_EQ(a.requirements().currentRow(), 0);
    EXPECT_EQ(a.drivers().currentRow(), 0);
    EXPECT_FALSE(a.driverProfiles().filtered());
    EXPECT_FALSE(a.attribute().filtered());
    EXPECT_EQ(a.attribute().sort(), "GrAtt ASC");
    EXPECT_EQ(a.attribute().currentRow(), 0);
    for (Table* t : { &a.requirements(), &a.drivers(), &a.driverProfiles(), &a.attribute(), &a.controls(),
             &a.controlDriverTrace() })
        EXPECT_FALSE(t->notificationsSuspended()) << t->name().toStdString();

    // A second run, with stale marks left in the store, reads the same.
    a.store().exec("UPDATE Attribute SET InUse = 1 - COALESCE(InUse, 0)");
    a.attribute().refresh();
    const QString second = dir.filePath("second.docx");
    QuarrixReport::write(a, second, {});
    EXPECT_EQ(Docx::part(first, "word/document.xml"), Docx::part(second, "word/document.xml"));
}

TEST_F(ReportStoreTest, ProgressStepsInOrder)
{
    std::vector<int> steps;
    QuarrixReportOptions options;
    options.progress = [&](int v) { steps.push_back(v); };
    quarrix(options);
    EXPECT_EQ(steps, (std::vector<int> { 1, 10, 25, 40, 65, 80, 90, 100 }));
}

TEST_F(ReportStoreTest, DriverControlListHasNoSizeLimit)
{
    // 600 distinct entries for one driver, given in descending order.
    QStringList entries;
    for (int i = 600; i >= 1; --i)
        entries << QStringLiteral("50.%1.01: control %1").arg(i, 3, 10, QLatin1Char('0'));
    Table& at = a.attribute();
    ASSERT_TRUE(at.locate("GrAtt", { "01Confidential" }));
    at.edit();
    at.setText("SecControls", entries.join("\r\n"));
    at.post();
    const Docx d = quarrix();
    const int banner
        = d.find("BD1.01 \tProtect customer data", d.find("6.  BUSINESS DRIVER SECURITY CONTROLS", afterContents(d)));
    ASSERT_GT(banner, 0);
    QStringList listed;
    for (int i = banner + 3; i < int(d.body.size()) && d.body[size_t(i)].text() != rule(104); ++i)
        listed << d.body[size_t(i)].text();
    // In character code order with the entries of Available, the driver's other attribute.
    QStringList expected { " \t02.01.01: Manage keys" };
    for (int i = 1; i <= 600; ++i)
        expected << QStringLiteral(" \t50.%1.01: control %1").arg(i, 3, 10, QLatin1Char('0'));
    expected << " \tReview yearly"
             << " \tannual check";
    EXPECT_EQ(listed, expected);
}

TEST_F(ReportStoreTest, TraceEntryWithoutIdentifierNeverListsAnOrphanDriver)
{
    // ": unnamed" traces to the empty identifier; with driver "0" its key
    // sorts before every other, so it is the first row of the trace.
    Table& at = a.attribute();
    ASSERT_TRUE(at.locate("GrAtt", { "01Confidential" }));
    at.edit();
    at.setText("SecControls", ": unnamed\r\n01.01.01: Encrypt stored data\r\n");
    at.post();
    ReportFixture::add(
        a.drivers(), { { "CSeq", "0" }, { "Driver", "Zero" }, { "Group", "Core" }, { "Division", "North" } });
    a.driverProfiles().append();
    a.driverProfiles().setText("CSeq", "0");
    a.driverProfiles().setText("Attribute", "Confidential");
    a.driverProfiles().setInteger("Priority", 1);
    a.driverProfiles().post();
    const Docx d = quarrix();
    EXPECT_EQ(slice(d, "7.  SECURITY CONTROL BUSINESS DRIVERS", 11, afterContents(d)),
        (QStringList { "7.  SECURITY CONTROL BUSINESS DRIVERS", "", "", rule(104), "01.01.01 \tEncryption", rule(104),
            "", " \tEncrypt all stored data  with AES ", "", "0 \tZero", "BD1.01 \tProtect customer data" }));
}

// The fixed texts of both reports, proofread: none of the faults a reader
// met comes back, and no sentence runs into the next without a blank.
TEST_F(ReportStoreTest, FixedTextsOfBothReportsReadAsProofread)
{
    ReportDetailsStore::write(a.store(), { "Jo Analyst", "Sam Client", "1 Quay St", "Sound.", "" });
    deriveAttributesInUse(a, "All");
    const QString text = quarrix().bodyText() + quarrix(forActivity("Audit")).bodyText() + taxonomy().bodyText();
    for (const char* fault : { "tat have ben", " lates them back", "releance", "technbical", "allidentified",
             "includeassessing", "securityincidents", "requirements.This", "follows.Also", "8.  ATTRIBUTE DETAILS",
             "Contact:   ", "Report Released by: \n", "Report Date:        " })
        EXPECT_FALSE(text.contains(QLatin1String(fault))) << fault;
    for (const char* mended : { "that have been", "relates them back", "relevance", "technical processes",
             "all identified", "include assessing", "security incidents" })
        EXPECT_TRUE(text.contains(QLatin1String(mended))) << mended;
    const QRegularExpression joined(QStringLiteral("[a-z][.:;,][A-Z][a-z]"));
    EXPECT_FALSE(joined.match(text).hasMatch()) << joined.match(text).captured().toStdString();
}
