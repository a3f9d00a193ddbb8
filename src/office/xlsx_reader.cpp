#include "office/xlsx_reader.h"

#include "office/cell_dates.h"
#include "office/sheet_builder.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <cstring>
#include <expat.h>
#include <vector>
#include <zip.h>

namespace {

using SpreadsheetReader::Limits;

[[noreturn]] void fail(const QString& reason)
{
    throw QuarrixError(reason);
}

// Far beyond any real workbook; they bound what a part that unpacks to a few
// hundred megabytes of tiny elements can make us hold.
constexpr size_t kMaxSheets = 65536;
constexpr qsizetype kMaxRelationships = 1 << 20;
constexpr qsizetype kMaxFormats = 1 << 16;

// The local part of an element or attribute name, after any prefix. Only
// plain ASCII names are looked for, so the bytes are compared as they stand
// and no text is made for each name of a large sheet.
QLatin1String local(const XML_Char* name)
{
    const char* colon = std::strrchr(name, ':');
    return QLatin1String(colon ? colon + 1 : name);
}

QString attribute(const XML_Char** attrs, const char* wanted)
{
    for (int i = 0; attrs[i]; i += 2)
        if (local(attrs[i]) == QLatin1String(wanted))
            return QString::fromUtf8(attrs[i + 1]);
    return {};
}

// Cell text escapes characters XML cannot hold as _xHHHH_ (a carriage return
// is _x000D_, a literal "_x" sequence starts with _x005F_); undone here.
QString cellText(const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == u'_' && i + 6 < text.size() && text[i + 1] == u'x' && text[i + 6] == u'_') {
            const QStringView digits = QStringView(text).mid(i + 2, 4);
            const bool hex = std::all_of(digits.begin(), digits.end(), [](QChar c) {
                return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
            });
            if (hex) {
                out += QChar(ushort(digits.toUInt(nullptr, 16)));
                i += 7;
                continue;
            }
        }
        out += text[i++];
    }
    return out;
}

// Streams one XML part through expat with a depth limit; document type
// declarations are refused, which also rules out entity expansion.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    virtual void start(QLatin1String name, const XML_Char** attrs) = 0;
    virtual void end(QLatin1String name) = 0;
    virtual void text(const char* s, int len)
    {
        Q_UNUSED(s);
        Q_UNUSED(len);
    }
};

class XmlStream {
public:
    XmlStream(XmlHandler& handler, int maxDepth)
        : m_handler(handler)
        , m_maxDepth(maxDepth)
    {
        m_parser = XML_ParserCreate("UTF-8");
        if (!m_parser)
            fail(QStringLiteral("out of memory"));
        XML_SetUserData(m_parser, this);
        XML_SetElementHandler(m_parser, &XmlStream::onStart, &XmlStream::onEnd);
        XML_SetCharacterDataHandler(m_parser, &XmlStream::onText);
        XML_SetStartDoctypeDeclHandler(m_parser, &XmlStream::onDoctype);
    }
    ~XmlStream() { XML_ParserFree(m_parser); }
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    void feed(const char* data, int len, bool last)
    {
        if (XML_Parse(m_parser, data, len, last ? XML_TRUE : XML_FALSE) == XML_STATUS_OK)
            return;
        if (m_exception)
            std::rethrow_exception(m_exception);
        if (!m_stopReason.isEmpty())
            fail(m_stopReason);
        fail(QStringLiteral("the XML is damaged (%1 at line %2)")
                 .arg(QString::fromUtf8(XML_ErrorString(XML_GetErrorCode(m_parser))))
                 .arg(XML_GetCurrentLineNumber(m_parser)));
    }

private:
    void stop(const QString& reason)
    {
        if (m_stopReason.isEmpty())
            m_stopReason = reason;
        XML_StopParser(m_parser, XML_FALSE);
    }
    template <class F> void guarded(F&& f)
    {
        if (m_exception || !m_stopReason.isEmpty())
            return;
        try {
            f();
        } catch (...) {
            m_exception = std::current_exception();
            XML_StopParser(m_parser, XML_FALSE);
        }
    }
    static void onStart(void* self, const XML_Char* name, const XML_Char** attrs)
    {
        auto* s = static_cast<XmlStream*>(self);
        if (++s->m_depth > s->m_maxDepth) {
            s->stop(QStringLiteral("the XML is nested more than %1 levels deep").arg(s->m_maxDepth));
            return;
        }
        s->guarded([&] { s->m_handler.start(local(name), attrs); });
    }
    static void onEnd(void* self, const XML_Char* name)
    {
        auto* s = static_cast<XmlStream*>(self);
        --s->m_depth;
        s->guarded([&] { s->m_handler.end(local(name)); });
    }
    static void onText(void* self, const XML_Char* text, int len)
    {
        auto* s = static_cast<XmlStream*>(self);
        s->guarded([&] { s->m_handler.text(text, len); });
    }
    static void onDoctype(void* self, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        static_cast<XmlStream*>(self)->stop(QStringLiteral("the XML holds a document type declaration"));
    }

