#include "reports/quarrix_report.h"

#include "analysis/application_risks.h"
#include "analysis/attributes_in_use.h"
#include "analysis/carried_attributes.h"
#include "analysis/in_use_derivation.h"
#include "analysis/requirements_at_risk.h"
#include "office/typed_document.h"
#include "reports/front_matter.h"
#include "reports/iddr_trace.h"
#include "reports/report_file.h"
#include "reports/report_typing.h"
#include "reports/risk_matrix_picture.h"
#include "reports/row_lookup.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/report_details.h"

#include <QSet>
#include <algorithm>
#include <optional>
#include <tuple>
#include <vector>

using namespace ReportTyping;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The order in which names (divisions, driver groups) are reported: first
// those given, in the given order, then any other in sort order, then the
// empty name, which comes last under its own caption.
class NameOrder {
public:
    explicit NameOrder(const QStringList& given)
        : m_given(given)
    {
    }
    auto key(const QString& name) const
    {
        const qsizetype at = m_given.indexOf(name);
        const int rank = name.isEmpty() ? 2 : at < 0 ? 1 : 0;
        return std::make_tuple(rank, at, name);
    }

private:
    QStringList m_given;
};

// What a risk entry says of itself: "TrackNet: likelihood Medium, impact
// High (High, score 6)".
QString riskLine(const ScoredRisk& r)
{
    const QString rating = r.rated() ? QStringLiteral("%1, score %2").arg(r.level()).arg(r.score) : r.level();
    return QStringLiteral("%1: likelihood %2, impact %3 (%4)").arg(r.application, r.likelihood, r.impact, rating);
}

class ReportRun {
public:
    ReportRun(Assessment& a, TypedDocument& doc, const QuarrixReportOptions& options)
        : m_a(a)
        , m_t(doc)
        , m_options(options)
        , m_activity(options.activity)
        , m_allActivities(options.activity == QLatin1String("All"))
    {
    }

    void run()
    {
        progress(1);
        m_details = ReportDetailsStore::read(m_a.store());
        m_enterprise = systemText("Enterprise");
        m_hasCompany = FrontMatter::hasCompanyDetails(m_details, m_enterprise);
        m_t.setUpPages(QStringLiteral("Meridal Quarrix Report\t\t\t\t\t\t"), m_options.date);
        const QString assessment = systemText("Assessment");
        m_t.doc().setProperties(
            assessment.isEmpty() ? QStringLiteral("Quarrix Report") : QStringLiteral("Quarrix Report: ") + assessment,
            m_details.releasedBy.isEmpty() ? QStringLiteral("Quarrix") : m_details.releasedBy);
        // What is at risk among the attributes in use, for section 2.2.
        m_risks = ApplicationRisks::read(m_a.store());
        for (RequirementAtRisk& r : RequirementsAtRisk::list(m_a, m_options.division, m_risks))
            if (activityPasses(r.activity))
                m_atRisk.push_back(std::move(r));
        titlePage();
        contentsPage();
        if (m_hasCompany)
            section1();
        section2();
        progress(10);
        section3();
        progress(25);
        section4();
        progress(40);
        section5();
        progress(65);
        section6();
        progress(80);
        section7();
        progress(90);
        section8();
        progress(100);
        m_t.clearTabStops();
    }

private:
    void progress(int value)
    {
        if (m_options.progress)
            m_options.progress(value);
    }
    static QString at(const Table& t, int field) { return t.textAt(t.currentRow(), field); }
    bool activityPasses(const QString& activity) const { return m_allActivities || activity == m_activity; }
    QString systemText(const char* field)
    {
        Table& sys = m_a.system();
        if (!sys.hasRecord())
            sys.first();
        return sys.hasRecord() ? sys.text(QString::fromLatin1(field)) : QString();
    }
    // A numbered section starts a page of its own.
    void newSection(const QString& heading)
    {
        m_t.clearTabStops();
        m_t.pageBreak();
        m_t.heading(heading);
    }
    // A sentence in place of a list that has nothing to show.
    void nothingListed(const QString& sentence) { m_t.text(sentence + QStringLiteral("\r\n\n")); }
    // An underlined label over the lines that follow, kept with them.
    void label(const QString& text)
    {
        m_t.keepWithNext(true);
        m_t.text(QStringLiteral(" \t"));
        m_t.underline(true);
        m_t.text(text + kCrLf);
        m_t.underline(false);
        m_t.keepWithNext(false);
    }
    // An attribute's risk entries, each with its text folded under it.
    void riskEntries(const QString& attribute, const QString& firstColumn)
    {
        for (const ScoredRisk* r : m_risks.of(attribute)) {
            m_t.text(QStringLiteral(" \t") + firstColumn + QStringLiteral("\t") + riskLine(*r) + kCrLf);
            if (!r->risk.trimmed().isEmpty())
                m_t.fold(r->risk.trimmed(), 90, true, false, QStringLiteral(" \t\t"), QStringLiteral(" \t\t"), kCrLf);
        }
    }
    // Divisions as sections 3 and 4 walk them: Enterprise, those of the
    // System tab in its order, any other, then no division.
    NameOrder divisionOrder()
    {
        return NameOrder(QStringList { QStringLiteral("Enterprise") } + LineList::split(systemText("Divisions")));
    }
    static QString divisionCaption(const QString& division)
    {
        return division.isEmpty() ? QStringLiteral("No division") : division;
    }

