#include "catalogues/oscal_catalog.h"

#include "catalogues/control_origin.h"
#include "files/json_reader.h"
#include "files/json_writer.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <functional>
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

using Json::Value;

bool hasName(Value o, const char* name)
{
    return o.member("name").textEquals(name);
}

// Calls visit for each object of the list v, the member key of owner; none
// when it is absent. Anything but a list of objects there means the file is
// not a catalog.
template <class Visit> void forEachEntry(Value v, const char* key, const QString& owner, Visit visit)
{
    if (!v.exists() || v.isNull())
        return;
    if (!v.isArray())
        fail(QStringLiteral("the \"%1\" of %2 is not a list").arg(QLatin1String(key), owner));
    for (const Value item : v.entries()) {
        if (!item.isObject())
            fail(QStringLiteral("an entry of the \"%1\" of %2 is not an object").arg(QLatin1String(key), owner));
        visit(item);
    }
}

template <class Visit> void forEachObject(Value o, const char* key, const QString& owner, Visit visit)
{
    forEachEntry(o.member(key), key, owner, visit);
}

// The value of the first property of that name without a class (the plain
// "AC-2" before the zero-padded "AC-02"), else of the first of that name.
QString property(Value props, const char* name, const QString& owner)
{
    Value plain, classed;
    forEachEntry(props, "props", owner, [&](Value prop) {
        if (plain.exists() || !hasName(prop, name))
            return;
        if (prop.text("class").isEmpty())
            plain = prop;
        else if (!classed.exists())
            classed = prop;
    });
    return (plain.exists() ? plain : classed).text("value");
}

bool isBlank(char16_t c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r') || (c >= 0x80 && QChar(c).isSpace());
}

// What cleaning a text has to do: whether it holds characters of markup
// ('[', '*' or '{'), and whether simplifying would change it (a blank at
// either end, a run of blanks, white space other than a blank). One pass, as
// most prose needs neither.
struct TextWork {
    bool markup = false;
    bool blanks = false;
};

TextWork workFor(QStringView s)
{
    TextWork work;
    if (s.isEmpty())
        return work;
    work.blanks = isBlank(s.front().unicode()) || isBlank(s.back().unicode());
    char16_t previous = 0;
    for (const QChar qc : s) {
        const char16_t c = qc.unicode();
        if (c == u'[' || c == u'*' || c == u'{')
            work.markup = true;
        else if (c != u' ' ? isBlank(c) : previous == u' ')
            work.blanks = true;
        previous = c;
    }
    return work;
}

QString simplified(const QString& s)
{
    return workFor(s).blanks ? s.simplified() : s;
}

