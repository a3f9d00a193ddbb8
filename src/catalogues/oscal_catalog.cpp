#include "catalogues/oscal_catalog.h"

#include "store/quarrix_error.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <new>

namespace {

constexpr int kMaxNumber = 99; // two decimal digits per part of an Id
constexpr qsizetype kMaxDiscussion = 1000; // longer guidance is left out
constexpr int kMaxParamDepth = 8; // parameters inserted into the choices of parameters
const QString kLineBreak = QStringLiteral("\r\n");

[[noreturn]] void fail(const QString& what)
{
    throw QuarrixError(what);
}

QByteArray withoutByteOrderMark(const QByteArray& bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
}

// Refuses JSON nested deeper than the limit before the parser, or the walk
// over the catalog, recurses into it, and JSON of more values than the limit
// before the parser holds them all (a small object costs some 200 bytes).
void checkShape(const QByteArray& json, const OscalCatalog::Limits& limits)
{
    int depth = 0;
    qint64 values = 1; // counted as lists and objects opened plus separators
    bool inString = false;
    bool escaped = false;
    for (const char c : json) {
        if (inString) {
            if (escaped)
                escaped = false;
            else if (c == '\\')
                escaped = true;
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
        case '"':
            inString = true;
            break;
        case '{':
        case '[':
            if (++depth > limits.maxDepth)
                fail(QStringLiteral("it is nested more than %1 levels deep").arg(limits.maxDepth));
            [[fallthrough]];
        case ',':
            if (++values > limits.maxValues)
                fail(QStringLiteral("it holds more than %1 JSON values").arg(limits.maxValues));
            break;
        case '}':
        case ']':
            --depth;
            break;
        default:
            break;
        }
    }
}

QString text(const QJsonObject& o, const char* key)
{
    return o.value(QLatin1String(key)).toString();
}

// The objects listed under key; none when the key is absent. Anything but a
// list of objects there means the file is not a catalog.
std::vector<QJsonObject> objectsIn(const QJsonObject& o, const char* key, const QString& owner)
{
    const QJsonValue v = o.value(QLatin1String(key));
    if (v.isUndefined() || v.isNull())
        return {};
    if (!v.isArray())
        fail(QStringLiteral("the \"%1\" of %2 is not a list").arg(QLatin1String(key), owner));
    std::vector<QJsonObject> objects;
    const QJsonArray list = v.toArray();
    objects.reserve(size_t(list.size()));
    for (const QJsonValue& item : list) {
        if (!item.isObject())
            fail(QStringLiteral("an entry of the \"%1\" of %2 is not an object").arg(QLatin1String(key), owner));
        objects.push_back(item.toObject());
    }
    return objects;
}

// The value of the first property of that name without a class (the plain
// "AC-2" before the zero-padded "AC-02"), else of the first of that name.
QString property(const QJsonObject& o, const QString& name, const QString& owner)
{
    QString classed;
    bool found = false;
    for (const QJsonObject& prop : objectsIn(o, "props", owner)) {
        if (text(prop, "name") != name)
            continue;
        if (text(prop, "class").isEmpty())
            return text(prop, "value");
        if (!found)
            classed = text(prop, "value");
        found = true;
    }
    return classed;
}

QString nameOfGroup(const QJsonObject& group)
{
    const QString title = text(group, "title").simplified();
    return QStringLiteral("the group '%1'").arg(title.isEmpty() ? text(group, "id") : title);
}

QString nameOfControl(const QJsonObject& control)
{
    const QString byId = QStringLiteral("control '%1'").arg(text(control, "id"));
    const QString label = property(control, QStringLiteral("label"), byId);
    return label.isEmpty() ? byId : QStringLiteral("control '%1'").arg(label);
}

bool isWithdrawn(const QJsonObject& control, const QString& owner)
{
    return property(control, QStringLiteral("status"), owner).compare(QLatin1String("withdrawn"), Qt::CaseInsensitive)
        == 0;
}

// Walks one catalog and makes its rows.
class CatalogReader {
public:
    explicit CatalogReader(const OscalCatalog::Limits& limits)
        : m_limits(limits)
    {
    }