    void titlePage()
    {
        m_t.size(14);
        m_t.bold(true);
        m_t.doc().setAlignment(TypedDocument::Centre);
        for (int i = 0; i < 3; ++i)
            m_t.text(kCrLf);
        m_t.text(rule(100) + kCrLf);
        m_t.text(FrontMatter::title(systemText("Assessment"), m_enterprise) + QStringLiteral("\r\n\n"));
        if (!m_allActivities)
            m_t.text(QStringLiteral("For Activity ") + m_activity + kCrLf);
        m_t.text(rule(100) + QStringLiteral("\r\n\n"));
        m_t.doc().setAlignment(TypedDocument::Left);
        m_t.bold(false);
        m_t.size(12);
        for (int i = 0; i < 4; ++i)
            m_t.text(kCrLf);
        FrontMatter::releaseLines(m_t, m_details, headerDate(m_options.date));
        m_t.doc().setAlignment(TypedDocument::Left);
        m_t.pageBreak();
        m_t.clearTabStops();
    }

    void contentsPage()
    {
        const QString upper = upperAscii(m_activity);
        m_t.heading(QStringLiteral("CONTENTS\r\n"));
        m_t.emptyParagraph();
        m_t.doc().indent();
        m_t.bold(false);
        if (m_hasCompany)
            m_t.text(QStringLiteral("1.  COMPANY DETAILS\r\n"));
        m_t.text(QStringLiteral("2.  ANALYSIS\r\n"));
        if (m_allActivities) {
            m_t.text(QStringLiteral("3.  REQUIREMENTS BY DIVISION\r\n"));
            m_t.text(QStringLiteral("4.  BUSINESS DRIVERS BY DIVISION\r\n"));
            m_t.text(QStringLiteral("5.  BUSINESS ATTRIBUTES TO DRIVERS\r\n"));
            m_t.text(QStringLiteral("6.  BUSINESS DRIVER SECURITY CONTROLS\r\n"));
        } else {
            m_t.text(QStringLiteral("3.  REQUIREMENTS FOR ") + upper + QStringLiteral(" BY DIVISION") + kCrLf);
            m_t.text(QStringLiteral("4.  BUSINESS DRIVERS FOR ") + upper + QStringLiteral(" BY DIVISION") + kCrLf);
            m_t.text(QStringLiteral("5.  BUSINESS ATTRIBUTES TO ") + m_activity + QStringLiteral(" DRIVERS") + kCrLf);
            m_t.text(QStringLiteral("6.  BUSINESS DRIVER SECURITY CONTROLS FOR ") + m_activity + kCrLf);
        }
        m_t.text(QStringLiteral("7.  SECURITY CONTROL BUSINESS DRIVERS\r\n"));
        m_t.text(QStringLiteral("8.  PERFORMANCE BY ATTRIBUTE\r\n"));
        m_t.doc().outdent();
        m_t.pageBreak();
    }

    void section1()
    {
        m_t.heading(QStringLiteral("1.  COMPANY DETAILS\r\n"));
        FrontMatter::companyDetails(m_t, m_details, m_enterprise);
    }

    void twoEmptyParagraphs()
    {
        m_t.emptyParagraph();
        m_t.emptyParagraph();
    }