    XML_Parser m_parser;
    XmlHandler& m_handler;
    int m_maxDepth;
    int m_depth = 0;
    QString m_stopReason;
    std::exception_ptr m_exception;
};

class Package {
public:
    Package(const QString& path, const Limits& limits)
        : m_limits(limits)
    {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
        if (!m_zip)
            fail(QStringLiteral("it is not a workbook (the package cannot be opened)"));
    }
    ~Package() { zip_discard(m_zip); }
    Package(const Package&) = delete;
    Package& operator=(const Package&) = delete;

    bool has(const QString& name) const { return zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0; }

    // Unpacks a part in chunks into the parser, counting the bytes actually
    // produced: the sizes a file declares are not trusted.
    void parse(const QString& name, XmlHandler& handler) const
    {
        zip_file_t* file = zip_fopen(m_zip, name.toUtf8().constData(), 0);
        if (!file) {
            zip_error_t* err = zip_get_error(m_zip);
            if (zip_error_code_zip(err) == ZIP_ER_ENCRNOTSUPP || zip_error_code_zip(err) == ZIP_ER_NOPASSWD)
                fail(QStringLiteral("it is encrypted"));
            fail(QStringLiteral("the part %1 is missing or damaged").arg(name));
        }
        XmlStream xml(handler, m_limits.maxDepth);
        std::vector<char> buffer(1 << 16);
        qint64 total = 0;
        try {
            for (;;) {
                const zip_int64_t n = zip_fread(file, buffer.data(), buffer.size());
                if (n < 0)
                    fail(QStringLiteral("the part %1 is damaged").arg(name));
                total += n;
                if (total > m_limits.maxPartBytes)
                    fail(QStringLiteral("the part %1 unpacks to more than %2 MB")
                             .arg(name)
                             .arg(m_limits.maxPartBytes >> 20));
                xml.feed(buffer.data(), int(n), n == 0);
                if (n == 0)
                    break;
            }
        } catch (...) {
            zip_fclose(file);
            throw;
        }
        zip_fclose(file);
    }

private:
    zip_t* m_zip = nullptr;
    const Limits& m_limits;
};

struct Relationship {
    QString type, target;
};

class RelsHandler : public XmlHandler {
public:
    QHash<QString, Relationship> byId;
    void start(QLatin1String name, const XML_Char** attrs) override
    {
        if (name != QLatin1String("Relationship"))
            return;
        if (byId.size() >= kMaxRelationships)
            fail(QStringLiteral("a part lists more than %1 relationships").arg(kMaxRelationships));
        byId.insert(attribute(attrs, "Id"), { attribute(attrs, "Type"), attribute(attrs, "Target") });
    }
    void end(QLatin1String) override { }
};

