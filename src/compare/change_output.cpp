#include "compare/change_output.h"

#include "compare/word_difference.h"
#include "files/json_writer.h"

#include <QFileInfo>
#include <QStringList>

namespace ChangeOutput {

namespace {

QString partName(const QString& name)
{
    QString shown = name;
    shown.replace(QLatin1Char('_'), QLatin1Char(' '));
    return shown;
}

void key(JsonWriter& json, const QString& name)
{
    const QByteArray latin1 = name.toLatin1(); // our own names, plain ASCII
    json.key(std::string_view(latin1.constData(), size_t(latin1.size())));
}

// A text, a whole number, a list of texts (an array), or null.
void writeValue(JsonWriter& json, const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::QStringList:
        json.beginArray();
        for (const QString& item : v.toStringList())
            json.string(item);
        json.endArray();
        return;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        json.number(v.toLongLong());
        return;
    default:
        if (!v.isValid())
            json.null();
        else
            json.string(v.toString());
    }
}

void writeOldAndNew(JsonWriter& json, const QVariant& before, const QVariant& after)
{
    key(json, QStringLiteral("old"));
    writeValue(json, before);
    key(json, QStringLiteral("new"));
    writeValue(json, after);
}

void writeItem(JsonWriter& json, const ChangeItem& item, bool changed)
{
    if (item.singleKey() && !changed) {
        writeValue(json, item.key.front().second);
        return;
    }
    json.beginObject();
    if (item.singleKey()) {
        key(json, QStringLiteral("key"));
        writeValue(json, item.key.front().second);
    } else {
        for (const auto& [name, value] : item.key) {
            key(json, name);
            writeValue(json, value);
        }
    }
    if (!item.oldKey.isEmpty()) {
        key(json, QStringLiteral("old_key"));
        writeValue(json, item.oldKey);
    }
    if (changed && (item.singleKey() || !item.fields.empty())) {
        key(json, QStringLiteral("fields"));
        json.beginArray();
        for (const FieldChange& f : item.fields) {
            json.beginObject();
            key(json, QStringLiteral("field"));
            writeValue(json, f.field);
            writeOldAndNew(json, f.before, f.after);
            json.endObject();
        }
        json.endArray();
    }
    json.endObject();
}

void writeItems(JsonWriter& json, const char* name, const std::vector<ChangeItem>& items, bool changed)
{
    key(json, QString::fromLatin1(name));
    json.beginArray();
    for (const ChangeItem& item : items)
        writeItem(json, item, changed);
    json.endArray();
}

void writeGaps(JsonWriter& json, const char* name, const std::vector<GapChange>& gaps)
{
    key(json, QString::fromLatin1(name));
    json.beginArray();
    for (const GapChange& g : gaps) {
        json.beginObject();
        key(json, QStringLiteral("gap"));
        writeValue(json, g.gap);
        key(json, QStringLiteral("name"));
        writeValue(json, g.name);
        json.endObject();
    }
    json.endArray();
}

// Continuation lines of a multi-line text under the first, indented.
QString indentedLines(const QString& text, int indent)
{
    QString out = text;
    out.replace(QLatin1Char('\n'), QLatin1Char('\n') + QString(indent, QLatin1Char(' ')));
    return out;
}

QString countText(const CountChange& c)
{
    if (c.before == c.after)
        return QStringLiteral("%1 %2").arg(partName(c.name)).arg(c.after);
    return QStringLiteral("%1 %2 -> %3").arg(partName(c.name)).arg(c.before).arg(c.after);
}

}

QString fieldTitle(const QString& field)
{
    static const std::pair<const char*, const char*> titles[] = {
        { "AssID", "Assessment Id" },
        { "Assessment", "Title" },
        { "XId", "Alt Id" },
        { "section_title", "Section title" },
        { "subsection_title", "Objective title" },
        { "subsection", "Objective" },
        { "control_title", "Control title" },
        { "control", "Control" },
        { "Grx", "Group number" },
    };
    for (const auto& [name, title] : titles)
        if (field == QLatin1String(name))
            return QString::fromLatin1(title);
    return field;
}

QString valueText(const QVariant& value)
{
    if (value.typeId() == QMetaType::QStringList) {
        const QStringList items = value.toStringList();
        return items.isEmpty() ? QStringLiteral("(none)") : items.join(QStringLiteral(", "));
    }
    const QString text = value.toString();
    return !value.isValid() || text.isEmpty() ? QStringLiteral("(none)") : text;
}

QString fieldText(const FieldChange& change)
{
    if (change.before.typeId() == QMetaType::QStringList || change.after.typeId() == QMetaType::QStringList) {
        const QStringList was = change.before.toStringList();
        const QStringList is = change.after.toStringList();
        QStringList parts;
        for (const QString& item : is)
            if (!was.contains(item))
                parts << QLatin1Char('+') + item;
        for (const QString& item : was)
            if (!is.contains(item))
                parts << QLatin1Char('-') + item;
        return parts.join(QLatin1Char(' '));
    }
    if (change.words && !change.before.toString().isEmpty() && !change.after.toString().isEmpty())
        return WordDifference::marked(WordDifference::between(change.before.toString(), change.after.toString()));
    return valueText(change.before) + QStringLiteral(" -> ") + valueText(change.after);
}

QString itemText(const ChangeItem& item)
{
    QString text;
    if (item.singleKey()) {
        text = item.key.front().second.toString();
    } else {
        QStringList parts;
        for (const auto& [name, value] : item.key)
            parts << partName(name) + QLatin1Char(' ') + valueText(value);
        text = parts.join(QStringLiteral(", "));
    }
    if (!item.oldKey.isEmpty())
        text += QStringLiteral(" (renamed from %1)").arg(item.oldKey);
    if (!item.label.isEmpty())
        text += QStringLiteral("  ") + item.label;
    return text;
}

