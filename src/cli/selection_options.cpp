#include "cli/selection_options.h"

#include "analysis/profile_division_filter.h"
#include "cli/command_registry.h"
#include "reports/filter_names.h"
#include "store/assessment.h"
#include "store/quarrix_error.h"

namespace SelectionOptions {

const QStringList& common()
{
    static const QStringList options { QStringLiteral("--division"), QStringLiteral("--activity"),
        QStringLiteral("--group"), QStringLiteral("--tables") };
    return options;
}

QString fileArgument(const CliContext& c, const char* command, const char* usage, const QStringList& known)
{
    const auto fail = [&] {
        return QuarrixError(
            QStringLiteral("usage: quarrix-cli %1 %2").arg(QString::fromLatin1(command), QString::fromLatin1(usage)));
    };
    for (int i = 0; i < c.args.size(); ++i) {
        if (!c.args.at(i).startsWith(QLatin1String("--")))
            continue;
        if (!known.contains(c.args.at(i)) || i + 1 >= c.args.size())
            throw fail();
        ++i;
    }
    const QStringList files = c.positional();
    if (files.size() != 1)
        throw fail();
    return files.first();
}

void requireKnownFilters(const CliContext& c)
{
    const struct {
        const char* option;
        const char* what;
        QStringList (*known)(Assessment&);
    } filters[] = {
        { "--division", "division", &FilterNames::divisions },
        { "--activity", "activity", &FilterNames::activities },
        { "--group", "group", &FilterNames::groups },
    };
    for (const auto& f : filters)
        if (c.hasOption(QString::fromLatin1(f.option)))
            FilterNames::require(f.what, c.option(QString::fromLatin1(f.option)), f.known(c.assessment));
}

void requireExtension(const QString& file, const QStringList& extensions)
{
    for (const QString& extension : extensions)
        if (file.endsWith(extension, Qt::CaseInsensitive))
            return;
    throw QuarrixError(QStringLiteral("Cannot write '%1': the file name must end in %2.")
                           .arg(file, extensions.join(QStringLiteral(" or "))));
}

ReportSelection selectionOf(const CliContext& c)
{
    ReportSelection s;
    s.division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    s.activity = c.option(QStringLiteral("--activity"), QStringLiteral("All"));
    s.group = c.option(QStringLiteral("--group"), QStringLiteral("All"));
    if (c.hasOption(QStringLiteral("--tables"))) {
        s.requirements = s.drivers = s.attributes = s.controls = false;
        const QStringList tables = c.option(QStringLiteral("--tables")).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& t : tables) {
            const QString name = t.trimmed().toLower();
            if (name == QLatin1String("requirements"))
                s.requirements = true;
            else if (name == QLatin1String("drivers"))
                s.drivers = true;
            else if (name == QLatin1String("attributes"))
                s.attributes = true;
            else if (name == QLatin1String("controls"))
                s.controls = true;
            else
                throw QuarrixError(
                    QStringLiteral("Unknown table '%1': choose from requirements, drivers, attributes, controls.")
                        .arg(t));
        }
    }
    return s;
}

QString filterDivision(const CliContext& c)
{
    const QString division = c.option(QStringLiteral("--division"), QStringLiteral("All"));
    applyDivisionFilter(c.assessment.requirements(), division);
    applyDivisionFilter(c.assessment.drivers(), division);
    return division;
}

}