    void section2()
    {
        m_t.heading(QStringLiteral("2.  ANALYSIS\r\n\n"));
        FrontMatter::scope(m_t, systemText("Description"));

        // The risk matrix floats beside the list, so 2.2 starts a page where it fits.
        const bool matrix = !m_risks.entries().empty();
        if (matrix) {
            m_t.clearTabStops();
            m_t.pageBreak();
        }
        m_t.keepWithNext(true);
        m_t.bold(true);
        m_t.text(QStringLiteral("2.2 Requirements at Risk"));
        if (matrix)
            m_t.doc().insertPicture(std::make_shared<RiskMatrixPicture>(m_risks.matrix(), m_risks.unratedCount()));
        m_t.text(kCrLf);
        m_t.bold(false);
        m_t.keepWithNext(false);
        m_t.text(QStringLiteral(
            "The Quarrix assessment has provided a number of deliverables as part of the security architecture, "));
        m_t.text(QStringLiteral("with full traceability back to stated business requirements which justify the value "
                                "and priority of any "));
        m_t.text(QStringLiteral("security investments. This report provides the basis for further development of the "
                                "detailed business-oriented "));
        m_t.text(QStringLiteral("enterprise security architecture using the Meridal layered design approach. "));
        m_t.text(
            QStringLiteral("The results of this assessment include a current view of the risks to the business. "));
        if (m_atRisk.empty()) {
            m_t.text(QStringLiteral("No requirement is subject to a level of risk beyond that which is normally "
                                    "acceptable: no risk entry of an application scores 4 or more on a security "
                                    "attribute that a requirement reaches, and each such attribute has a control."));
            twoEmptyParagraphs();
        } else {
            m_t.text(QStringLiteral("The report has identified "));
            if (m_atRisk.size() == 1) {
                m_t.text(QStringLiteral("one requirement which is subject to a level of risk beyond that which is "
                                        "normally acceptable and which "));
                m_t.text(QStringLiteral("may need to be considered for immediate risk treatment:\r\n"));
            } else {
                m_t.text(QStringLiteral("a number of requirements which are subject to a level of risk beyond that "
                                        "which is normally acceptable and these "));
                m_t.text(QStringLiteral(
                    "may need to be considered for immediate risk treatment. These are, in order of urgency:\r\n"));
            }
            m_t.emptyParagraph();
            requirementsAtRisk();
        }

        m_t.heading(QStringLiteral("2.3 Enterprise Attribute Taxonomy\r\n"));
        m_t.text(QStringLiteral("The key outcome from this Quarrix assessment is a customised version of the standard "
                                "Meridal Attribute Taxonomy "));
        m_t.text(QStringLiteral(
            "which reflects the set of attributes relevant to the business requirements of the enterprise. "));
        m_t.text(QStringLiteral(
            "These are used in the governance process to assess the importance to the business of any changes "));
        m_t.text(QStringLiteral(
            "to systems and in the operational process to reflect the impact of any problems/incidents. \r\n"));
        m_t.text(QStringLiteral("The attribute taxonomy for the enterprise is documented in a separate report."));
        twoEmptyParagraphs();

        const int next
            = FrontMatter::memoSection(m_t, QStringLiteral("2.4 Analyst Commentary"), m_details.commentary) ? 5 : 4;
        FrontMatter::memoSection(m_t, QStringLiteral("2.%1 Disclaimer").arg(next), m_details.disclaimer);
    }

    // Each requirement at risk: its line, then why, indented.
    void requirementsAtRisk()
    {
        m_t.clearTabStops();
        m_t.tabStop(60);
        for (const RequirementAtRisk& r : m_atRisk) {
            m_t.keepWithNext(true);
            m_t.bold(true);
            m_t.text(r.rseq);
            m_t.bold(false);
            m_t.text(QStringLiteral("\t") + r.text + kCrLf);
            const bool uncontrolled = !r.uncontrolled.isEmpty();
            if (r.worst) {
                m_t.keepWithNext(uncontrolled);
                m_t.text(QStringLiteral("\tWorst risk: %1, application %2, attribute %3\r\n")
                             .arg(r.worst->rated()
                                     ? QStringLiteral("%1 (score %2)").arg(r.worst->level()).arg(r.worst->score)
                                     : r.worst->level(),
                                 r.worst->application, r.worst->attribute));
            }
            m_t.keepWithNext(false);
            if (uncontrolled)
                m_t.text(QStringLiteral("\tNo control assigned: ") + r.uncontrolled.join(QStringLiteral(", ")) + kCrLf);
            m_t.emptyParagraph();
        }
        m_t.clearTabStops();
        m_t.emptyParagraph();
    }

