#include "reports/taxonomy_report.h"

#include "analysis/attributes_in_use.h"
#include "analysis/carried_attributes.h"
#include "office/typed_document.h"
#include "reports/front_matter.h"
#include "reports/report_file.h"
#include "reports/report_typing.h"
#include "reports/row_lookup.h"
#include "store/assessment.h"
#include "store/line_list.h"
#include "store/report_details.h"

#include <QStringList>
#include <vector>

using namespace ReportTyping;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString systemText(Table& sys, const char* field)
{
    if (!sys.hasRecord())
        sys.first();
    return sys.hasRecord() ? sys.text(QString::fromLatin1(field)) : QString();
}

void narrowBanner(Typist& t, const QString& group)
{
    t.keepWithNext(true);
    t.bannerStyle();
    t.text(rule(74) + kCrLf);
    t.text(upperAscii(group) + kCrLf);
    t.text(rule(74) + QStringLiteral("\r\n\n"));
    t.plainStyle();
    t.keepWithNext(false);
}

void frontMatter(Typist& t, Table& sys, const ReportDetails& details, const QString& date)
{
    TypedDocument& doc = t.doc();
    // Title page.
    t.size(14);
    t.bold(true);
    doc.setAlignment(TypedDocument::Centre);
    for (int i = 0; i < 4; ++i)
        t.text(kCrLf);
    t.text(rule(100) + kCrLf);
    t.text(FrontMatter::title(systemText(sys, "Assessment"), systemText(sys, "Enterprise")) + QStringLiteral("\r\n\n"));
    t.text(rule(100) + QStringLiteral("\r\n\n"));
    for (int i = 0; i < 3; ++i)
        t.text(kCrLf);
    t.text(QStringLiteral("CUSTOM ATTRIBUTE TAXONOMY\r\n"));
    t.text(kCrLf);
    t.emptyParagraph();
    doc.setAlignment(TypedDocument::Left);
    t.bold(false);
    t.size(12);
    t.emptyParagraph();
    t.emptyParagraph();
    for (int i = 0; i < 7; ++i)
        t.text(kCrLf);
    FrontMatter::releaseLines(t, details, date);
    t.pageBreak();
    t.clearTabStops();
    doc.setAlignment(TypedDocument::Left);

    // Section 1, with section 2 on the same page.
    const QString company = systemText(sys, "Enterprise");
    if (FrontMatter::hasCompanyDetails(details, company)) {
        t.heading(QStringLiteral("1.  COMPANY DETAILS\r\n\n"));
        FrontMatter::companyDetails(t, details, company);
    }

    // Section 2.
    t.heading(QStringLiteral("2.  ANALYSIS\r\n\n"));
    FrontMatter::scope(t, systemText(sys, "Description"));
    const int next = FrontMatter::memoSection(t, QStringLiteral("2.2 Analyst Assessment"), details.commentary) ? 3 : 2;
    FrontMatter::memoSection(t, QStringLiteral("2.%1 Disclaimer").arg(next), details.disclaimer);
    t.pageBreak();
}

// The groups of the attributes in use, in the order the table walks them
// (GrAtt order), each with its attributes in use in that order.
std::vector<std::pair<QString, QStringList>> groupsInUse(Table& attribute, const AttributesInUse& inUse)
{
    const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
    const int group = attribute.fieldIndex(QStringLiteral("Group"));
    std::vector<std::pair<QString, QStringList>> groups;
    for (attribute.first(); !attribute.eof(); attribute.next()) {
        const int row = attribute.currentRow();
        if (!inUse.containsRow(attribute.rowIdAt(row)))
            continue;
        const QString g = attribute.textAt(row, group);
        auto found = std::find_if(groups.begin(), groups.end(), [&](const auto& c) { return c.first == g; });
        if (found == groups.end())
            found = groups.insert(groups.end(), { g, {} });
        found->second << attribute.textAt(row, name);
    }
    return groups;
}

// The matrix: the groups side by side, seven to a block, each block a
// header row of group names (bold, underlined) over rows whose column g
// holds the r-th attribute in use of group g.
void groupMatrix(Typist& t, Table& attribute, const AttributesInUse& inUse)
{
    DisplayPause pause(attribute);
    const auto groups = groupsInUse(attribute, inUse);
    if (groups.empty()) {
        t.text(QStringLiteral("No attribute is in use in this assessment.\r\n"));
        return;
    }
    for (size_t first = 0; first < groups.size(); first += TaxonomyReport::kMatrixColumns) {
        const size_t end = std::min(groups.size(), first + size_t(TaxonomyReport::kMatrixColumns));
        if (first > 0)
            t.text(kCrLf);
        t.keepWithNext(true);
        t.bold(true);
        for (size_t g = first; g < end; ++g) {
            t.text(QStringLiteral(" \t"));
            t.underline(true);
            t.text(groups[g].first.isEmpty() ? QStringLiteral("No group") : groups[g].first);
            t.underline(false);
        }
        t.text(kCrLf);
        t.bold(false);
        t.text(kCrLf);
        t.keepWithNext(false);
        qsizetype rows = 0;
        for (size_t g = first; g < end; ++g)
            rows = std::max(rows, groups[g].second.size());
        for (qsizetype r = 0; r < rows; ++r) {
            QString line = QStringLiteral(" \t");
            for (size_t g = first; g < end; ++g)
                line += (g > first ? QStringLiteral("\t") : QString()) + groups[g].second.value(r);
            t.text(line + kCrLf);
        }
    }
}

}

