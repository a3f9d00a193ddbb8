#include "reports/oscal_export.h"

#include "files/atomic_file.h"
#include "files/json_reader.h"
#include "files/json_writer.h"
#include "reports/oscal_selection.h"
#include "store/quarrix_error.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>
#include <QUuid>
#include <deque>
#include <map>

namespace {

using Json::Value;

// The members a catalog, a group and a control may have besides their
// controls and groups; anything else a source file held is left out, so
// that what is written stays a valid document.
constexpr std::string_view kControlMembers[] = { "id", "class", "title", "params", "props", "links", "parts" };
constexpr std::string_view kGroupMembers[] = { "id", "class", "title", "params", "props", "links", "parts" };

[[noreturn]] void refuse(const QString& fileName, const QString& why)
{
    throw QuarrixError(QStringLiteral("Nothing was written to '%1': %2.").arg(fileName, why));
}

// Text for OSCAL's markdown prose: the characters that markdown or a
// parameter insertion would read are escaped.
QString markdownText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (QStringView(u"\\`*_{}[]<>#").contains(c))
            out += u'\\';
        out += c;
    }
    return out;
}

struct Header {
    QString uuid, title, lastModified, version;
};

Header headerOf(const OscalSelection& selection)
{
    Header h;
    h.uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    h.lastModified = now.toString(Qt::ISODate);
    const QString name = selection.assessmentName.simplified();
    const QString id = selection.assessmentId.simplified();
    const QString named = name.isEmpty() ? id : name;
    h.title = named.isEmpty() ? QStringLiteral("Controls selected by the assessment")
                              : QStringLiteral("Controls selected by the assessment %1").arg(named);
    // A version is a text without blanks at either end: the assessment's Id,
    // or the day the document was written.
    h.version = id.isEmpty() ? now.toString(QStringLiteral("yyyy-MM-dd")) : id;
    return h;
}

void writeMetadata(JsonWriter& w, const Header& h)
{
    w.key("metadata");
    w.beginObject();
    w.member("title", h.title);
    w.member("last-modified", h.lastModified);
    w.member("version", h.version);
    w.member("oscal-version", QStringLiteral("1.0.4"));
    w.endObject();
}

QString rationaleProse(const OscalSelection& selection, const OscalSelectedControl& control, const QString& division)
{
    QString name = selection.assessmentName.simplified();
    if (name.isEmpty())
        name = selection.assessmentId.simplified();
    QString prose = name.isEmpty() ? QStringLiteral("Selected by the assessment")
                                   : QStringLiteral("Selected by the assessment %1").arg(markdownText(name));
    if (division != QLatin1String("All"))
        prose += QStringLiteral(" for the division %1").arg(markdownText(division));
    prose += QStringLiteral(": the security attributes in use that need it, and the drivers that carry them.\n");
    for (const OscalNeed& need : control.needs) {
        prose += QStringLiteral("\n- **%1**").arg(markdownText(need.attribute));
        QStringList drivers;
        for (const QString& d : need.drivers)
            drivers << markdownText(d);
        if (drivers.isEmpty())
            prose += QStringLiteral(", carried by no driver on record");
        else
            // Driver texts may hold "and" or commas: drivers are kept apart by semicolons.
            prose
                += QStringLiteral(", carried by the driver%1 %2")
                       .arg(drivers.size() == 1 ? QString() : QStringLiteral("s"), drivers.join(QStringLiteral("; ")));
    }
    return prose;
}

void writeRationalePart(JsonWriter& w, const QString& prose)
{
    w.beginObject();
    w.member("name", QStringLiteral("assessment-rationale"));
    w.member("ns", OscalExport::kNamespace);
    w.member("prose", prose);
    w.endObject();
}

// The profile's href of the catalog file, relative to the profile's folder.
QString hrefOf(const QString& catalogFile, const QString& profileFile)
{
    const QString relative = QDir(QFileInfo(profileFile).absolutePath()).relativeFilePath(catalogFile);
    return QString::fromLatin1(QUrl::toPercentEncoding(relative, "/"));
}

QByteArray profileJson(const OscalSelection& selection, const QString& href, const QString& division)
{
    const Header header = headerOf(selection);
    JsonWriter w;
    w.beginObject();
    w.key("profile");
    w.beginObject();
    w.member("uuid", header.uuid);
    writeMetadata(w, header);
    w.key("imports");
    w.beginArray();
    w.beginObject();
    w.member("href", href);
    w.key("include-controls");
    w.beginArray();
    w.beginObject();
    w.key("with-ids");
    w.beginArray();
    for (const OscalSelectedControl& c : selection.controls)
        w.string(c.remembered.origin.id);
    w.endArray();
    w.endObject();
    w.endArray();
    w.endObject();
    w.endArray();
    w.key("merge");
    w.beginObject();
    w.key("as-is");
    w.boolean(true);
    w.endObject();
    w.key("modify");
    w.beginObject();
    w.key("alters");
    w.beginArray();
    for (const OscalSelectedControl& c : selection.controls) {
        w.beginObject();
        w.member("control-id", c.remembered.origin.id);
        w.key("adds");
        w.beginArray();
        w.beginObject();
        w.member("position", QStringLiteral("ending"));
        w.key("parts");
        w.beginArray();
        writeRationalePart(w, rationaleProse(selection, c, division));
        w.endArray();
        w.endObject();
        w.endArray();
        w.endObject();
    }
    w.endArray();
    w.endObject();
    w.endObject();
    w.endObject();
    return w.take();
}