    void section3()
    {
        newSection(m_allActivities ? QStringLiteral("3.  REQUIREMENTS BY DIVISION\r\n\n")
                                   : QStringLiteral("3.  REQUIREMENTS FOR ") + upperAscii(m_activity)
                    + QStringLiteral(" BY DIVISION\r\n\n"));
        m_t.text(QStringLiteral("This section of the report provides a reference for the requirements that have been "
                                "identified for the business, showing each requirement "));
        m_t.text(QStringLiteral("by Division. These provide a point of traceability for all security services and "
                                "mechanisms, to show that the investment in security is "));
        m_t.text(QStringLiteral("justified by its contribution to meeting business outcomes. At this point the "
                                "requirements are business-oriented statements, expressed "));
        m_t.text(QStringLiteral("in business language. \r\n"));
        m_t.text(QStringLiteral("The source or sources from which each requirement was derived is shown following the "
                                "requirement. Requirements are as much as possible "));
        m_t.text(QStringLiteral("taken up to the enterprise level, with Divisional requirements being those specific "
                                "to just that Division.  \r\n"));
        m_t.emptyParagraph();
        m_t.tabStop(100);
        m_t.tabStop(320);

        Table& reqs = m_a.requirements();
        const int rseq = reqs.fieldIndex(QStringLiteral("RSeq"));
        const int requirement = reqs.fieldIndex(QStringLiteral("Requirement"));
        const int division = reqs.fieldIndex(QStringLiteral("Division"));
        const int source = reqs.fieldIndex(QStringLiteral("Source"));
        const int activity = reqs.fieldIndex(QStringLiteral("Activity"));
        DisplayPause pause(reqs);
        {
            SortForWalk sort(reqs, QStringLiteral("RSeq"));
            // Requirements by division in report order, each division's in
            // identifier order.
            const NameOrder order = divisionOrder();
            std::vector<int> rows;
            for (int row = 0; row < reqs.recordCount(); ++row)
                if (activityPasses(reqs.textAt(row, activity)))
                    rows.push_back(row);
            std::stable_sort(rows.begin(), rows.end(), [&](int x, int y) {
                return order.key(reqs.textAt(x, division)) < order.key(reqs.textAt(y, division));
            });
            std::optional<QString> previousDivision;
            for (int row : rows) {
                const QString div = reqs.textAt(row, division);
                if (div != previousDivision) {
                    m_t.wideBanner(divisionCaption(div));
                    previousDivision = div;
                }
                m_t.text(reqs.textAt(row, rseq) + QStringLiteral("\t") + reqs.textAt(row, requirement) + kCrLf);
                // Each line of the sources is a line of its own.
                const QStringList sources = LineList::split(reqs.textAt(row, source));
                if (!sources.isEmpty()) {
                    label(QStringLiteral("References: "));
                    for (const QString& line : sources)
                        m_t.fold(line, 90, true, false, QStringLiteral(" \t"), QStringLiteral(" \t"), kCrLf);
                }
                m_t.text(kCrLf);
            }
            if (rows.empty())
                nothingListed(QStringLiteral("No requirement is recorded within the scope of this report."));
        }
        reqs.first();
    }