    ControlSetRows read(const QJsonObject& catalog)
    {
        const QString owner = QStringLiteral("the catalog");
        collectParams(catalog, owner);
        // Controls outside any group (a profile resolved flat) form a first
        // section named after the catalog.
        const std::vector<QJsonObject> loose = objectsIn(catalog, "controls", owner);
        if (!loose.empty())
            addSection(clean(text(catalog.value(QLatin1String("metadata")).toObject(), "title")), loose,
                QStringLiteral("the catalog's own controls"));
        for (const QJsonObject& group : objectsIn(catalog, "groups", owner)) {
            const QString name = nameOfGroup(group);
            std::vector<QJsonObject> bases;
            collectBaseControls(group, name, bases);
            if (bases.empty())
                fail(QStringLiteral("%1 holds no controls").arg(name));
            addSection(clean(text(group, "title")), bases, name);
        }
        if (m_rows.empty())
            fail(QStringLiteral("it holds no controls that are not withdrawn"));
        return std::move(m_rows);
    }

private:
    void collectParams(const QJsonObject& owner, const QString& name)
    {
        for (const QJsonObject& param : objectsIn(owner, "params", name))
            m_params.insert(text(param, "id"), param);
        for (const QJsonObject& group : objectsIn(owner, "groups", name))
            collectParams(group, nameOfGroup(group));
        for (const QJsonObject& control : objectsIn(owner, "controls", name))
            collectParams(control, nameOfControl(control));
    }

    // The base controls of a group: its own, then those of its subgroups.
    void collectBaseControls(const QJsonObject& group, const QString& name, std::vector<QJsonObject>& bases)
    {
        for (const QJsonObject& control : objectsIn(group, "controls", name))
            bases.push_back(control);
        for (const QJsonObject& subgroup : objectsIn(group, "groups", name))
            collectBaseControls(subgroup, nameOfGroup(subgroup), bases);
    }

    // The enhancements of a control that are not withdrawn, depth first.
    void collectEnhancements(const QJsonObject& control, const QString& name, std::vector<QJsonObject>& family)
    {
        for (const QJsonObject& child : objectsIn(control, "controls", name)) {
            const QString childName = nameOfControl(child);
            if (isWithdrawn(child, childName))
                continue;
            family.push_back(child);
            collectEnhancements(child, childName, family);
        }
    }

    void addSection(const QString& title, const std::vector<QJsonObject>& bases, const QString& name)
    {
        if (++m_section > kMaxNumber)
            fail(QStringLiteral("%1 would be section %2; a control set holds at most %3 sections")
                     .arg(name)
                     .arg(m_section)
                     .arg(kMaxNumber));
        int objective = 0;
        for (const QJsonObject& base : bases) {
            const QString baseName = nameOfControl(base);
            if (isWithdrawn(base, baseName))
                continue;
            if (++objective > kMaxNumber)
                fail(QStringLiteral("%1 would be objective %2 of %3; a section holds at most %4 objectives")
                         .arg(baseName)
                         .arg(objective)
                         .arg(name)
                         .arg(kMaxNumber));
            std::vector<QJsonObject> family { base };
            collectEnhancements(base, baseName, family);
            const QString baseTitle = clean(text(base, "title"));
            const QString baseStatement = statementOf(base, baseName);
            int control = 0;
            for (const QJsonObject& member : family) {
                const bool isBase = ++control == 1;
                const QString memberName = isBase ? baseName : nameOfControl(member);
                if (control > kMaxNumber)
                    fail(QStringLiteral("%1 would be control %2 under %3; an objective holds at most %4 controls")
                             .arg(memberName)
                             .arg(control)
                             .arg(baseName)
                             .arg(kMaxNumber));
                ControlSetRow row;
                row.id = QStringLiteral("%1.%2.%3").arg(twoDigits(m_section), twoDigits(objective), twoDigits(control));
                row.xid = property(member, QStringLiteral("label"), memberName).simplified();
                row.sectionTitle = title;
                row.subsectionTitle = baseTitle;
                row.subsection = baseStatement;
                row.controlTitle = isBase ? baseTitle : clean(text(member, "title"));
                row.control
                    = withDiscussion(isBase ? baseStatement : statementOf(member, memberName), member, memberName);
                m_rows.push_back(std::move(row));
            }
        }
    }

