#include "reports/quarrix_report.h"

#include "analysis/carried_attributes.h"
#include "analysis/in_use_derivation.h"
#include "office/typed_document.h"
#include "reports/iddr_trace.h"
#include "reports/report_file.h"
#include "reports/report_typing.h"
#include "reports/row_lookup.h"
#include "store/assessment.h"
#include "store/line_list.h"

#include <algorithm>
#include <optional>
#include <vector>

using namespace ReportTyping;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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
        m_t.setUpPages(QStringLiteral("Meridal Quarrix Report\t\t\t\t\t\t"), m_options.date);
        titlePage();
        contentsPage();
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

    void titlePage()
    {
        m_t.size(14);
        m_t.bold(true);
        m_t.doc().setAlignment(TypedDocument::Centre);
        for (int i = 0; i < 3; ++i)
            m_t.text(kCrLf);
        m_t.text(rule(100) + kCrLf);
        m_t.text(upperAscii(systemText("Assessment")) + QStringLiteral("\r\n\n"));
        if (!m_allActivities)
            m_t.text(QStringLiteral("For Activity ") + m_activity + kCrLf);
        m_t.text(rule(100) + QStringLiteral("\r\n\n"));
        m_t.doc().setAlignment(TypedDocument::Left);
        m_t.bold(false);
        m_t.size(12);
        for (int i = 0; i < 4; ++i)
            m_t.text(kCrLf);
        m_t.text(QStringLiteral("Report Released by: \r\n"));
        m_t.text(kCrLf);
        m_t.text(QStringLiteral("Report Date:        "));
        m_t.doc().setAlignment(TypedDocument::Left);
        m_t.pageBreak();
    }

    void contentsPage()
    {
        const QString upper = upperAscii(m_activity);
        m_t.heading(QStringLiteral("CONTENTS\r\n"));
        m_t.emptyParagraph();
        m_t.doc().indent();
        m_t.bold(false);
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
        m_t.text(QStringLiteral("8.  ATTRIBUTE DETAILS\r\n"));
        m_t.doc().outdent();
        m_t.pageBreak();
    }

    void section1()
    {
        m_t.heading(QStringLiteral("1.  COMPANY DETAILS\r\n"));
        m_t.text(QStringLiteral("This report has been prepared for:"));
        m_t.emptyParagraph();
        m_t.doc().indent();
        m_t.text(QStringLiteral("Contact:   \r\n"));
        m_t.text(QStringLiteral("Company:   \r\n"));
        m_t.text(QStringLiteral("Address:   \r\n"));
        m_t.text(QString(11, QLatin1Char(' ')) + kCrLf);
        m_t.doc().outdent();
        m_t.emptyParagraph();
    }

    void twoEmptyParagraphs()
    {
        m_t.emptyParagraph();
        m_t.emptyParagraph();
    }

    void section2()
    {
        m_t.bold(true);
        m_t.text(QStringLiteral("2.  ANALYSIS\r\n\n"));
        m_t.text(QStringLiteral("2.1 Scope\r\n"));
        m_t.bold(false);
        m_t.text(systemText("Description"));
        twoEmptyParagraphs();

        m_t.heading(QStringLiteral("2.2 Requirements at Risk\r\n"));
        m_t.text(QStringLiteral(
            "The Quarrix assessment has provided a number of deliverables as part of the security architecture, "));
        m_t.text(QStringLiteral("with full traceability back to stated business requirements which justify the value "
                                "and priority of any "));
        m_t.text(QStringLiteral("security investments. This report provides the basis for further development of the "
                                "detailed business-oriented "));
        m_t.text(QStringLiteral("enterprise security architecture using the Meridal layered design approach. "));
        m_t.text(QStringLiteral("The results of this assessment include a current view of the risks to the business. "
                                "The report has identified "));
        m_t.text(QStringLiteral("a number of requirements which are subject to a level of risk beyond that which is "
                                "normally acceptable and these "));
        m_t.text(QStringLiteral(
            "may need to be considered for immediate risk treatment. These are, in order of urgency:\r\n"));
        twoEmptyParagraphs();

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

        m_t.heading(QStringLiteral("2.4 Analyst Commentary\r\n"));
        twoEmptyParagraphs();
        m_t.heading(QStringLiteral("2.5 Disclaimer\r\n"));
        twoEmptyParagraphs();
    }

    void section3()
    {
        m_t.clearTabStops();
        m_t.pageBreak();
        m_t.bold(true);
        if (m_allActivities)
            m_t.text(QStringLiteral("3.  REQUIREMENTS BY DIVISION\r\n\n"));
        else
            m_t.text(QStringLiteral("3.  REQUIREMENTS FOR ") + upperAscii(m_activity) + QStringLiteral(" BY DIVISION")
                + QStringLiteral("\r\n\n"));
        m_t.bold(false);
        m_t.text(QStringLiteral("This section of the report provides a reference for the requirements tat have ben "
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
        QString previousDivision;
        DisplayPause pause(reqs);
        {
            SortForWalk sort(reqs, QStringLiteral("Division,RSeq"));
            for (reqs.first(); !reqs.eof(); reqs.next()) {
                if (!activityPasses(at(reqs, activity)))
                    continue;
                const QString div = at(reqs, division);
                if (div != previousDivision) {
                    m_t.wideBanner(div);
                    previousDivision = div;
                }
                m_t.text(at(reqs, rseq) + QStringLiteral("\t") + at(reqs, requirement) + kCrLf);
                m_t.text(QStringLiteral(" \t"));
                m_t.underline(true);
                m_t.text(QStringLiteral("References: \r\n"));
                m_t.underline(false);
                m_t.referencesFold(at(reqs, source));
                m_t.text(kCrLf);
            }
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

        QString previousDivision, previousGroup;
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
            SortForWalk sort(drivers, QStringLiteral("Group,CSeq"));
            for (drivers.first(); !drivers.eof(); drivers.next()) {
                if (!activityPasses(at(drivers, activity)))
                    continue;
                const QString div = at(drivers, division);
                if (div != previousDivision) {
                    m_t.clearTabStops();
                    m_t.pageBreak();
                    m_t.bold(true);
                    if (previousDivision.isEmpty()) {
                        if (m_allActivities)
                            m_t.text(QStringLiteral("4.  BUSINESS DRIVERS BY DIVISION\r\n"));
                        else
                            m_t.text(QStringLiteral("4.  BUSINESS DRIVERS FOR ") + upperAscii(m_activity)
                                + QStringLiteral(" BY DIVISION") + kCrLf);
                        m_t.bold(false);
                        m_t.text(QStringLiteral("This section gives the details of the analysis of the business "
                                                "requirements showing their interpretation and "));
                        m_t.text(QStringLiteral("association with business drivers. It also shows the further "
                                                "decomposition of the business drivers in terms "));
                        m_t.text(QStringLiteral("of the wider security characteristics or attributes which will be "
                                                "used subsequently to link security services "));
                        m_t.text(QStringLiteral("and mechanisms back to business requirements."));
                        m_t.text(QStringLiteral("This section represents the key work in the assessment, with the "
                                                "attribute profiling of requirements as described "));
                        m_t.text(QStringLiteral("below being a unique and powerful feature of Meridal. \r\n\n"));
                    }
                    m_t.bold(true);
                    m_t.text(QStringLiteral("4.") + QString::number(subsection) + QStringLiteral("  ") + upperAscii(div)
                        + QStringLiteral(" BUSINESS DRIVERS") + kCrLf);
                    m_t.bold(false);
                    ++subsection;
                    m_t.tabStop(100);
                    m_t.tabStop(200);
                    previousDivision = div;
                }
                const QString grp = at(drivers, group);
                if (grp != previousGroup) {
                    m_t.wideBanner(grp);
                    previousGroup = grp;
                }
                const QString id = at(drivers, cseq);
                m_t.text(id + QStringLiteral(" \t"));
                m_t.text(at(drivers, driverText) + QStringLiteral("\r\n\n"));
                m_t.text(QStringLiteral(" \t"));
                m_t.underline(true);
                m_t.text(QStringLiteral("Trace to Requirements: \r\n"));
                m_t.underline(false);
                m_t.fold(
                    at(drivers, requirement), 90, false, true, QStringLiteral(" \t"), QStringLiteral(" \t"), kCrLf);

                m_t.bannerStyle();
                m_t.text(QStringLiteral(" \tBusiness Attributes\r\n"));
                m_t.bold(false);
                m_t.doc().setItalic(false);
                m_t.text(QStringLiteral(" \t") + rule(94) + kCrLf);
                m_t.color(0);
                for (int row : profileRows.rows(id)) {
                    const QString name = drAtt.textAt(row, drAttAttribute);
                    const int found = attributes.find(name);
                    if (found < 0)
                        continue;
                    m_t.fold(attribute.textAt(found, description), 90, true, false,
                        QStringLiteral(" \t") + name + QStringLiteral("\t"), QStringLiteral(" \t\t"),
                        QStringLiteral("\r"));
                    m_t.color(kBlue);
                    m_t.text(QStringLiteral(" \t") + rule(94) + kCrLf);
                    m_t.color(0);
                }
                m_t.text(kCrLf);
            }
            m_t.text(QStringLiteral("\r\n\n"));
            drAtt.first();
        }
        drivers.first();
    }

    void section5()
    {
        Table& attribute = m_a.attribute();
        Table& drAtt = m_a.driverProfiles();
        Table& drivers = m_a.drivers();

        m_t.clearTabStops();
        m_t.pageBreak();
        m_t.bold(true);
        if (m_allActivities)
            m_t.text(QStringLiteral("5.  BUSINESS ATTRIBUTES TO DRIVERS\r\n\n"));
        else
            m_t.text(QStringLiteral("5.  BUSINESS ATTRIBUTES TO ") + m_activity + QStringLiteral(" DRIVERS")
                + QStringLiteral("\r\n\n"));
        m_t.bold(false);
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
        deriveAttributesInUse(m_a, m_options.division);
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
        for (attribute.first(); !attribute.eof(); attribute.next()) {
            const QString grp = at(attribute, group);
            if (grp != previousGroup) {
                m_t.bannerStyle();
                m_t.text(rule(104) + QStringLiteral("\r\n\n"));
                m_t.text(grp + kCrLf);
                m_t.text(rule(104) + QStringLiteral("\r\n\n"));
                m_t.plainStyle();
                previousGroup = grp;
                bannerJustTyped = true;
            }
            if (!bannerJustTyped) {
                m_t.color(kBlue);
                m_t.text(QStringLiteral(" \t") + rule(74) + kCrLf);
                m_t.color(0);
            }
            const QString attr = at(attribute, name);
            m_t.fold(at(attribute, description), 100, true, false, attr + QStringLiteral(" \t"), QStringLiteral(" \t"),
                kCrLf);
            bannerJustTyped = false;
            m_t.text(kCrLf);
            m_t.text(QStringLiteral(" \t"));
            m_t.underline(true);
            m_t.text(QStringLiteral("Trace to Drivers\r\n"));
            m_t.underline(false);
            for (const QString& cseq : m_carried.driversCarrying(attr)) {
                const int d = driverRows.find(cseq);
                if (d < 0 || !activityPasses(drivers.textAt(d, driverActivity)))
                    continue;
                m_t.text(QStringLiteral(" \t") + drivers.textAt(d, driverCSeq) + QStringLiteral("\t")
                    + drivers.textAt(d, driverText) + kCrLf);
            }
        }
        attribute.first();
        drAtt.first();
        drivers.first();
    }

    void section6()
    {
        Table& attribute = m_a.attribute();
        Table& drAtt = m_a.driverProfiles();
        Table& drivers = m_a.drivers();

        m_t.clearTabStops();
        m_t.pageBreak();
        m_t.bold(true);
        if (m_allActivities)
            m_t.text(QStringLiteral("6.  BUSINESS DRIVER SECURITY CONTROLS\r\n\n"));
        else
            m_t.text(
                QStringLiteral("6.  BUSINESS DRIVER SECURITY CONTROLS FOR ") + m_activity + QStringLiteral("\r\n\n"));
        m_t.bold(false);
        m_t.text(QStringLiteral("This section shows all risk assessments relevant to a business driver (ie one "
                                "assessment for each attribute) and the "));
        m_t.text(QStringLiteral("security controls identified as necessary to reduce the risk to an acceptable level.  "
                                "The security controls are shown "));
        m_t.text(QStringLiteral("aggregated for the business driver. \r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        DisplayPause pauseDrAtt(drAtt), pauseAttribute(attribute), pauseDrivers(drivers);
        const FirstRowIndex inUse(attribute, QStringLiteral("Attribute"));
        const int secControls = attribute.fieldIndex(QStringLiteral("SecControls"));
        const int cseq = drivers.fieldIndex(QStringLiteral("CSeq"));
        const int driverText = drivers.fieldIndex(QStringLiteral("Driver"));
        const int activity = drivers.fieldIndex(QStringLiteral("Activity"));
        // The driver's distinct control entries in ascending order of their
        // character codes; the list grows as far as the driver needs.
        std::vector<QString> entries;
        for (drivers.first(); !drivers.eof(); drivers.next()) {
            if (!activityPasses(at(drivers, activity)))
                continue;
            const QString id = at(drivers, cseq);
            m_t.wideBanner(id + QStringLiteral(" \t") + at(drivers, driverText));
            entries.clear();
            for (const QString& carried : m_carried.carriedBy(id)) {
                const int found = inUse.find(carried);
                if (found < 0)
                    continue;
                for (const QString& entry : LineList::split(attribute.textAt(found, secControls))) {
                    const auto place = std::lower_bound(entries.begin(), entries.end(), entry);
                    if (place == entries.end() || *place != entry)
                        entries.insert(place, entry);
                }
            }
            for (const QString& entry : entries)
                m_t.text(QStringLiteral(" \t") + entry + kCrLf);
        }
        drivers.first();
        drAtt.first();
        attribute.first();
    }

    void section7()
    {
        Table& attribute = m_a.attribute();
        Table& controls = m_a.controls();
        Table& drivers = m_a.drivers();

        m_t.clearTabStops();
        m_t.pageBreak();
        m_t.heading(QStringLiteral("7.  SECURITY CONTROL BUSINESS DRIVERS\r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        DisplayPause pauseAttribute(attribute), pauseControls(controls);
        const std::vector<TraceRow> trace = IddrTrace::rebuild(m_a, m_carried);

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
        for (const TraceRow& r : trace) {
            if (!previousId || r.id != *previousId) {
                const int c = controlRows.find(r.id);
                if (c < 0)
                    continue;
                m_t.text(kCrLf);
                m_t.wideBanner(
                    controls.textAt(c, controlId) + QStringLiteral(" \t") + controls.textAt(c, controlTitle));
                m_t.fold(controls.textAt(c, controlText), 100, true, false, QStringLiteral(" \t"),
                    QStringLiteral(" \t"), kCrLf);
                m_t.text(kCrLf);
                previousId = r.id;
            }
            const int d = driverRows.find(r.cseq);
            if (d >= 0)
                m_t.text(drivers.textAt(d, cseq) + QStringLiteral(" \t") + drivers.textAt(d, driverText) + kCrLf);
        }
        attribute.first();
        controls.first();
    }

    void section8()
    {
        Table& attribute = m_a.attribute();
        m_t.clearTabStops();
        m_t.pageBreak();
        m_t.heading(QStringLiteral("8.  PERFORMANCE BY ATTRIBUTE\r\n\n"));
        m_t.tabStop(100);
        m_t.tabStop(200);

        const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
        const int group = attribute.fieldIndex(QStringLiteral("Group"));
        const int profile = attribute.fieldIndex(QStringLiteral("Profile"));
        QString previousGroup;
        DisplayPause pause(attribute);
        for (attribute.first(); !attribute.eof(); attribute.next()) {
            const QString grp = at(attribute, group);
            if (grp != previousGroup) {
                m_t.wideBanner(grp);
                previousGroup = grp;
            }
            m_t.text(at(attribute, name) + QStringLiteral(" \t"));
            m_t.fold(at(attribute, profile), 100, true, false, QString(), QStringLiteral(" \t"), kCrLf);
            m_t.text(kCrLf);
        }
        attribute.first();
    }

    Assessment& m_a;
    Typist m_t;
    const QuarrixReportOptions& m_options;
    const QString m_activity;
    const bool m_allActivities;
    CarriedAttributes m_carried; // read by section 5
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
    type(assessment, *doc, options);
    doc->finish();
}

}