    void section4()
    {
        Table& drivers = m_a.drivers();
        Table& drAtt = m_a.driverProfiles();
        Table& attribute = m_a.attribute();
        const int cseq = drivers.fieldIndex(QStringLiteral("CSeq"));
        const int driverText = drivers.fieldIndex(QStringLiteral("Driver"));
        const int division = drivers.fieldIndex(QStringLiteral("Division"));
        const int group = drivers.fieldIndex(QStringLiteral("Group"));
        const int activity = drivers.fieldIndex(QStringLiteral("Activity"));
        const int requirement = drivers.fieldIndex(QStringLiteral("Requirement"));
        const int drAttAttribute = drAtt.fieldIndex(QStringLiteral("Attribute"));
        const int description = attribute.fieldIndex(QStringLiteral("Description"));

        newSection(m_allActivities ? QStringLiteral("4.  BUSINESS DRIVERS BY DIVISION\r\n\n")
                                   : QStringLiteral("4.  BUSINESS DRIVERS FOR ") + upperAscii(m_activity)
                    + QStringLiteral(" BY DIVISION\r\n\n"));
        m_t.text(QStringLiteral("This section gives the details of the analysis of the business requirements showing "
                                "their interpretation and "));
        m_t.text(QStringLiteral("association with business drivers. It also shows the further decomposition of the "
                                "business drivers in terms "));
        m_t.text(QStringLiteral("of the wider security characteristics or attributes which will be used subsequently "
                                "to link security services "));
        m_t.text(QStringLiteral("and mechanisms back to business requirements. "));
        m_t.text(QStringLiteral("This section represents the key work in the assessment, with the attribute profiling "
                                "of requirements as described "));
        m_t.text(QStringLiteral("below being a unique and powerful feature of Meridal. \r\n\n"));

        int subsection = 1;
        DisplayPause pauseDrivers(drivers);
        {
            DisplayPause pauseAttribute(attribute), pauseDrAtt(drAtt);
            // Profiled attributes are looked up among all attributes: a
            // restriction to the attributes in use left by an earlier run or
            // tab would otherwise change what this section shows.
            attribute.setFiltered(false);
            // DrAtt rows of each driver and the attribute each names, looked up
            // once for the whole walk.
            const RowGroups profileRows(drAtt, QStringLiteral("CSeq"));
            const FirstRowIndex attributes(attribute, QStringLiteral("Attribute"));
            SortForWalk sort(drivers, QStringLiteral("CSeq"));
            // Each division once, in report order; within it each driver
            // group in the System tab's order, then the drivers by identifier.
            const NameOrder divisions = divisionOrder();
            const NameOrder groups(LineList::split(systemText("Groups")));
            std::vector<int> rows;
            for (int row = 0; row < drivers.recordCount(); ++row)
                if (activityPasses(drivers.textAt(row, activity)))
                    rows.push_back(row);
            std::stable_sort(rows.begin(), rows.end(), [&](int x, int y) {
                return std::make_tuple(divisions.key(drivers.textAt(x, division)), groups.key(drivers.textAt(x, group)))
                    < std::make_tuple(divisions.key(drivers.textAt(y, division)), groups.key(drivers.textAt(y, group)));
            });
            std::optional<QString> previousDivision, previousGroup;
            for (int row : rows) {
                const QString div = drivers.textAt(row, division);
                if (div != previousDivision) {
                    if (previousDivision) {
                        m_t.clearTabStops();
                        m_t.pageBreak();
                    }
                    m_t.heading(QStringLiteral("4.") + QString::number(subsection) + QStringLiteral("  ")
                        + (div.isEmpty() ? QStringLiteral("BUSINESS DRIVERS WITH NO DIVISION")
                                         : upperAscii(div) + QStringLiteral(" BUSINESS DRIVERS"))
                        + kCrLf);
                    ++subsection;
                    m_t.tabStop(100);
                    m_t.tabStop(200);
                    previousDivision = div;
                    previousGroup.reset();
                }
                const QString grp = drivers.textAt(row, group);
                if (grp != previousGroup) {
                    m_t.wideBanner(grp.isEmpty() ? QStringLiteral("No group") : grp);
                    previousGroup = grp;
                }
                const QString id = drivers.textAt(row, cseq);
                m_t.keepWithNext(true);
                m_t.text(id + QStringLiteral(" \t"));
                m_t.text(drivers.textAt(row, driverText) + QStringLiteral("\r\n\n"));
                m_t.keepWithNext(false);
                label(QStringLiteral("Trace to Requirements: "));
                const QStringList lines = LineList::split(drivers.textAt(row, requirement));
                for (const QString& line : lines)
                    m_t.fold(line, 90, true, false, QStringLiteral(" \t"), QStringLiteral(" \t"), kCrLf);
                if (lines.isEmpty())
                    m_t.text(QStringLiteral(" \tNo requirement is traced to this driver.\r\n"));

                m_t.keepWithNext(true);
                m_t.bannerStyle();
                m_t.text(QStringLiteral(" \tBusiness Attributes\r\n"));
                m_t.bold(false);
                m_t.doc().setItalic(false);
                m_t.text(QStringLiteral(" \t") + rule(94) + kCrLf);
                m_t.color(0);
                m_t.keepWithNext(false);
                bool profiled = false;
                for (int profile : profileRows.rows(id)) {
                    const QString name = drAtt.textAt(profile, drAttAttribute);
                    const int found = attributes.find(name);
                    if (found < 0)
                        continue;
                    profiled = true;
                    m_t.fold(textOr(attribute.textAt(found, description), noDescription()), 90, true, false,
                        QStringLiteral(" \t") + name + QStringLiteral("\t"), QStringLiteral(" \t\t"),
                        QStringLiteral("\r"));
                    m_t.color(kBlue);
                    m_t.text(QStringLiteral(" \t") + rule(94) + kCrLf);
                    m_t.color(0);
                }
                if (!profiled)
                    m_t.text(QStringLiteral(" \tNo business attribute is profiled for this driver.\r\n"));
                m_t.text(kCrLf);
            }
            if (rows.empty())
                nothingListed(QStringLiteral("No business driver is recorded within the scope of this report."));
            drAtt.first();
        }
        drivers.first();
    }