    static QString twoDigits(int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); }

    // The first part of the control with that name.
    static QJsonObject partNamed(const QJsonObject& control, const char* partName, const QString& owner)
    {
        for (const QJsonObject& part : objectsIn(control, "parts", owner))
            if (text(part, "name") == QLatin1String(partName))
                return part;
        return {};
    }

    // The statement's own prose, then one line per item at any depth: the
    // item's label, a blank and its prose.
    QString statementOf(const QJsonObject& control, const QString& owner)
    {
        const QJsonObject statement = partNamed(control, "statement", owner);
        QStringList lines;
        const QString prose = clean(text(statement, "prose"));
        if (!prose.isEmpty())
            lines << prose;
        addItemLines(statement, owner, lines);
        return lines.join(kLineBreak);
    }

    void addItemLines(const QJsonObject& part, const QString& owner, QStringList& lines)
    {
        for (const QJsonObject& child : objectsIn(part, "parts", owner)) {
            if (text(child, "name") == QLatin1String("item")) {
                const QString label = property(child, QStringLiteral("label"), owner).simplified();
                const QString prose = clean(text(child, "prose"));
                const QString line = label.isEmpty() || prose.isEmpty() ? label + prose : label + u' ' + prose;
                if (!line.isEmpty())
                    lines << line;
            }
            addItemLines(child, owner, lines);
        }
    }

    QString withDiscussion(const QString& statement, const QJsonObject& control, const QString& owner)
    {
        const QString guidance = clean(text(partNamed(control, "guidance", owner), "prose"));
        if (guidance.isEmpty() || guidance.size() > kMaxDiscussion)
            return statement;
        const QString discussion = QStringLiteral("Discussion: ") + guidance;
        return statement.isEmpty() ? discussion : statement + kLineBreak + kLineBreak + discussion;
    }

    // Markup as plain text: links keep their text, ** marks go, parameters
    // are inserted as printed, runs of blanks become one, ends are trimmed.
    QString clean(const QString& markup, int depth = 0)
    {
        static const QRegularExpression link(QStringLiteral(R"(\[([^\[\]]*)\]\([^()]*\))"));
        static const QRegularExpression insertion(
            QStringLiteral(R"(\{\{\s*insert\s*:\s*param\s*,\s*([^\s{}]+)\s*\}\})"));
        if (markup.isEmpty())
            return markup;
        QString plain = markup;
        if (plain.contains(u'['))
            plain.replace(link, QStringLiteral("\\1"));
        plain.remove(QLatin1String("**"));
        if (!plain.contains(QLatin1String("{{")))
            return plain.simplified();
        QString out;
        qsizetype from = 0;
        for (auto it = insertion.globalMatch(plain); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            const QString inserted = paramText(m.captured(1), depth);
            m_inserted += inserted.size();
            if (m_inserted > m_limits.maxInsertedChars)
                fail(QStringLiteral("its parameter insertions add more than %1 characters")
                         .arg(m_limits.maxInsertedChars));
            out += QStringView(plain).mid(from, m.capturedStart() - from);
            out += inserted;
            from = m.capturedEnd();
        }
        out += QStringView(plain).mid(from);
        return out.simplified();
    }

