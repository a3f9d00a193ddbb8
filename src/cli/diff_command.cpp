#include "cli/command_registry.h"
#include "cli/command_usages.h"
#include "compare/assessment_comparison.h"
#include "compare/change_output.h"
#include "compare/compared_assessment.h"
#include "files/atomic_file.h"
#include "reports/change_report_document.h"
#include "store/quarrix_error.h"

namespace {

const QStringList kFormats
    = { QStringLiteral("text"), QStringLiteral("json"), QStringLiteral("docx"), QStringLiteral("pdf") };

QString usage()
{
    return QStringLiteral("usage: quarrix-cli diff %1").arg(QString::fromLatin1(CommandUsages::diff));
}

// The format asked for; without --format, the one the output file's name ends
// in (.json, .docx, .pdf), else text.
QString chosenFormat(const CliContext& c, const QString& output)
{
    if (c.hasOption(QStringLiteral("--format")))
        return c.option(QStringLiteral("--format"));
    for (const QString& format : kFormats)
        if (output.endsWith(QLatin1Char('.') + format, Qt::CaseInsensitive))
            return format;
    return kFormats.first();
}

// Refuses a division that neither assessment knows, naming those they know.
void checkDivision(const ChangeReport& report, const QString& division, const QStringList& known)
{
    if (division == QLatin1String("All") || known.contains(division))
        return;
    throw QuarrixError(QStringLiteral("Neither %1 nor %2 has the division '%3'; they have: %4.")
                           .arg(report.before.path, report.after.path, division, known.join(QStringLiteral(", "))));
}

}

// diff OLD NEW: what changed from the assessment in OLD to the one in NEW,
// each an archive or a store, read into memory so that neither file changes.
static CliCommand diffCommand(
    "diff", CommandUsages::diff, CliDrawing::Pages,
    [](CliContext& c) {
        const QStringList files = c.positional();
        bool ok = files.size() == 2;
        for (int i = 0; ok && i < c.args.size(); ++i) {
            if (!c.args.at(i).startsWith(QLatin1String("--")))
                continue;
            ok = (c.args.at(i) == QLatin1String("--division") || c.args.at(i) == QLatin1String("--format")
                     || c.args.at(i) == QLatin1String("--output"))
                && i + 1 < c.args.size();
            ++i;
        }
        const QString output = c.option(QStringLiteral("--output"));
        const QString format = chosenFormat(c, output);
        if (!ok || !kFormats.contains(format))
            throw QuarrixError(usage());
        const bool document = format == QLatin1String("docx") || format == QLatin1String("pdf");
        if (document && !output.endsWith(QLatin1Char('.') + format, Qt::CaseInsensitive))
            throw QuarrixError(QStringLiteral("diff --format %1 writes a file: give --output FILE.%1").arg(format));

        const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
        const AssessmentFacts before = ComparedAssessment::read(files.at(0), division);
        const AssessmentFacts after = ComparedAssessment::read(files.at(1), division);
        const ChangeReport report = AssessmentComparison::compare(before, after);
        QStringList known { QStringLiteral("Enterprise") };
        for (const QStringList* list : { &before.divisions, &after.divisions })
            for (const QString& d : *list)
                if (!known.contains(d))
                    known << d;
        checkDivision(report, division, known);

        if (document) {
            ChangeReportDocument::write(report, output);
            cliOut(output + QStringLiteral(" saved"));
            return 0;
        }
        const QByteArray bytes
            = format == QLatin1String("json") ? ChangeOutput::json(report) : ChangeOutput::text(report).toUtf8();
        if (output.isEmpty())
            cliWrite(bytes);
        else
            AtomicFile::write(output, bytes);
        return 0;
    },
    CliStore::None);