    void section5()
    {
        Table& attribute = m_a.attribute();
        Table& drAtt = m_a.driverProfiles();
        Table& drivers = m_a.drivers();

        newSection(m_allActivities
                ? QStringLiteral("5.  BUSINESS ATTRIBUTES TO DRIVERS\r\n\n")
                : QStringLiteral("5.  BUSINESS ATTRIBUTES TO ") + m_activity + QStringLiteral(" DRIVERS\r\n\n"));
        m_t.text(QStringLiteral("This section provides the attribute and driver information formatted in a way to "
                                "trace back attributes to the business drivers "));
        m_t.text(QStringLiteral("from which they were derived, which themselves can then be traced back to "
                                "requirements. This ability to trace back is one of "));
        m_t.text(QStringLiteral("the key benefits of carrying out a structured architectural analysis.\r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        QString previousGroup;
        bool bannerJustTyped = false;
        DisplayPause pauseAttribute(attribute), pauseDrAtt(drAtt), pauseDrivers(drivers);
        // The attributes in use for the division, derived in memory: the
        // report reads the store and writes nothing to it.
        releaseAttributesInUse(m_a);
        m_inUse = InUseRows(attribute, AttributesInUse::derive(m_a.store(), m_options.division));
        // The run leaves DrAtt without the filter a tab may have put on it.
        drAtt.setFilter(QString());
        drAtt.setFiltered(false);
        // Which drivers carry which attributes, read once for sections 5 to 7.
        m_carried = CarriedAttributes::read(m_a.store());
        const FirstRowIndex driverRows(drivers, QStringLiteral("CSeq"));
        const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
        const int group = attribute.fieldIndex(QStringLiteral("Group"));
        const int description = attribute.fieldIndex(QStringLiteral("Description"));
        const int driverCSeq = drivers.fieldIndex(QStringLiteral("CSeq"));
        const int driverText = drivers.fieldIndex(QStringLiteral("Driver"));
        const int driverActivity = drivers.fieldIndex(QStringLiteral("Activity"));
        for (int row : m_inUse.rows()) {
            const QString grp = attribute.textAt(row, group);
            if (grp != previousGroup) {
                m_t.keepWithNext(true);
                m_t.bannerStyle();
                m_t.text(rule(104) + QStringLiteral("\r\n\n"));
                m_t.text(grp + kCrLf);
                m_t.text(rule(104) + QStringLiteral("\r\n\n"));
                m_t.plainStyle();
                m_t.keepWithNext(false);
                previousGroup = grp;
                bannerJustTyped = true;
            }
            if (!bannerJustTyped) {
                m_t.color(kBlue);
                m_t.text(QStringLiteral(" \t") + rule(74) + kCrLf);
                m_t.color(0);
            }
            const QString attr = attribute.textAt(row, name);
            QStringList traced;
            for (const QString& cseq : m_carried.driversCarrying(attr)) {
                const int d = driverRows.find(cseq);
                if (d >= 0 && activityPasses(drivers.textAt(d, driverActivity)))
                    traced << QStringLiteral(" \t") + drivers.textAt(d, driverCSeq) + QStringLiteral("\t")
                            + drivers.textAt(d, driverText) + kCrLf;
            }
            if (traced.isEmpty())
                traced << QStringLiteral(" \tNo driver within the scope of this report carries this attribute.\r\n");
            // An attribute and its drivers stay on one page.
            m_t.keepWithNext(true);
            m_t.fold(textOr(attribute.textAt(row, description), noDescription()), 100, true, false,
                attr + QStringLiteral(" \t"), QStringLiteral(" \t"), kCrLf);
            bannerJustTyped = false;
            m_t.text(kCrLf);
            label(QStringLiteral("Trace to Drivers"));
            for (qsizetype i = 0; i < traced.size(); ++i) {
                m_t.keepWithNext(i + 1 < traced.size());
                m_t.text(traced.at(i));
            }
            m_t.keepWithNext(false);
        }
        if (m_inUse.rows().empty())
            nothingListed(QStringLiteral("No business attribute is in use within the scope of this report."));
        attribute.first();
        drAtt.first();
        drivers.first();
    }

    void section6()
    {
        Table& attribute = m_a.attribute();
        Table& drAtt = m_a.driverProfiles();
        Table& drivers = m_a.drivers();

        newSection(m_allActivities
                ? QStringLiteral("6.  BUSINESS DRIVER SECURITY CONTROLS\r\n\n")
                : QStringLiteral("6.  BUSINESS DRIVER SECURITY CONTROLS FOR ") + m_activity + QStringLiteral("\r\n\n"));
        m_t.text(QStringLiteral("This section shows all risk assessments relevant to a business driver (ie one "
                                "assessment for each attribute) and the "));
        m_t.text(QStringLiteral("security controls identified as necessary to reduce the risk to an acceptable level.  "
                                "The security controls are shown "));
        m_t.text(QStringLiteral("aggregated for the business driver. \r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        DisplayPause pauseDrAtt(drAtt), pauseAttribute(attribute), pauseDrivers(drivers);
        const int secControls = attribute.fieldIndex(QStringLiteral("SecControls"));
        const int cseq = drivers.fieldIndex(QStringLiteral("CSeq"));
        const int driverText = drivers.fieldIndex(QStringLiteral("Driver"));
        const int activity = drivers.fieldIndex(QStringLiteral("Activity"));
        // The driver's distinct control entries in ascending order of their
        // character codes; the list grows as far as the driver needs.
        std::vector<QString> entries;
        bool anyDriver = false;
        for (drivers.first(); !drivers.eof(); drivers.next()) {
            if (!activityPasses(at(drivers, activity)))
                continue;
            anyDriver = true;
            const QString id = at(drivers, cseq);
            m_t.wideBanner(id + QStringLiteral(" \t") + at(drivers, driverText));
            entries.clear();
            QStringList assessed; // carried attributes in use with risk entries
            for (const QString& carried : m_carried.carriedBy(id)) {
                const int found = m_inUse.find(carried);
                if (found < 0)
                    continue;
                if (!m_risks.of(carried).empty())
                    assessed << carried;
                for (const QString& entry : LineList::split(attribute.textAt(found, secControls))) {
                    const auto place = std::lower_bound(entries.begin(), entries.end(), entry);
                    if (place == entries.end() || *place != entry)
                        entries.insert(place, entry);
                }
            }
            // The risk assessments of its attributes come before the controls
            // that answer them.
            if (!assessed.isEmpty()) {
                label(QStringLiteral("Risk assessments"));
                for (const QString& carried : assessed)
                    riskEntries(carried, carried);
                label(QStringLiteral("Security controls"));
            }
            for (const QString& entry : entries)
                m_t.text(QStringLiteral(" \t") + entry + kCrLf);
            if (entries.empty())
                m_t.text(QStringLiteral(" \tNo control assigned\r\n"));
        }
        if (!anyDriver)
            nothingListed(QStringLiteral("No business driver is recorded within the scope of this report."));
        drivers.first();
        drAtt.first();
        attribute.first();
    }

    void section7()
    {
        Table& attribute = m_a.attribute();
        Table& controls = m_a.controls();
        Table& drivers = m_a.drivers();

        newSection(QStringLiteral("7.  SECURITY CONTROL BUSINESS DRIVERS\r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        DisplayPause pauseAttribute(attribute), pauseControls(controls);
        const std::vector<TraceRow> trace = IddrTrace::rows(attribute, m_inUse, drivers, m_carried);

        const FirstRowIndex controlRows(controls, QStringLiteral("Id"));
        const FirstRowIndex driverRows(drivers, QStringLiteral("CSeq"));
        const int controlId = controls.fieldIndex(QStringLiteral("Id"));
        const int controlTitle = controls.fieldIndex(QStringLiteral("control_title"));
        const int controlText = controls.fieldIndex(QStringLiteral("control"));
        const int cseq = drivers.fieldIndex(QStringLiteral("CSeq"));
        const int driverText = drivers.fieldIndex(QStringLiteral("Driver"));
        // No control is listed before the first banner, so even an empty
        // identifier is looked up.
        std::optional<QString> previousId;
        bool anyControl = false;
        for (const TraceRow& r : trace) {
            if (!previousId || r.id != *previousId) {
                const int c = controlRows.find(r.id);
                if (c < 0)
                    continue;
                m_t.text(kCrLf);
                m_t.wideBanner(
                    controls.textAt(c, controlId) + QStringLiteral(" \t") + controls.textAt(c, controlTitle));
                // The control's text stays with its first driver.
                m_t.keepWithNext(true);
                const QString text = controls.textAt(c, controlText);
                if (!text.trimmed().isEmpty()) {
                    m_t.fold(text, 100, true, false, QStringLiteral(" \t"), QStringLiteral(" \t"), kCrLf);
                    m_t.text(kCrLf);
                }
                m_t.keepWithNext(false);
                previousId = r.id;
                anyControl = true;
            }
            const int d = driverRows.find(r.cseq);
            if (d >= 0)
                m_t.text(drivers.textAt(d, cseq) + QStringLiteral(" \t") + drivers.textAt(d, driverText) + kCrLf);
        }
        if (!anyControl)
            nothingListed(QStringLiteral("No control of the catalogue is assigned to the attributes in use."));
        attribute.first();
        controls.first();
    }

    void section8()
    {
        Table& attribute = m_a.attribute();
        newSection(QStringLiteral("8.  PERFORMANCE BY ATTRIBUTE\r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
        const int group = attribute.fieldIndex(QStringLiteral("Group"));
        const int profile = attribute.fieldIndex(QStringLiteral("Profile"));
        const int secControls = attribute.fieldIndex(QStringLiteral("SecControls"));
        QString previousGroup;
        DisplayPause pause(attribute);
        for (int row : m_inUse.rows()) {
            const QString grp = attribute.textAt(row, group);
            if (grp != previousGroup) {
                m_t.wideBanner(grp);
                previousGroup = grp;
            }
            const QString attr = attribute.textAt(row, name);
            const QString measure = attribute.textAt(row, profile);
            m_t.text(attr + QStringLiteral(" \t"));
            if (measure.trimmed().isEmpty())
                m_t.text(QStringLiteral("No performance profile is recorded.\r\n"));
            else
                m_t.fold(measure, 100, true, false, QString(), QStringLiteral(" \t"), kCrLf);
            // An attribute without a control is the gap it is, with its risks.
            if (controlEntryIdentifiers(attribute.textAt(row, secControls)).isEmpty())
                m_t.text(QStringLiteral(" \tNo control assigned\r\n"));
            if (!m_risks.of(attr).empty())
                riskEntries(attr, QStringLiteral("Risk"));
            m_t.text(kCrLf);
        }
        if (m_inUse.rows().empty())
            nothingListed(QStringLiteral("No security attribute is in use within the scope of this report."));
        attribute.first();
    }

    Assessment& m_a;
    Typist m_t;
    const QuarrixReportOptions& m_options;
    const QString m_activity;
    const bool m_allActivities;
    CarriedAttributes m_carried; // read by section 5
    ReportDetails m_details;
    QString m_enterprise;
    bool m_hasCompany = false;
    ApplicationRisks m_risks;
    std::vector<RequirementAtRisk> m_atRisk; // within the activity filter
    InUseRows m_inUse; // derived by section 5
};

}

namespace QuarrixReport {

void type(Assessment& assessment, TypedDocument& doc, const QuarrixReportOptions& options)
{
    ReportRun(assessment, doc, options).run();
}

void write(Assessment& assessment, const QString& path, const QuarrixReportOptions& options)
{
    const std::unique_ptr<TypedDocument> doc = ReportFile::open(path);
    // The report is typed from one state of the store.
    Store::Snapshot snapshot(assessment.store());
    type(assessment, *doc, options);
    doc->finish();
}

}
