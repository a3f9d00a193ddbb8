#include "cli/command_registry.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"
#include "store/report_details.h"

#include <QRegularExpression>
#include <algorithm>
#include <iterator>

namespace {

struct DetailOption {
    const char* name;
    QString ReportDetails::*value;
    bool lines; // a memo: line breaks kept (as CR LF); a single line: they become blanks
};

const DetailOption kOptions[] = {
    { "--released-by", &ReportDetails::releasedBy, false },
    { "--contact", &ReportDetails::contact, false },
    { "--address", &ReportDetails::address, false },
    { "--commentary", &ReportDetails::commentary, true },
    { "--disclaimer", &ReportDetails::disclaimer, true },
};

QString stored(const QString& given, bool lines)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QString text = given;
    return text.replace(lineBreak, lines ? QStringLiteral("\r\n") : QStringLiteral(" "));
}

}

// set-report-details: stores the details given, keeping the others; the
// disclaimer option "default" gives back the default disclaimer.
static CliCommand setReportDetailsCommand("set-report-details",
    "[--released-by NAME] [--contact NAME] [--address TEXT] [--commentary TEXT] [--disclaimer TEXT|default]",
    [](CliContext& c) {
        for (int i = 0; i < c.args.size(); i += 2) {
            const bool known = std::any_of(std::begin(kOptions), std::end(kOptions),
                [&](const DetailOption& o) { return c.args.at(i) == QLatin1String(o.name); });
            if (!known || i + 1 >= c.args.size())
                throw QuarrixError(QStringLiteral("usage: quarrix-cli set-report-details [--released-by NAME] "
                                                  "[--contact NAME] [--address TEXT] [--commentary TEXT] "
                                                  "[--disclaimer TEXT|default]"));
        }
        Store& store = c.assessment.store();
        ReportDetails details = ReportDetailsStore::read(store);
        for (const DetailOption& o : kOptions)
            if (c.hasOption(QString::fromLatin1(o.name)))
                details.*o.value = stored(c.option(QString::fromLatin1(o.name)), o.lines);
        if (c.option(QStringLiteral("--disclaimer")) == QLatin1String("default"))
            details.disclaimer = ReportDetailsStore::defaultDisclaimer();
        ReportDetailsStore::write(store, details);
        c.assessment.setWorkArchived(false);
        cliOut(QStringLiteral("Report details stored"));
        return 0;
    });
