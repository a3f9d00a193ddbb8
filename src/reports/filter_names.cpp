#include "reports/filter_names.h"

#include "store/assessment.h"
#include "store/line_list.h"
#include "store/quarrix_error.h"

namespace {

// The given names, then those of the column not yet among them, in the
// column's sorted order.
QStringList withRecorded(Assessment& a, QStringList names, const QString& sql)
{
    a.store().cached(sql).eachRow([&](SqlStatement& s) {
        const QString name = s.text(0);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    });
    names.removeAll(QString());
    names.removeDuplicates();
    return names;
}

QStringList systemList(Assessment& a, const char* field)
{
    Table& sys = a.system();
    if (!sys.hasRecord())
        sys.first();
    return sys.hasRecord() ? LineList::split(sys.text(QString::fromLatin1(field))) : QStringList();
}

}

namespace FilterNames {

QStringList divisions(Assessment& a)
{
    return withRecorded(a,
        QStringList { QStringLiteral("All"), QStringLiteral("Enterprise") } + systemList(a, "Divisions"),
        QStringLiteral("SELECT Division FROM Requirements UNION SELECT Division FROM Drivers ORDER BY 1"));
}

QStringList activities(Assessment& a)
{
    return withRecorded(a, QStringList { QStringLiteral("All") } + systemList(a, "Activities"),
        QStringLiteral("SELECT Activity FROM Requirements UNION SELECT Activity FROM Drivers ORDER BY 1"));
}

QStringList groups(Assessment& a)
{
    return withRecorded(a, QStringList { QStringLiteral("All") } + systemList(a, "Groups"),
        QStringLiteral("SELECT \"Group\" FROM Drivers UNION SELECT \"Group\" FROM Attribute ORDER BY 1"));
}

void require(const char* what, const QString& value, const QStringList& known)
{
    if (known.contains(value))
        return;
    throw QuarrixError(QStringLiteral("The assessment has no %1 '%2'. Known: %3.")
                           .arg(QString::fromLatin1(what), value, known.join(QStringLiteral(", "))));
}

}