// The text with each markdown link [text](target) as its text alone; the text
// holds no brackets, the target no parentheses.
QString withLinkTexts(QStringView s)
{
    QString out;
    out.reserve(s.size());
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (s[i] != u'[') {
            out += s[i];
            continue;
        }
        qsizetype close = i + 1;
        while (close < n && s[close] != u'[' && s[close] != u']')
            ++close;
        if (close + 1 < n && s[close] == u']' && s[close + 1] == u'(') {
            qsizetype target = close + 2;
            while (target < n && s[target] != u'(' && s[target] != u')')
                ++target;
            if (target < n && s[target] == u')') {
                out += s.sliced(i + 1, close - i - 1);
                i = target;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// A parameter insertion {{ insert: param, ID }} (blanks optional around each
// part) that starts at `at`: its id and where it ends, or an end of 0.
struct Insertion {
    QStringView id;
    qsizetype end = 0;
};

Insertion insertionAt(QStringView s, qsizetype at)
{
    const auto isAsciiBlank = [](QChar c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    qsizetype i = at;
    const auto blanks = [&] {
        while (i < s.size() && isAsciiBlank(s[i]))
            ++i;
    };
    const auto word = [&](QLatin1StringView w) {
        if (!s.sliced(i).startsWith(w))
            return false;
        i += w.size();
        return true;
    };
    for (const char* part : { "{{", "insert", ":", "param", "," }) {
        if (!word(QLatin1String(part)))
            return {};
        blanks();
    }
    const qsizetype idStart = i;
    while (i < s.size() && !isAsciiBlank(s[i]) && s[i] != u'{' && s[i] != u'}')
        ++i;
    const QStringView id = s.sliced(idStart, i - idStart);
    blanks();
    if (id.isEmpty() || !word(QLatin1String("}}")))
        return {};
    return { id, i };
}

QString groupName(Value group)
{
    const QString title = group.text("title").simplified();
    return QStringLiteral("the group '%1'").arg(title.isEmpty() ? group.text("id") : title);
}

// A control with what the walk asks of it more than once.
struct Control {
    Value id, props, title, parts, controls; // its members
    QString owner; // names it in messages about its shape: control 'ac-2'
    QString label; // AC-2
    bool withdrawn = false;
    Value object; // the control itself
    QString group; // where its group sits among the catalog's groups (see OscalControlOrigin)
    QString parent; // the id of the control it enhances

    explicit Control(Value o, const QString& groupPath = {})
        : Control(o.members<5>({ "id", "props", "title", "parts", "controls" }))
    {
        object = o;
        group = groupPath;
    }
    // Names it in messages about numbering: control 'AC-2'.
    QString name() const { return label.isEmpty() ? owner : QStringLiteral("control '%1'").arg(label); }

private:
    explicit Control(const std::array<Value, 5>& m)
        : id(m[0])
        , props(m[1])
        , title(m[2])
        , parts(m[3])
        , controls(m[4])
        , owner(QStringLiteral("control '%1'").arg(id.text()))
        , label(simplified(property(props, "label", owner)))
        , withdrawn(property(props, "status", owner).compare(QLatin1String("withdrawn"), Qt::CaseInsensitive) == 0)
    {
    }
};

// Walks one catalog and makes its rows.
class CatalogReader {
public:
    // Fills origin, when given, with where each row came from.
    CatalogReader(const OscalCatalog::Limits& limits, OscalCatalogOrigin* origin)
        : m_limits(limits)
        , m_origin(origin)
    {
    }

    ControlSetRows read(Value catalog)
    {
        const QString owner = QStringLiteral("the catalog");
        if (m_origin)
            rememberCatalog(catalog);
        collectParams(catalog, owner);
        m_paramTexts.reserve(m_params.size());
        // Controls outside any group (a profile resolved flat) form a first
        // section named after the catalog.
        std::vector<Control> loose;
        forEachObject(catalog, "controls", owner, [&](Value c) { loose.emplace_back(c); });
        if (!loose.empty())
            addSection(
                clean(catalog.member("metadata").text("title")), loose, QStringLiteral("the catalog's own controls"));
        int groupIndex = 0;
        forEachObject(catalog, "groups", owner, [&](Value group) {
            const QString name = groupName(group);
            std::vector<Control> bases;
            collectBaseControls(group, name, QString::number(groupIndex++), bases);
            if (bases.empty())
                fail(QStringLiteral("%1 holds no controls").arg(name));
            addSection(clean(group.text("title")), bases, name);
        });
        if (m_rows.empty())
            fail(QStringLiteral("it holds no controls that are not withdrawn"));
        return std::move(m_rows);
    }

private:
    void collectParams(Value owner, const QString& name)
    {
        const auto [params, groups, controls] = owner.members<3>({ "params", "groups", "controls" });
        forEachEntry(params, "params", name, [&](Value param) { m_params.insert(param.text("id"), param); });
        forEachEntry(groups, "groups", name, [&](Value group) { collectParams(group, groupName(group)); });
        forEachEntry(controls, "controls", name,
            [&](Value control) { collectParams(control, QStringLiteral("control '%1'").arg(control.text("id"))); });
    }

    // The base controls of a group: its own, then those of its subgroups.
    void collectBaseControls(Value group, const QString& name, const QString& path, std::vector<Control>& bases)
    {
        forEachObject(group, "controls", name, [&](Value c) { bases.emplace_back(c, path); });
        int subIndex = 0;
        forEachObject(group, "groups", name, [&](Value sub) {
            collectBaseControls(sub, groupName(sub), path + u'/' + QString::number(subIndex++), bases);
        });
    }

    // The catalog's identity, and its outline: what the resolved selection
    // of its controls is written into (see OscalCatalogOrigin).
    void rememberCatalog(Value catalog)
    {
        const Value metadata = catalog.member("metadata");
        m_origin->title = clean(metadata.text("title"));
        m_origin->uuid = catalog.text("uuid");
        m_origin->version = metadata.text("version");
        JsonWriter outline(JsonWriter::Layout::Compact);
        outline.beginObject();
        outline.key("catalog");
        outline.value(catalog, { "metadata", "groups", "controls" });
        outline.key("groups");
        outline.beginArray();
        std::function<void(Value, const QString&)> addGroups = [&](Value owner, const QString& path) {
            int index = 0;
            for (const Value group : owner.member("groups").entries()) {
                const QString groupPath
                    = path.isEmpty() ? QString::number(index) : path + u'/' + QString::number(index);
                ++index;
                outline.beginObject();
                outline.member("path", groupPath);
                outline.key("group");
                outline.value(group, { "groups", "controls" });
                outline.endObject();
                addGroups(group, groupPath);
            }
        };
        addGroups(catalog, QString());
        outline.endArray();
        outline.endObject();
        m_origin->outline = outline.take();
    }

    // The enhancements of a control that are not withdrawn, depth first.
    void collectEnhancements(const Control& control, std::vector<Control>& family)
    {
        forEachEntry(control.controls, "controls", control.owner, [&](Value c) {
            Control child(c, control.group);
            child.parent = control.id.text();
            if (child.withdrawn)
                return;
            family.push_back(child);
            collectEnhancements(child, family);
        });
    }

    void addSection(const QString& title, const std::vector<Control>& bases, const QString& name)
    {
        // A group whose controls are all withdrawn takes no section number.
        if (std::all_of(bases.begin(), bases.end(), [](const Control& c) { return c.withdrawn; }))
            return;
        if (++m_section > kMaxNumber)
            fail(QStringLiteral("%1 would be section %2; a control set holds at most %3 sections")
                     .arg(name)
                     .arg(m_section)
                     .arg(kMaxNumber));
        int objective = 0;
        for (const Control& base : bases) {
            if (base.withdrawn)
                continue;
            if (++objective > kMaxNumber)
                fail(QStringLiteral("%1 would be objective %2 of %3; a section holds at most %4 objectives")
                         .arg(base.name())
                         .arg(objective)
                         .arg(name)
                         .arg(kMaxNumber));
            std::vector<Control> family { base };
            collectEnhancements(base, family);
            if (family.size() > size_t(kMaxNumber))
                fail(QStringLiteral("%1 would be control %2 under %3; an objective holds at most %4 controls")
                         .arg(family[kMaxNumber].name())
                         .arg(kMaxNumber + 1)
                         .arg(base.name())
                         .arg(kMaxNumber));
            const QString baseTitle = clean(base.title.text());
            const QString baseStatement = statementOf(base);
            for (size_t i = 0; i < family.size(); ++i) {
                const Control& member = family[i];
                const bool isBase = i == 0;
                ControlSetRow row;
                row.id = twoDigits(m_section) + u'.' + twoDigits(objective) + u'.' + twoDigits(int(i) + 1);
                row.xid = member.label;
                row.sectionTitle = title;
                row.subsectionTitle = baseTitle;
                row.subsection = baseStatement;
                row.controlTitle = isBase ? baseTitle : clean(member.title.text());
                row.control = withDiscussion(isBase ? baseStatement : statementOf(member), member);
                m_rows.push_back(std::move(row));
                if (m_origin)
                    rememberControl(member);
            }
        }
    }

    void rememberControl(const Control& control)
    {
        JsonWriter json(JsonWriter::Layout::Compact);
        json.value(control.object, { "controls" });
        m_origin->controls.push_back({ control.id.text(), control.parent, control.group, json.take() });
    }

    static QString twoDigits(int n) { return QString::number(n).rightJustified(2, u'0'); }

    // The first part of the control with that name.
    static Value partNamed(const Control& control, const char* partName)
    {
        Value found;
        forEachEntry(control.parts, "parts", control.owner, [&](Value part) {
            if (!found.exists() && hasName(part, partName))
                found = part;
        });
        return found;
    }

    // The statement's own prose, then one line per item at any depth: the
    // item's label, a blank and its prose. Lines are never empty.
    QString statementOf(const Control& control)
    {
        const Value statement = partNamed(control, "statement");
        QString text = clean(statement.text("prose"));
        addItemLines(statement.member("parts"), control.owner, text);
        return text;
    }

    // Lines of the items among the parts and theirs.
    void addItemLines(Value parts, const QString& owner, QString& text)
    {
        forEachEntry(parts, "parts", owner, [&](Value child) {
            const auto [name, props, proseText, childParts] = child.members<4>({ "name", "props", "prose", "parts" });
            if (name.textEquals("item")) {
                const QString label = simplified(property(props, "label", owner));
                const QString prose = clean(proseText.text());
                if (!label.isEmpty() || !prose.isEmpty()) {
                    if (!text.isEmpty())
                        text += kLineBreak;
                    text += label;
                    if (!label.isEmpty() && !prose.isEmpty())
                        text += u' ';
                    text += prose;
                }
            }
            addItemLines(childParts, owner, text);
        });
    }

    QString withDiscussion(const QString& statement, const Control& control)
    {
        const QString guidance = clean(partNamed(control, "guidance").text("prose"));
        if (guidance.isEmpty() || guidance.size() > kMaxDiscussion)
            return statement;
        if (statement.isEmpty())
            return QStringLiteral("Discussion: ") + guidance;
        return statement + kLineBreak + kLineBreak + QStringLiteral("Discussion: ") + guidance;
    }

    // Markup as plain text: links keep their text, ** marks go, parameters
    // are inserted as printed, runs of blanks become one, ends are trimmed.
    QString clean(const QString& markup, int depth = 0)
    {
        const TextWork work = workFor(markup);
        if (!work.markup)
            return work.blanks ? markup.simplified() : markup;
        QString plain = markup;
        if (plain.contains(u'['))
            plain = withLinkTexts(plain);
        if (plain.contains(QLatin1String("**")))
            plain.remove(QLatin1String("**"));
        if (plain.contains(QLatin1String("{{")))
            plain = withParams(plain, depth);
        return std::move(plain).simplified(); // in place
    }

    QString withParams(const QString& plain, int depth)
    {
        QString out;
        out.reserve(plain.size() + 64);
        qsizetype from = 0;
        for (qsizetype at = plain.indexOf(QLatin1String("{{")); at >= 0;) {
            const Insertion insertion = insertionAt(plain, at);
            if (insertion.end == 0) {
                at = plain.indexOf(QLatin1String("{{"), at + 1);
                continue;
            }
            const QString inserted = paramText(insertion.id.toString(), depth);
            m_inserted += inserted.size();
            if (m_inserted > m_limits.maxInsertedChars)
                fail(QStringLiteral("its parameter insertions add more than %1 characters")
                         .arg(m_limits.maxInsertedChars));
            out += QStringView(plain).mid(from, at - from);
            out += inserted;
            from = insertion.end;
            at = plain.indexOf(QLatin1String("{{"), from);
        }
        out += QStringView(plain).mid(from);
        return out;
    }

    // A parameter as it is printed: its values when it has them, else its
    // choice as a selection, else its label as an assignment. Each is worked
    // out once.
    QString paramText(const QString& id, int depth)
    {
        if (const auto done = m_paramTexts.constFind(id); done != m_paramTexts.cend())
            return *done;
        const auto param = m_params.constFind(id);
        // An unknown parameter, or one met again within its own choices.
        if (param == m_params.cend() || depth >= kMaxParamDepth || m_paramsInProgress.contains(id))
            return QStringLiteral("[Assignment: %1]").arg(id);
        m_paramsInProgress.insert(id);
        QString printed;
        // A parameter given its values is printed as them.
        QStringList given;
        for (const Value value : param->member("values").entries())
            given << clean(value.text(), depth + 1);
        given.removeAll(QString());
        if (!given.isEmpty()) {
            printed = given.join(QStringLiteral(", "));
        } else if (const Value select = param->member("select"); select.exists()) {
            QStringList choices;
            for (const Value choice : select.member("choice").entries())
                choices << clean(choice.text(), depth + 1);
            const bool several = select.member("how-many").textEquals("one-or-more");
            printed
                = QStringLiteral("[Selection%1: %2]")
                      .arg(several ? QStringLiteral(" (one or more)") : QString(), choices.join(QStringLiteral("; ")));
        } else {
            const QString label = clean(param->text("label"), depth + 1);
            printed = QStringLiteral("[Assignment: %1]").arg(label.isEmpty() ? id : label);
        }
        m_paramsInProgress.remove(id);
        m_paramTexts.insert(id, printed);
        return printed;
    }

    const OscalCatalog::Limits& m_limits;
    OscalCatalogOrigin* m_origin;
    QHash<QString, Value> m_params;
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

ControlSetRows controlRowsOf(const QByteArray& bytes, const Limits& limits, OscalCatalogOrigin* origin)
{
    try {
        const QByteArray json = withoutByteOrderMark(bytes);
        const Json::Document document = Json::Document::parse(json, { limits.maxDepth, limits.maxValues });
        const Value root = document.root();
        const Value catalog = root.member("catalog");
        if (!catalog.isObject()) {
            if (root.member("profile").exists())
                fail(QStringLiteral("it is an OSCAL profile, not a catalog; import the catalog resolved from it"));
            fail(QStringLiteral("it is not an OSCAL catalog (it holds no \"catalog\" object)"));
        }
        return CatalogReader(limits, origin).read(catalog);
    } catch (const std::bad_alloc&) {
        fail(QStringLiteral("out of memory"));
    }
}

ControlSetRows readControlRows(const QString& path, const Limits& limits, OscalCatalogOrigin* origin)
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
        // A buffer of the size the file has: reading up to the limit at once
        // would have the buffer sized to the limit. One byte more, and then
        // the rest up to the limit, tells whether the file has grown.
        QByteArray bytes(qsizetype(info.size() + 1), Qt::Uninitialized);
        const qint64 read = file.read(bytes.data(), bytes.size());
        if (read < 0)
            fail(file.errorString());
        bytes.truncate(qsizetype(read));
        if (read > info.size())
            bytes += file.read(limits.maxFileBytes + 1 - read);
        tooLarge(bytes.size());
        if (origin)
            origin->fileName = info.absoluteFilePath();
        return controlRowsOf(bytes, limits, origin);
    } catch (const QuarrixError& e) {
        throw QuarrixError(QStringLiteral("Cannot read the OSCAL catalog '%1': %2.").arg(path, e.message()));
    }
}

}