    // A parameter as it is printed: its choice as a selection, else its label
    // as an assignment. Each is worked out once.
    QString paramText(const QString& id, int depth)
    {
        if (const auto done = m_paramTexts.constFind(id); done != m_paramTexts.cend())
            return *done;
        const auto param = m_params.constFind(id);
        // An unknown parameter, or one met again within its own choices.
        if (param == m_params.cend() || depth >= kMaxParamDepth || m_paramsInProgress.contains(id))
            return QStringLiteral("[Assignment: %1]").arg(id);
        m_paramsInProgress.insert(id);
        const QString owner = QStringLiteral("parameter '%1'").arg(id);
        QString printed;
        if (param->contains(QLatin1String("select"))) {
            const QJsonObject select = param->value(QLatin1String("select")).toObject();
            QStringList choices;
            for (const QJsonValue& choice : select.value(QLatin1String("choice")).toArray())
                choices << clean(choice.toString(), depth + 1);
            const bool several = text(select, "how-many") == QLatin1String("one-or-more");
            printed
                = QStringLiteral("[Selection%1: %2]")
                      .arg(several ? QStringLiteral(" (one or more)") : QString(), choices.join(QStringLiteral("; ")));
        } else {
            const QString label = clean(text(*param, "label"), depth + 1);
            printed = QStringLiteral("[Assignment: %1]").arg(label.isEmpty() ? id : label);
        }
        m_paramsInProgress.remove(id);
        m_paramTexts.insert(id, printed);
        return printed;
    }

    const OscalCatalog::Limits& m_limits;
    QHash<QString, QJsonObject> m_params;
    QHash<QString, QString> m_paramTexts;
    QSet<QString> m_paramsInProgress;
    qint64 m_inserted = 0;
    int m_section = 0;
    ControlSetRows m_rows;
};

} // namespace

namespace OscalCatalog {

bool isCatalogFile(const QString& path)
{
    if (path.endsWith(QLatin1String(".json"), Qt::CaseInsensitive))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = withoutByteOrderMark(file.read(4096)).trimmed();
    return head.startsWith('{');
}

ControlSetRows controlRowsOf(const QByteArray& bytes, const Limits& limits)
{
    try {
        const QByteArray json = withoutByteOrderMark(bytes);
        checkShape(json, limits);
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json, &error);
        if (error.error != QJsonParseError::NoError)
            fail(
                QStringLiteral("it is not valid JSON (%1 at character %2)").arg(error.errorString()).arg(error.offset));
        const QJsonObject root = document.object();
        const QJsonValue catalog = root.value(QLatin1String("catalog"));
        if (!catalog.isObject()) {
            if (root.contains(QLatin1String("profile")))
                fail(QStringLiteral("it is an OSCAL profile, not a catalog; import the catalog resolved from it"));
            fail(QStringLiteral("it is not an OSCAL catalog (it holds no \"catalog\" object)"));
        }
        return CatalogReader(limits).read(catalog.toObject());
    } catch (const std::bad_alloc&) {
        fail(QStringLiteral("out of memory"));
    }
}

ControlSetRows readControlRows(const QString& path, const Limits& limits)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw QuarrixError(QStringLiteral("The OSCAL catalog '%1' does not exist.").arg(path));
    try {
        const auto tooLarge = [&](qint64 bytes) {
            if (bytes > limits.maxFileBytes)
                fail(QStringLiteral("it is larger than %1 MB").arg(limits.maxFileBytes >> 20));
        };
        if (!info.isFile())
            fail(QStringLiteral("it is not a file"));
        tooLarge(info.size());
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fail(file.errorString());
        const QByteArray bytes = file.read(limits.maxFileBytes + 1); // the file may have grown
        tooLarge(bytes.size());
        return controlRowsOf(bytes, limits);
    } catch (const QuarrixError& e) {
        throw QuarrixError(QStringLiteral("Cannot read the OSCAL catalog '%1': %2.").arg(path, e.message()));
    }
}

}
