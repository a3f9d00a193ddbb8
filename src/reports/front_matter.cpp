#include "reports/front_matter.h"

#include "office/typed_document.h"
#include "reports/report_typing.h"
#include "store/line_list.h"
#include "store/report_details.h"

namespace ReportTyping::FrontMatter {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr double kLabelStop = 130; // where the values after the labels start, in points

// A memo's lines as paragraphs; its final line break adds none.
QString paragraphs(const QString& memo)
{
    return LineList::split(memo).join(kCrLf) + kCrLf;
}

}

void releaseLines(Typist& t, const ReportDetails& details, const QString& date)
{
    t.clearTabStops();
    t.tabStop(kLabelStop);
    if (!details.releasedBy.isEmpty()) {
        t.text(QStringLiteral("Report Released by:\t") + details.releasedBy + kCrLf);
        t.text(kCrLf);
    }
    t.text(QStringLiteral("Report Date:\t") + date);
}

QString title(const QString& assessment, const QString& enterprise)
{
    const QString name = !assessment.trimmed().isEmpty() ? assessment
        : !enterprise.trimmed().isEmpty()                ? enterprise
                                                         : QStringLiteral("Security assessment");
    return upperAscii(name);
}

bool hasCompanyDetails(const ReportDetails& details, const QString& company)
{
    return !details.contact.isEmpty() || !company.isEmpty() || !details.address.isEmpty();
}

void companyDetails(Typist& t, const ReportDetails& details, const QString& company)
{
    t.keepWithNext(true);
    t.text(QStringLiteral("This report has been prepared for:"));
    t.emptyParagraph();
    t.keepWithNext(false);
    t.doc().indent();
    t.clearTabStops();
    t.tabStop(kLabelStop); // stops count from the margin, not the indent
    const std::pair<const char*, QString> lines[]
        = { { "Contact:", details.contact }, { "Company:", company }, { "Address:", details.address } };
    for (const auto& [label, value] : lines)
        if (!value.isEmpty())
            t.text(QString::fromLatin1(label) + QLatin1Char('\t') + value + kCrLf);
    t.doc().outdent();
    t.clearTabStops();
    t.emptyParagraph();
}

bool memoSection(Typist& t, const QString& heading, const QString& text)
{
    if (text.trimmed().isEmpty())
        return false;
    t.heading(heading + kCrLf);
    t.text(paragraphs(text));
    t.emptyParagraph();
    return true;
}

void scope(Typist& t, const QString& description)
{
    t.heading(QStringLiteral("2.1 Scope\r\n"));
    t.text(textOr(description, QStringLiteral("No scope is recorded for this assessment.")));
    t.emptyParagraph();
    t.emptyParagraph();
}

}
