// Sections 5 to 7 of the Quarrix report and the taxonomy report's driver
// lists for profiles of business attributes only: every attribute in use is
// traced to the drivers whose profiles reach it, and every control to them.
#include "report_test_support.h"

#include "analysis/in_use_derivation.h"
#include "analysis/profile_division_filter.h"
#include "support/trace_assessment.h"

namespace {

const QString kSection5Prose
    = "This section provides the attribute and driver information formatted in a way to trace back attributes to the "
      "business drivers from which they were derived, which themselves can then be traced back to requirements. This "
      "ability to trace back is one of the key benefits of carrying out a structured architectural analysis.";

const QString kBooks = " \tBD1.01\tTrustworthy books";
const QString kService = " \tBD1.02\tQuick service";
const QString kShipping = " \tBD2.01\tReliable shipping";

class TraceSectionsTest : public ReportStoreTest {
protected:
    void fill() override { TraceAssessment::build(a); }

    Docx quarrixFor(const QString& division, const QString& activity = "All")
    {
        applyDivisionFilter(a.requirements(), division);
        applyDivisionFilter(a.drivers(), division);
        QuarrixReportOptions o;
        o.division = division;
        o.activity = activity;
        return quarrix(o);
    }

    // The body paragraphs from the heading found after the contents page.
    static QStringList section(const Docx& d, const QString& heading, int count)
    {
        return slice(d, heading, count, afterContents(d));
    }
};

TEST_F(TraceSectionsTest, AttributesInUseListTheDriversThatCarryThem)
{
    const QString r74 = " \t" + rule(74);
    EXPECT_EQ(section(quarrixFor("All"), "5.  BUSINESS ATTRIBUTES TO DRIVERS", 38),
        (QStringList { "5.  BUSINESS ATTRIBUTES TO DRIVERS", "", kSection5Prose, "", rule(104), "", "Protect",
            rule(104), "", "Integrity \tBooks add up ", "", " \tTrace to Drivers", kBooks, r74,
            "Traceability \tEvery change has an author ", "", " \tTrace to Drivers", kBooks, kShipping, rule(104), "",
            "Operate", rule(104), "",
            // reached from Responsive (two drivers) and from Punctual
            "Availability \tOpen when customers come ", "", " \tTrace to Drivers", kBooks, kService, kShipping, r74,
            "Resilience \tRecovers quickly ", "", " \tTrace to Drivers", kBooks, kService, "\f",
            "6.  BUSINESS DRIVER SECURITY CONTROLS" }));

    // The division keeps its own drivers; the activity narrows the lists.
    const Docx north = quarrixFor("North");
    EXPECT_EQ(slice(north, "Traceability \tEvery change has an author ", 5),
        (QStringList { "Traceability \tEvery change has an author ", "", " \tTrace to Drivers", kBooks, rule(104) }));
    EXPECT_EQ(slice(north, "Availability \tOpen when customers come ", 6),
        (QStringList { "Availability \tOpen when customers come ", "", " \tTrace to Drivers", kBooks, kService, r74 }));
    const Docx service = quarrixFor("All", "Service");
    EXPECT_EQ(slice(service, "Availability \tOpen when customers come ", 6),
        (QStringList {
            "Availability \tOpen when customers come ", "", " \tTrace to Drivers", kService, kShipping, r74 }));
    EXPECT_EQ(slice(service, "Integrity \tBooks add up ", 5),
        (QStringList { "Integrity \tBooks add up ", "", " \tTrace to Drivers",
            " \tNo driver within the scope of this report carries this attribute.", r74 }));
}

TEST_F(TraceSectionsTest, DriversListTheControlsOfEverythingTheyCarry)
{
    const Docx d = quarrixFor("All");
    const int heading = d.find("6.  BUSINESS DRIVER SECURITY CONTROLS", afterContents(d));
    ASSERT_GT(heading, 0);
    EXPECT_EQ(slice(d, rule(104), 30, heading),
        (QStringList { rule(104), "BD1.01 \tTrustworthy books", rule(104), "", " \t01.01.01: Reconcile ledgers",
            " \t01.02.01: Audit trail", " \t02.01.01: Spare capacity", " \t09.09.09: Missing control",
            " \tReview quarterly", rule(104), "BD1.02 \tQuick service", rule(104), "", " \t01.02.01: Audit trail",
            " \t02.01.01: Spare capacity", rule(104), "BD2.01 \tReliable shipping", rule(104), "",
            " \t01.02.01: Audit trail", " \t02.01.01: Spare capacity", " \t09.09.09: Missing control",
            // carries only Accurate, at priority 0: nothing in use
            rule(104), "BD2.02 \tIdle driver", rule(104), "", " \tNo control assigned", "\f",
            "7.  SECURITY CONTROL BUSINESS DRIVERS", "" }));
}

TEST_F(TraceSectionsTest, EachControlListsTheDriversThatNeedIt)
{
    const QString books = "BD1.01 \tTrustworthy books";
    const QString service = "BD1.02 \tQuick service";
    const QString shipping = "BD2.01 \tReliable shipping";
    const Docx d = quarrixFor("All");
    EXPECT_EQ(section(d, "7.  SECURITY CONTROL BUSINESS DRIVERS", 32),
        (QStringList { "7.  SECURITY CONTROL BUSINESS DRIVERS", "", "", rule(104), "01.01.01 \tReconcile ledgers",
            rule(104), "", " \tMatch every account monthly ", "", books, "", rule(104), "01.02.01 \tAudit trail",
            rule(104), "", " \tLog who changed what ", "", books, service, shipping, "", rule(104),
            "02.01.01 \tSpare capacity", rule(104), "", " \tKeep a standby site ", "", books, service, shipping,
            // 09.09.09 is in no catalogue; "Review quarterly" has no identifier
            "\f", "8.  PERFORMANCE BY ATTRIBUTE" }));

    // Under a division only its own drivers are traced.
    const Docx north = quarrixFor("North");
    EXPECT_EQ(slice(north, "02.01.01 \tSpare capacity", 8),
        (QStringList {
            "02.01.01 \tSpare capacity", rule(104), "", " \tKeep a standby site ", "", books, service, "\f" }));
}

TEST_F(TraceSectionsTest, TaxonomyDriverListsFollowTheCarriedAttributes)
{
    const QString r74 = " \t" + rule(74);
    deriveAttributesInUse(a, "All");
    const Docx d = taxonomy();
    EXPECT_EQ(slice(d, rule(74), 31, d.find("4.  ATTRIBUTE DESCRIPTIONS")),
        (QStringList { rule(74), "PROTECT", rule(74), "", " Integrity \tBooks add up ", "",
            " \t[BD1.01] Trustworthy books", r74, "", " Traceability \tEvery change has an author ", "",
            " \t[BD1.01] Trustworthy books", " \t[BD2.01] Reliable shipping", r74, "", rule(74), "OPERATE", rule(74),
            "", " Availability \tOpen when customers come ", "", " \t[BD1.01] Trustworthy books",
            " \t[BD1.02] Quick service", " \t[BD2.01] Reliable shipping", r74, "", " Resilience \tRecovers quickly ",
            "", " \t[BD1.01] Trustworthy books", " \t[BD1.02] Quick service", r74 }));

    // The marks of all divisions with South's drivers: an attribute whose
    // drivers are all elsewhere keeps its entry and its rule.
    applyDivisionFilter(a.drivers(), "South");
    EXPECT_EQ(slice(taxonomy(), " Integrity \tBooks add up ", 4),
        (QStringList { " Integrity \tBooks add up ", "", r74, "" }));

    applyDivisionFilter(a.requirements(), "South");
    deriveAttributesInUse(a, "South");
    const Docx south = taxonomy();
    EXPECT_EQ(slice(south, " Traceability \tEvery change has an author ", 4),
        (QStringList { " Traceability \tEvery change has an author ", "", " \t[BD2.01] Reliable shipping", r74 }));
    EXPECT_EQ(slice(south, " Availability \tOpen when customers come ", 4),
        (QStringList { " Availability \tOpen when customers come ", "", " \t[BD2.01] Reliable shipping", r74 }));
    EXPECT_FALSE(hasParagraph(south, " Integrity \tBooks add up "));
}

}