namespace TaxonomyReport {

void type(Assessment& a, TypedDocument& doc, const TaxonomyReportOptions& options)
{
    Typist t(doc);
    t.setUpPages(QStringLiteral("Custom Attribute Taxonomy\t\t\t\t\t\t\t"), options.date);
    const ReportDetails details = ReportDetailsStore::read(a.store());
    const QString assessment = systemText(a.system(), "Assessment");
    doc.setProperties(assessment.isEmpty() ? QStringLiteral("Custom Attribute Taxonomy")
                                           : QStringLiteral("Custom Attribute Taxonomy: ") + assessment,
        details.releasedBy.isEmpty() ? QStringLiteral("Quarrix") : details.releasedBy);
    frontMatter(t, a.system(), details, headerDate(options.date));

    Table& attribute = a.attribute();
    const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
    const int group = attribute.fieldIndex(QStringLiteral("Group"));
    const int description = attribute.fieldIndex(QStringLiteral("Description"));
    // Derived in memory for the division: the report writes nothing.
    const AttributesInUse inUse = AttributesInUse::derive(a.store(), options.division);
    auto inUseAt = [&](int row) { return inUse.containsRow(attribute.rowIdAt(row)); };

    // Section 3: the group matrix.
    t.size(12);
    t.heading(QStringLiteral("3.  CUSTOM ATTRIBUTE TAXONOMY\r\n\n"));
    t.size(10);
    t.clearTabStops();
    for (int stop : { 20, 120, 220, 320, 420, 520, 620 })
        t.tabStop(stop);
    groupMatrix(t, attribute, inUse);
    t.text(kCrLf);
    t.text(kCrLf);
    t.text(QStringLiteral("This taxonomy can be used to assess the effects of any security activity within the "
                          "enterprise, as it reflects all "));
    t.text(QStringLiteral("identified attributes and through the mappings below relates them back to business "
                          "drivers.  Uses of the taxonomy include "));
    t.text(QStringLiteral("assessing the security effectiveness of project proposals or tender responses, assessing "
                          "the criticality of security "));
    t.text(QStringLiteral("incidents or vulnerabilities, and identifying business relevance to such technical "
                          "processes as accreditation."));
    t.clearTabStops();
    t.pageBreak();

    // Section 4: the attribute descriptions and their drivers.
    t.size(12);
    t.heading(QStringLiteral("4.  ATTRIBUTE DESCRIPTIONS\r\n\n"));
    t.text(kCrLf);
    t.text(QStringLiteral("The attributes that are identified as relevant in this assessment have been defined "
                          "specifically for the enterprise as follows. "));
    t.text(QStringLiteral(
        "Also shown below the description are the business drivers which are affected by each attribute."));
    t.text(kCrLf);
    t.text(kCrLf);
    t.tabStop(130);

    Table& drAtt = a.driverProfiles();
    Table& drivers = a.drivers();
    const bool allGroups = options.group == QLatin1String("All");
    {
        DisplayPause pauseAttribute(attribute), pauseDrAtt(drAtt), pauseDrivers(drivers);
        const CarriedAttributes carried = CarriedAttributes::read(a.store());
        const FirstRowIndex driverRows(drivers, QStringLiteral("CSeq"));
        const int driverText = drivers.fieldIndex(QStringLiteral("Driver"));
        QString previousGroup;
        bool described = false;
        for (attribute.first(); !attribute.eof(); attribute.next()) {
            const int row = attribute.currentRow();
            if (!inUseAt(row))
                continue;
            const QString grp = attribute.textAt(row, group);
            if (!allGroups && grp != options.group)
                continue;
            described = true;
            if (grp != previousGroup) {
                narrowBanner(t, grp);
                previousGroup = grp;
            }
            const QString attr = attribute.textAt(row, name);
            // Each line of the description folded on its own, every line
            // after the first under the text column.
            const QStringList lines = LineList::split(textOr(attribute.textAt(row, description), noDescription()));
            for (qsizetype i = 0; i < lines.size(); ++i)
                t.fold(lines.at(i), 100, false, false,
                    i == 0 ? QStringLiteral(" ") + attr + QStringLiteral(" \t") : QStringLiteral(" \t"),
                    QStringLiteral(" \t"), kCrLf);
            t.text(kCrLf);
            for (const QString& cseq : carried.driversCarrying(attr)) {
                const int d = driverRows.find(cseq);
                if (d < 0)
                    continue;
                t.text(QStringLiteral(" \t[") + cseq + QStringLiteral("] ") + drivers.textAt(d, driverText) + kCrLf);
            }
            t.text(QStringLiteral(" \t") + rule(74) + kCrLf);
            t.text(kCrLf);
        }
        if (!described)
            t.text(allGroups ? QStringLiteral("No attribute is in use in this assessment.\r\n")
                             : QStringLiteral("No attribute of the group ") + options.group
                        + QStringLiteral(" is in use in this assessment.\r\n"));
        attribute.first();
        drAtt.first();
    }
    t.clearTabStops();
}

void write(Assessment& assessment, const QString& path, const TaxonomyReportOptions& options)
{
    const std::unique_ptr<TypedDocument> doc = ReportFile::open(path);
    // The report is typed from one state of the store.
    Store::Snapshot snapshot(assessment.store());
    type(assessment, *doc, options);
    doc->finish();
}

}
