#include "compare/change_model.h"

#include <QFileInfo>
#include <QStringList>

QVariant ChangeItem::part(const QString& name) const
{
    for (const auto& [partName, value] : key)
        if (partName == name)
            return value;
    return {};
}

QString ChangeItem::keyText() const
{
    QStringList values;
    for (const auto& [name, value] : key)
        values << value.toString();
    return values.join(QStringLiteral(" / "));
}

QString ComparedSource::shownName() const
{
    if (!title.isEmpty())
        return title;
    if (!assessmentId.isEmpty())
        return assessmentId;
    return QFileInfo(path).fileName();
}

bool ChangeReport::empty() const
{
    for (const KindChanges& kind : kinds) {
        if (!kind.empty())
            return false;
        for (const CountChange& count : kind.counts)
            if (count.before != count.after)
                return false;
    }
    return newGaps.empty() && closedGaps.empty();
}

namespace ChangeKinds {

namespace {

struct Names {
    const char* key;
    const char* title;
};

constexpr Names kNames[kChangeKindCount] = {
    { "system", "System" },
    { "requirements", "Requirements" },
    { "drivers", "Business drivers" },
    { "profiles", "Profiles" },
    { "attributes_in_use", "Security attributes in use" },
    { "controls", "Objectives and controls" },
    { "trace", "Trace" },
    { "applications", "Applications" },
    { "risks", "Risk entries" },
    { "catalogue", "Control catalogue" },
    { "taxonomy", "Attribute taxonomy" },
};

}

const std::array<ChangeKind, kChangeKindCount>& all()
{
    static const std::array<ChangeKind, kChangeKindCount> kinds = { ChangeKind::System, ChangeKind::Requirements,
        ChangeKind::Drivers, ChangeKind::Profiles, ChangeKind::AttributesInUse, ChangeKind::Controls, ChangeKind::Trace,
        ChangeKind::Applications, ChangeKind::Risks, ChangeKind::Catalogue, ChangeKind::Taxonomy };
    return kinds;
}

QString key(ChangeKind kind)
{
    return QString::fromLatin1(kNames[int(kind)].key);
}

QString title(ChangeKind kind)
{
    return QString::fromLatin1(kNames[int(kind)].title);
}

}