// The parameters that texts insert: {{ insert: param, ID }}.
void addInsertedParams(QByteArrayView json, QSet<QString>& ids)
{
    static const QRegularExpression insertion(
        QStringLiteral("\\{\\{\\s*insert\\s*:\\s*param\\s*,\\s*([^\\s{}\"\\\\]+)\\s*\\}\\}"));
    for (const QRegularExpressionMatch& m : insertion.globalMatch(QString::fromUtf8(json)))
        ids.insert(m.captured(1));
}

bool hasEntries(Value list)
{
    const Value::Entries entries = list.entries();
    return entries.begin() != entries.end();
}

QByteArray compactText(Value value)
{
    JsonWriter text(JsonWriter::Layout::Compact);
    text.value(value);
    return text.take();
}

void addParamIds(Value owner, QSet<QString>& ids)
{
    for (const Value param : owner.member("params").entries())
        ids.insert(param.text("id"));
}

// Writes the selected controls as the profile resolves them: the catalog's
// groups that hold them, each control with its parts and parameters as
// imported and the rationale added at its end. A control whose parent
// control is not selected takes the parent's place.
class ResolvedCatalog {
public:
    ResolvedCatalog(const OscalSelection& selection, const QString& division)
        : m_selection(selection)
        , m_division(division)
        , m_outline(Json::Document::parse(selection.catalog->catalog.outline))
    {
        for (const Value entry : m_outline.root().member("groups").entries()) {
            const QString path = entry.text("path");
            m_groups.insert(path, entry.member("group"));
            m_subgroupsOf[parentPath(path)].push_back(path);
        }
        const auto& remembered = selection.catalog->controls;
        QHash<QString, QString> parentOf;
        for (const ControlOrigin::Remembered& r : remembered)
            parentOf.insert(r.origin.id, r.origin.parent);
        QSet<QString> selected;
        for (const OscalSelectedControl& c : selection.controls)
            selected.insert(c.remembered.origin.id);
        for (const OscalSelectedControl& c : selection.controls) {
            m_documents.push_back(Json::Document::parse(c.remembered.origin.json));
            m_controlValue.insert(&c, m_documents.back().root());
            QString ancestor = c.remembered.origin.parent;
            for (qsizetype steps = 0; !ancestor.isEmpty() && !selected.contains(ancestor) && steps < parentOf.size();
                 ++steps)
                ancestor = parentOf.value(ancestor);
            if (!ancestor.isEmpty() && selected.contains(ancestor))
                m_childrenOf[ancestor].push_back(&c);
            else if (m_groups.contains(c.remembered.origin.group))
                m_topOf[c.remembered.origin.group].push_back(&c);
            else // outside any group the outline knows
                m_topOf[QString()].push_back(&c);
        }
        // A group is written when it or a group within it holds a control.
        for (auto it = m_topOf.cbegin(); it != m_topOf.cend(); ++it)
            for (QString path = it.key(); !path.isEmpty(); path = parentPath(path))
                m_written.insert(path);
        findMissingParams();
    }

    QByteArray json()
    {
        const Header header = headerOf(m_selection);
        const Value catalog = m_outline.root().member("catalog");
        JsonWriter w;
        w.beginObject();
        w.key("catalog");
        w.beginObject();
        w.member("uuid", header.uuid);
        writeMetadata(w, header);
        const Value params = catalog.member("params");
        if (hasEntries(params) || !m_missingParams.empty()) {
            w.key("params");
            w.beginArray();
            for (const Value param : params.entries())
                w.value(param);
            for (const Value param : m_missingParams)
                w.value(param);
            w.endArray();
        }
        writeControls(w, m_topOf.value(QString()));
        writeGroups(w, QString());
        if (const Value backMatter = catalog.member("back-matter"); backMatter.isObject()) {
            w.key("back-matter");
            w.value(backMatter);
        }
        w.endObject();
        w.endObject();
        return w.take();
    }

private:
    using Controls = std::vector<const OscalSelectedControl*>;

    static QString parentPath(const QString& path)
    {
        const qsizetype slash = path.lastIndexOf(u'/');
        return slash < 0 ? QString() : path.left(slash);
    }

    void writeControls(JsonWriter& w, const Controls& controls)
    {
        if (controls.empty())
            return;
        w.key("controls");
        w.beginArray();
        for (const OscalSelectedControl* c : controls) {
            const Value control = m_controlValue.value(c);
            w.beginObject();
            for (const std::string_view name : kControlMembers)
                if (name != "parts" && control.member(name).exists()) {
                    w.key(name);
                    w.value(control.member(name));
                }
            if (!control.member("title").exists())
                w.member("title", QString());
            w.key("parts");
            w.beginArray();
            for (const Value part : control.member("parts").entries())
                w.value(part);
            writeRationalePart(w, rationaleProse(m_selection, *c, m_division));
            w.endArray();
            writeControls(w, m_childrenOf.value(c->remembered.origin.id));
            w.endObject();
        }
        w.endArray();
    }

