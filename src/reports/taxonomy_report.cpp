#include "reports/taxonomy_report.h"

#include "analysis/carried_attributes.h"
#include "office/typed_document.h"
#include "reports/report_file.h"
#include "reports/report_typing.h"
#include "reports/row_lookup.h"
#include "store/assessment.h"

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
    t.bannerStyle();
    t.text(rule(74) + kCrLf);
    t.text(upperAscii(group) + kCrLf);
    t.text(rule(74) + QStringLiteral("\r\n\n"));
    t.plainStyle();
}

void frontMatter(Typist& t, Table& sys)
{
    TypedDocument& doc = t.doc();
    // Title page.
    t.size(14);
    t.bold(true);
    doc.setAlignment(TypedDocument::Centre);
    for (int i = 0; i < 4; ++i)
        t.text(kCrLf);
    t.text(rule(100) + kCrLf);
    t.text(upperAscii(systemText(sys, "Assessment")) + QStringLiteral("\r\n\n"));
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
    t.text(QStringLiteral("Report Released by: \r\n"));
    t.text(kCrLf);
    t.text(QStringLiteral("Report Date:        "));
    t.pageBreak();
    doc.setAlignment(TypedDocument::Left);

    // Section 1, with section 2 on the same page.
    t.heading(QStringLiteral("1.  COMPANY DETAILS\r\n\n"));
    t.text(QStringLiteral("This report has been prepared for:\r\n"));
    t.emptyParagraph();
    doc.indent();
    t.text(QStringLiteral("Contact:   \r\n"));
    t.text(QStringLiteral("Company:   \r\n"));
    t.text(QStringLiteral("Address:   \r\n"));
    t.text(QString(11, QLatin1Char(' ')) + kCrLf);
    doc.outdent();
    t.emptyParagraph();

    // Section 2.
    t.bold(true);
    t.text(QStringLiteral("2.  ANALYSIS\r\n\n"));
    t.text(QStringLiteral("2.1 Scope\r\n"));
    t.bold(false);
    t.text(systemText(sys, "Description"));
    t.emptyParagraph();
    t.emptyParagraph();
    t.heading(QStringLiteral("2.2 Analyst Assessment\r\n"));
    t.emptyParagraph();
    t.emptyParagraph();
    t.heading(QStringLiteral("2.3 Disclaimer\r\n"));
    t.emptyParagraph();
    t.emptyParagraph();
    t.pageBreak();
}

}

namespace TaxonomyReport {

const QStringList& matrixGroups()
{
    static const QStringList groups { QStringLiteral("User"), QStringLiteral("Management"),
        QStringLiteral("Operational"), QStringLiteral("Risk"), QStringLiteral("Legal"), QStringLiteral("Technical"),
        QStringLiteral("Business") };
    return groups;
}

void type(Assessment& a, TypedDocument& doc, const TaxonomyReportOptions& options)
{
    Typist t(doc);
    t.setUpPages(QStringLiteral("Custom Attribute Taxonomy\t\t\t\t\t\t\t"), options.date);
    frontMatter(t, a.system());

    Table& attribute = a.attribute();
    const int name = attribute.fieldIndex(QStringLiteral("Attribute"));
    const int group = attribute.fieldIndex(QStringLiteral("Group"));
    const int description = attribute.fieldIndex(QStringLiteral("Description"));
    const int inUse = attribute.fieldIndex(QStringLiteral("InUse"));
    auto inUseAt = [&](int row) { return attribute.valueAt(row, inUse).toBool(); };

    // Section 3: the group matrix. Column g of row r holds the r-th attribute
    // in use of group g, in the table's order.
    t.bold(true);
    t.size(12);
    t.text(QStringLiteral("3.  CUSTOM ATTRIBUTE TAXONOMY\r\n\n"));
    t.bold(false);
    t.size(10);
    t.clearTabStops();
    for (int stop : { 20, 120, 220, 320, 420, 520, 620 })
        t.tabStop(stop);
    t.bold(true);
    t.underline(true);
    for (const QString& g : matrixGroups())
        t.text(QStringLiteral(" \t") + g);
    t.text(kCrLf);
    t.bold(false);
    t.underline(false);
    t.text(kCrLf);
    {
        DisplayPause pause(attribute);
        std::vector<QStringList> columns(size_t(matrixGroups().size()));
        for (attribute.first(); !attribute.eof(); attribute.next()) {
            const int row = attribute.currentRow();
            if (!inUseAt(row))
                continue;
            const qsizetype g = matrixGroups().indexOf(attribute.textAt(row, group));
            if (g >= 0)
                columns[size_t(g)] << attribute.textAt(row, name);
        }
        qsizetype rows = 0;
        for (const QStringList& c : columns)
            rows = std::max(rows, c.size());
        for (qsizetype r = 0; r < rows; ++r) {
            QString line = QStringLiteral(" \t");
            for (size_t g = 0; g < columns.size(); ++g)
                line += (g ? QStringLiteral("\t") : QString()) + columns[g].value(r);
            t.text(line + kCrLf);
        }
    }
    t.text(kCrLf);
    t.text(kCrLf);
    t.text(QStringLiteral("This taxonomy can be used to assess the effects of any security activity within the "
                          "enterprise, as it reflects all"));
    t.text(QStringLiteral("identified attributes and through the mappings below lates them back to business drivers.  "
                          "Uses of the taxonomy include"));
    t.text(QStringLiteral("assessing the security effectiveness of project proposals or tender responses, assessing "
                          "the criticality of security"));
    t.text(QStringLiteral("incidents or vulnerabilities, and identifying business releance to such technbical "
                          "processes as accreditation."));
    t.clearTabStops();
    t.pageBreak();

    // Section 4: the attribute descriptions and their drivers.
    t.bold(true);
    t.size(12);
    t.text(QStringLiteral("4.  ATTRIBUTE DESCRIPTIONS\r\n\n"));
    t.bold(false);
    t.text(kCrLf);
    t.text(QStringLiteral("The attributes that are identified as relevant in this assessment have been defined "
                          "specifically for the enterprise as follows."));
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
        for (attribute.first(); !attribute.eof(); attribute.next()) {
            const int row = attribute.currentRow();
            if (!inUseAt(row))
                continue;
            const QString grp = attribute.textAt(row, group);
            if (!allGroups && grp != options.group)
                continue;
            if (grp != previousGroup) {
                narrowBanner(t, grp);
                previousGroup = grp;
            }
            const QString attr = attribute.textAt(row, name);
            t.fold(attribute.textAt(row, description), 100, false, false,
                QStringLiteral(" ") + attr + QStringLiteral(" \t"), QStringLiteral(" \t"), kCrLf);
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
        attribute.first();
        drAtt.first();
    }
    t.clearTabStops();
}

void write(Assessment& assessment, const QString& path, const TaxonomyReportOptions& options)
{
    const std::unique_ptr<TypedDocument> doc = ReportFile::open(path);
    type(assessment, *doc, options);
    doc->finish();
}

}