QString countsText(const KindChanges& changes)
{
    QStringList parts;
    if (!changes.added.empty())
        parts << QStringLiteral("%1 added").arg(changes.added.size());
    if (!changes.removed.empty())
        parts << QStringLiteral("%1 removed").arg(changes.removed.size());
    if (!changes.changed.empty())
        parts << QStringLiteral("%1 changed").arg(changes.changed.size());
    return parts.isEmpty() ? QStringLiteral("no change") : parts.join(QStringLiteral(", "));
}

QString sourceText(const ComparedSource& source)
{
    const QString kind = source.archive ? QStringLiteral("archive") : QStringLiteral("store");
    return QStringLiteral("%1 (%2 %3, %4)")
        .arg(source.shownName(), kind, QFileInfo(source.path).fileName(),
            source.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm")));
}

QString gapTitle(const QString& gap)
{
    static const std::pair<const char*, const char*> titles[] = {
        { "requirements_without_driver", "Requirement without a driver" },
        { "drivers_without_profile", "Driver without a profile" },
        { "profiled_without_security", "Profiled attribute reaching no security attribute" },
        { "security_without_controls", "Security attribute in use without controls" },
        { "unknown_controls", "Control not in the catalogue" },
        { "orphan_profile_rows", "Profile row of a driver that does not exist" },
    };
    for (const auto& [key, title] : titles)
        if (gap == QLatin1String(key))
            return QString::fromLatin1(title);
    return partName(gap);
}

QString text(const ChangeReport& report)
{
    QString out
        = QStringLiteral("Changes from %1\n          to %2\n").arg(sourceText(report.before), sourceText(report.after));
    if (report.division != QLatin1String("All"))
        out += QStringLiteral("Division: %1\n").arg(report.division);
    if (report.empty())
        return out + QStringLiteral("\nNo changes: both hold the same assessment.\n");

    out += QStringLiteral("\n%1 %2 %3 %4\n")
               .arg(QStringLiteral("Kind"), -28)
               .arg(QStringLiteral("Added"), 7)
               .arg(QStringLiteral("Removed"), 7)
               .arg(QStringLiteral("Changed"), 7);
    for (ChangeKind kind : ChangeKinds::all()) {
        const KindChanges& c = report[kind];
        out += QStringLiteral("%1 %2 %3 %4\n")
                   .arg(ChangeKinds::title(kind), -28)
                   .arg(c.added.size(), 7)
                   .arg(c.removed.size(), 7)
                   .arg(c.changed.size(), 7);
    }
    out += QStringLiteral("%1 %2 new, %3 closed\n")
               .arg(QStringLiteral("Gaps"), -28)
               .arg(report.newGaps.size())
               .arg(report.closedGaps.size());

    for (ChangeKind kind : ChangeKinds::all()) {
        const KindChanges& c = report[kind];
        bool countsMoved = false;
        for (const CountChange& count : c.counts)
            countsMoved = countsMoved || count.before != count.after;
        if (c.empty() && !countsMoved)
            continue;
        out += QStringLiteral("\n%1 (%2)\n").arg(ChangeKinds::title(kind), countsText(c));
        if (!c.counts.empty()) {
            QStringList counts;
            for (const CountChange& count : c.counts)
                counts << countText(count);
            out += QStringLiteral("  counts: ") + counts.join(QStringLiteral(", ")) + QLatin1Char('\n');
        }
        for (const ChangeItem& item : c.added)
            out += QStringLiteral("  + ") + indentedLines(itemText(item), 4) + QLatin1Char('\n');
        for (const ChangeItem& item : c.removed)
            out += QStringLiteral("  - ") + indentedLines(itemText(item), 4) + QLatin1Char('\n');
        for (const ChangeItem& item : c.changed) {
            out += QStringLiteral("  ~ ") + indentedLines(itemText(item), 4) + QLatin1Char('\n');
            for (const FieldChange& f : item.fields) {
                const QString head = QStringLiteral("      %1: ").arg(fieldTitle(f.field));
                out += head + indentedLines(fieldText(f), int(head.size())) + QLatin1Char('\n');
            }
        }
    }
    if (!report.newGaps.empty() || !report.closedGaps.empty()) {
        out += QStringLiteral("\nGaps (%1 new, %2 closed)\n").arg(report.newGaps.size()).arg(report.closedGaps.size());
        for (const GapChange& g : report.newGaps)
            out += QStringLiteral("  + %1: %2\n").arg(g.gap, g.name);
        for (const GapChange& g : report.closedGaps)
            out += QStringLiteral("  - %1: %2\n").arg(g.gap, g.name);
    }
    return out;
}

QByteArray json(const ChangeReport& report)
{
    JsonWriter json;
    json.beginObject();
    for (ChangeKind kind : ChangeKinds::all()) {
        const KindChanges& c = report[kind];
        key(json, ChangeKinds::key(kind));
        json.beginObject();
        writeItems(json, "added", c.added, false);
        writeItems(json, "removed", c.removed, false);
        writeItems(json, "changed", c.changed, true);
        if (!c.counts.empty()) {
            key(json, QStringLiteral("counts"));
            json.beginObject();
            for (const CountChange& count : c.counts) {
                key(json, count.name);
                json.beginObject();
                writeOldAndNew(json, count.before, count.after);
                json.endObject();
            }
            json.endObject();
        }
        json.endObject();
    }
    key(json, QStringLiteral("gaps"));
    json.beginObject();
    writeGaps(json, "new", report.newGaps);
    writeGaps(json, "closed", report.closedGaps);
    json.endObject();
    json.endObject();
    return json.take();
}

}