    void writeGroups(JsonWriter& w, const QString& parent)
    {
        const QStringList paths = m_subgroupsOf.value(parent);
        const bool any
            = std::any_of(paths.cbegin(), paths.cend(), [&](const QString& p) { return m_written.contains(p); });
        if (!any)
            return;
        w.key("groups");
        w.beginArray();
        for (const QString& path : paths) {
            if (!m_written.contains(path))
                continue;
            const Value group = m_groups.value(path);
            w.beginObject();
            for (const std::string_view name : kGroupMembers)
                if (group.member(name).exists()) {
                    w.key(name);
                    w.value(group.member(name));
                }
            if (!group.member("title").exists())
                w.member("title", QString());
            writeGroups(w, path);
            writeControls(w, m_topOf.value(path));
            w.endObject();
        }
        w.endArray();
    }

    // Parameters that the written controls insert but that are defined where
    // nothing is written (an unselected control or group) go to the
    // catalog's own parameters, so every insertion still finds its label.
    void findMissingParams()
    {
        QSet<QString> inserted, defined;
        addParamIds(m_outline.root().member("catalog"), defined);
        for (const QString& path : std::as_const(m_written)) {
            const Value group = m_groups.value(path);
            addParamIds(group, defined);
            for (const std::string_view name : { "params", "props", "parts" })
                addInsertedParams(compactText(group.member(name)), inserted);
        }
        for (const OscalSelectedControl& c : m_selection.controls) {
            addParamIds(m_controlValue.value(&c), defined);
            addInsertedParams(c.remembered.origin.json, inserted);
        }
        QSet<QString> missing = inserted - defined;
        if (missing.isEmpty())
            return;
        // Where every parameter of the catalog is defined.
        QHash<QString, Value> definitions;
        const auto addDefinitions = [&](Value owner) {
            for (const Value param : owner.member("params").entries())
                if (!definitions.contains(param.text("id")))
                    definitions.insert(param.text("id"), param);
        };
        for (const Value group : m_groups)
            addDefinitions(group);
        for (const ControlOrigin::Remembered& r : m_selection.catalog->controls) {
            m_others.push_back(r.origin.json);
            m_documents.push_back(Json::Document::parse(m_others.back()));
            addDefinitions(m_documents.back().root());
        }
        // A parameter's own choices may insert further parameters.
        while (!missing.isEmpty()) {
            QSet<QString> next;
            for (const QString& id : std::as_const(missing)) {
                defined.insert(id);
                const auto found = definitions.constFind(id);
                if (found == definitions.cend())
                    continue;
                m_missingParams.push_back(*found);
                addInsertedParams(compactText(*found), next);
            }
            missing = next - defined;
        }
    }

    const OscalSelection& m_selection;
    const QString m_division;
    Json::Document m_outline;
    std::deque<Json::Document> m_documents; // the controls' parsed JSON; values point into them
    std::deque<QByteArray> m_others; // the bytes of the other controls parsed for their parameters
    QHash<const OscalSelectedControl*, Value> m_controlValue;
    QHash<QString, Controls> m_childrenOf; // by OSCAL id
    QHash<QString, Controls> m_topOf; // by group path; "" outside any group
    QHash<QString, Value> m_groups; // by path
    QHash<QString, QStringList> m_subgroupsOf; // by path, in document order
    QSet<QString> m_written; // paths of the groups written
    std::vector<Value> m_missingParams;
};

}

namespace OscalExport {

Result write(Assessment& assessment, const QString& fileName, const Options& options)
{
    const OscalSelection selection = OscalSelection::read(assessment, options.division, options.resolved);
    if (options.resolved && !selection.catalog)
        refuse(fileName,
            QStringLiteral("the control catalogue was not imported from an OSCAL catalog, so its controls cannot be "
                           "written as one; import the catalog on the Controls Database tab"));
    QString href = options.catalogHref.trimmed();
    if (href.isEmpty() && selection.catalog)
        href = hrefOf(selection.catalog->catalog.fileName, fileName);
    if (!options.resolved && href.isEmpty())
        refuse(fileName,
            QStringLiteral("the control catalogue was not imported from an OSCAL catalog and no catalog was named "
                           "for the profile to import"));
    if (selection.controls.empty()) {
        if (selection.leftOut.isEmpty())
            refuse(fileName, QStringLiteral("the security attributes in use name no control"));
        refuse(fileName,
            QStringLiteral("no control that the security attributes in use name has an OSCAL id: %1")
                .arg(selection.leftOut.join(QStringLiteral("; "))));
    }
    const QByteArray json = options.resolved ? ResolvedCatalog(selection, options.division).json()
                                             : profileJson(selection, href, options.division);
    AtomicFile::write(fileName, json);
    return { int(selection.controls.size()), selection.leftOut };
}

}