// A target of a relationship, relative to the folder of the part that owns it.
QString resolve(const QString& baseFolder, QString target)
{
    if (target.startsWith(QLatin1Char('/')))
        return target.mid(1);
    QStringList parts = baseFolder.isEmpty() ? QStringList() : baseFolder.split(QLatin1Char('/'));
    for (const QString& p : target.split(QLatin1Char('/'))) {
        if (p == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (p != QLatin1String(".") && !p.isEmpty())
            parts << p;
    }
    return parts.join(QLatin1Char('/'));
}

QString folderOf(const QString& part)
{
    const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : part.left(slash);
}

QString relsOf(const QString& part)
{
    const QString folder = folderOf(part);
    const QString file = part.mid(folder.isEmpty() ? 0 : folder.size() + 1);
    return (folder.isEmpty() ? QString() : folder + QLatin1Char('/')) + QStringLiteral("_rels/") + file
        + QStringLiteral(".rels");
}

class WorkbookHandler : public XmlHandler {
public:
    struct Sheet {
        QString name, rid;
        bool worksheet = true;
    };
    std::vector<Sheet> sheets;
    int activeTab = -1;
    bool date1904 = false;
    void start(QLatin1String name, const XML_Char** attrs) override
    {
        if (name == QLatin1String("workbookPr")) {
            const QString v = attribute(attrs, "date1904");
            date1904 = v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
        } else if (name == QLatin1String("sheet")) {
            if (sheets.size() >= kMaxSheets)
                fail(QStringLiteral("the workbook lists more than %1 sheets").arg(kMaxSheets));
            sheets.push_back({ attribute(attrs, "name"), attribute(attrs, "id") });
        } else if (name == QLatin1String("workbookView") && activeTab < 0) {
            bool ok = false;
            const int tab = attribute(attrs, "activeTab").toInt(&ok);
            activeTab = ok ? tab : 0;
        }
    }
    void end(QLatin1String) override { }
};

// Appends text as expat hands it over, stopping as soon as it is surely longer
// than one cell may be: UTF-8 takes at most three bytes per UTF-16 unit.
void appendCellText(QByteArray& to, const char* s, int len, const TextBudget& budget)
{
    to.append(s, len);
    budget.checkCell((to.size() + 2) / 3);
}

// The shared strings, each decoded once: cells that name one share its text.
class SharedStringsHandler : public XmlHandler {
public:
    SharedStringsHandler(qint64 max, TextBudget& budget)
        : m_max(max)
        , m_budget(budget)
    {
    }
    std::vector<QString> strings;
    void start(QLatin1String name, const XML_Char**) override
    {
        if (name == QLatin1String("si")) {
            if (qint64(strings.size()) >= m_max)
                fail(QStringLiteral("the workbook holds more than %1 shared strings").arg(m_max));
            m_current.clear();
            m_inItem = true;
        } else if (name == QLatin1String("rPh")) {
            ++m_phonetic;
        } else if (name == QLatin1String("t") && m_inItem && m_phonetic == 0) {
            m_inText = true;
        }
    }
    void end(QLatin1String name) override
    {
        if (name == QLatin1String("si")) {
            QString text = cellText(m_current);
            m_budget.decoded(text.size());
            strings.push_back(std::move(text));
            m_inItem = false;
        } else if (name == QLatin1String("rPh")) {
            --m_phonetic;
        } else if (name == QLatin1String("t")) {
            m_inText = false;
        }
    }
    void text(const char* s, int len) override
    {
        if (m_inText)
            appendCellText(m_current, s, len, m_budget);
    }

private:
    qint64 m_max;
    TextBudget& m_budget;
    QByteArray m_current;
    bool m_inItem = false;
    bool m_inText = false;
    int m_phonetic = 0;
};

// What each cell format (a cell's s attribute) shows its number as: the
// workbook's own number formats and the built-in ones by number.
class StylesHandler : public XmlHandler {
public:
    std::vector<CellDates::Format> xfFormats;
    void start(QLatin1String name, const XML_Char** attrs) override
    {
        if (name == QLatin1String("numFmt")) {
            bool ok = false;
            const int id = attribute(attrs, "numFmtId").toInt(&ok);
            if (ok && m_custom.size() < kMaxFormats)
                m_custom.insert(id, CellDates::custom(attribute(attrs, "formatCode")));
        } else if (name == QLatin1String("cellXfs")) {
            m_inCellXfs = true;
        } else if (name == QLatin1String("xf") && m_inCellXfs) {
            if (xfFormats.size() >= size_t(kMaxFormats))
                fail(QStringLiteral("the workbook lists more than %1 cell formats").arg(kMaxFormats));
            bool ok = false;
            const int id = attribute(attrs, "numFmtId").toInt(&ok);
            const auto found = m_custom.constFind(id);
            xfFormats.push_back(!ok ? CellDates::Format() : found != m_custom.cend() ? *found : CellDates::builtIn(id));
        }
    }
    void end(QLatin1String name) override
    {
        if (name == QLatin1String("cellXfs"))
            m_inCellXfs = false;
    }

private:
    QHash<int, CellDates::Format> m_custom;
    bool m_inCellXfs = false;
};

// "AB12" -> column 28, row 12. Either part may be missing.
bool parseReference(const QString& ref, int* row, int* column)
{
    int c = 0, r = 0, i = 0;
    const int n = int(ref.size());
    while (i < n && ref[i].isLetter()) {
        const int letter = ref[i].toUpper().unicode() - 'A' + 1;
        if (letter < 1 || letter > 26 || c > 16384)
            return false;
        c = c * 26 + letter;
        ++i;
    }
    while (i < n && ref[i].isDigit()) {
        r = r * 10 + ref[i].digitValue();
        if (r > 1048576)
            return false;
        ++i;
    }
    if (i != n)
        return false;
    *row = r;
    *column = c;
    return true;
}

class SheetHandler : public XmlHandler {
public:
    SheetHandler(SheetBuilder& out, const std::vector<QString>& shared, const std::vector<CellDates::Format>& xfFormats,
        bool date1904, TextBudget& budget)
        : m_out(out)
        , m_shared(shared)
        , m_xfFormats(xfFormats)
        , m_date1904(date1904)
        , m_budget(budget)
    {
    }

    void start(QLatin1String name, const XML_Char** attrs) override
    {
        if (name == QLatin1String("row")) {
            const QString r = attribute(attrs, "r");
            bool ok = false;
            const int n = r.toInt(&ok);
            m_row = r.isEmpty() ? m_row + 1 : n;
            if ((!r.isEmpty() && !ok) || m_row < 1 || m_row > 1048576)
                fail(QStringLiteral("a row number is out of range (%1)").arg(r));
            m_column = 0;
        } else if (name == QLatin1String("c")) {
            const QString ref = attribute(attrs, "r");
            int row = 0, column = 0;
            if (ref.isEmpty()) {
                column = m_column + 1;
            } else if (!parseReference(ref, &row, &column) || column < 1 || (row && row != m_row)) {
                fail(QStringLiteral("a cell reference is out of range (%1)").arg(ref));
            }
            if (column > 16384)
                fail(QStringLiteral("a column is out of range"));
            m_column = column;
            m_type = attribute(attrs, "t");
            bool styled = false;
            m_style = attribute(attrs, "s").toInt(&styled);
            if (!styled)
                m_style = -1;
            m_value.clear();
            m_inline.clear();
        } else if (name == QLatin1String("v")) {
            m_inValue = true;
        } else if (name == QLatin1String("is")) {
            m_inInline = true;
        } else if (name == QLatin1String("rPh")) {
            ++m_phonetic;
        } else if (name == QLatin1String("t") && m_inInline && m_phonetic == 0) {
            m_inText = true;
        }
    }

    void end(QLatin1String name) override
    {
        if (name == QLatin1String("c")) {
            if (m_row < 1)
                fail(QStringLiteral("a cell stands outside any row"));
            m_out.add(m_row, m_column, value());
        } else if (name == QLatin1String("v")) {
            m_inValue = false;
        } else if (name == QLatin1String("is")) {
            m_inInline = false;
        } else if (name == QLatin1String("rPh")) {
            --m_phonetic;
        } else if (name == QLatin1String("t")) {
            m_inText = false;
        }
    }

    void text(const char* s, int len) override
    {
        if (m_inValue)
            appendCellText(m_value, s, len, m_budget);
        else if (m_inText)
            appendCellText(m_inline, s, len, m_budget);
    }

private:
    QString value()
    {
        // Text counts against the workbook's budget; numbers, Booleans and
        // shared-string indexes do not (a large numeric sheet is not a text bomb).
        const QString v = QString::fromUtf8(m_value);
        auto text = [&](const QString& t) {
            m_budget.decoded(t.size());
            return t;
        };
        if (m_type == QLatin1String("s")) {
            bool ok = false;
            const qlonglong index = v.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= qlonglong(m_shared.size()))
                fail(QStringLiteral("a cell names shared string %1, which does not exist").arg(v));
            return m_shared[size_t(index)];
        }
        if (m_type == QLatin1String("inlineStr"))
            return text(cellText(m_inline));
        if (m_type == QLatin1String("b"))
            return v.trimmed() == QLatin1String("1")
                    || v.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("TRUE")
                : QStringLiteral("FALSE");
        if (m_type == QLatin1String("str"))
            return text(cellText(m_value));
        if (m_type == QLatin1String("e") || m_type == QLatin1String("d"))
            return text(v);
        if (v.isEmpty())
            return v;
        bool ok = false;
        const double number = v.trimmed().toDouble(&ok);
        if (!ok)
            return text(v);
        // A number as its cell format shows it: a date or time as ISO text.
        if (m_style >= 0 && size_t(m_style) < m_xfFormats.size()) {
            const QString date = CellDates::text(number, m_xfFormats[size_t(m_style)], m_date1904);
            if (!date.isEmpty())
                return date;
        }
        return SpreadsheetReader::numberText(number);
    }

    SheetBuilder& m_out;
    const std::vector<QString>& m_shared;
    const std::vector<CellDates::Format>& m_xfFormats;
    bool m_date1904;
    TextBudget& m_budget;
    int m_style = -1;
    int m_row = 0;
    int m_column = 0;
    QString m_type;
    QByteArray m_value;
    QByteArray m_inline;
    bool m_inValue = false;
    bool m_inInline = false;
    bool m_inText = false;
    int m_phonetic = 0;
};

}

namespace XlsxReader {

SheetCells readActiveSheet(const QString& path, int maxColumn, const Limits& limits)
{
    Package zip(path, limits);

    QString workbookPart = QStringLiteral("xl/workbook.xml");
    if (zip.has(QStringLiteral("_rels/.rels"))) {
        RelsHandler root;
        zip.parse(QStringLiteral("_rels/.rels"), root);
        for (const Relationship& r : std::as_const(root.byId))
            if (r.type.endsWith(QLatin1String("/officeDocument")))
                workbookPart = resolve(QString(), r.target);
    }
    if (!zip.has(workbookPart))
        fail(QStringLiteral("it is not a workbook (no workbook part)"));

    WorkbookHandler workbook;
    zip.parse(workbookPart, workbook);
    if (workbook.sheets.empty())
        fail(QStringLiteral("the workbook holds no sheet"));
    RelsHandler rels;
    if (zip.has(relsOf(workbookPart)))
        zip.parse(relsOf(workbookPart), rels);

    const int active = std::clamp(workbook.activeTab, 0, int(workbook.sheets.size()) - 1);
    const WorkbookHandler::Sheet& sheet = workbook.sheets[size_t(active)];
    const auto rel = rels.byId.constFind(sheet.rid);
    if (rel == rels.byId.cend())
        fail(QStringLiteral("the sheet %1 has no part").arg(sheet.name));
    if (!rel->type.endsWith(QLatin1String("/worksheet")))
        fail(QStringLiteral("the active sheet %1 is not a worksheet").arg(sheet.name));
    const QString sheetPart = resolve(folderOf(workbookPart), rel->target);

    TextBudget budget(limits);
    SharedStringsHandler shared(limits.maxSharedStrings, budget);
    for (const Relationship& r : std::as_const(rels.byId))
        if (r.type.endsWith(QLatin1String("/sharedStrings"))) {
            const QString part = resolve(folderOf(workbookPart), r.target);
            if (zip.has(part))
                zip.parse(part, shared);
        }

    StylesHandler styles;
    for (const Relationship& r : std::as_const(rels.byId))
        if (r.type.endsWith(QLatin1String("/styles"))) {
            const QString part = resolve(folderOf(workbookPart), r.target);
            if (zip.has(part))
                zip.parse(part, styles);
        }

    SheetBuilder builder(maxColumn, limits);
    SheetHandler cells(builder, shared.strings, styles.xfFormats, workbook.date1904, budget);
    zip.parse(sheetPart, cells);
    return builder.finish(sheet.name);
}

}
