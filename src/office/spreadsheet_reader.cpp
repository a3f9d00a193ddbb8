#include "office/spreadsheet_reader.h"

#include "office/compound_file_reader.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QtEndian>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <expat.h>
#include <freexl.h>
#include <functional>
#include <map>
#include <zip.h>

// Reasons raised inside the reader; readActiveSheet() adds the file name.
namespace {
[[noreturn]] void fail(const QString& reason)
{
    throw QuarrixError(reason);
}
}

QString SheetCells::cell(int row, int column) const
{
    auto it
        = std::lower_bound(m_rows.begin(), m_rows.end(), row, [](const auto& entry, int r) { return entry.first < r; });
    if (it == m_rows.end() || it->first != row || column < 1 || column > int(it->second.size()))
        return {};
    return it->second[column - 1];
}

// Collects cells in any order and hands out the finished sheet.
class SheetBuilder {
public:
    SheetBuilder(int maxColumn, qint64 maxCells)
        : m_maxColumn(maxColumn)
        , m_maxCells(maxCells)
    {
    }

    void add(int row, int column, QString text)
    {
        if (++m_count > m_maxCells)
            fail(QStringLiteral("the sheet holds more than %1 cells").arg(m_maxCells));
        if (text.isEmpty() || (m_maxColumn > 0 && column > m_maxColumn))
            return;
        auto& rows = m_sheet.m_rows;
        if (rows.empty() || rows.back().first != row) {
            if (!rows.empty() && rows.back().first > row)
                m_sorted = false;
            rows.emplace_back(row, std::vector<QString>());
        }
        auto& cells = rows.back().second;
        if (int(cells.size()) < column)
            cells.resize(column);
        cells[column - 1] = std::move(text);
    }

    SheetCells finish(const QString& name)
    {
        auto& rows = m_sheet.m_rows;
        if (!m_sorted) {
            std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
            // Merge rows that were written in more than one piece; later cells win.
            std::vector<std::pair<int, std::vector<QString>>> merged;
            for (auto& r : rows) {
                if (!merged.empty() && merged.back().first == r.first) {
                    auto& into = merged.back().second;
                    if (into.size() < r.second.size())
                        into.resize(r.second.size());
                    for (size_t i = 0; i < r.second.size(); ++i)
                        if (!r.second[i].isEmpty())
                            into[i] = std::move(r.second[i]);
                } else {
                    merged.push_back(std::move(r));
                }
            }
            rows = std::move(merged);
        }
        m_sheet.m_name = name;
        return std::move(m_sheet);
    }

private:
    int m_maxColumn;
    qint64 m_maxCells;
    qint64 m_count = 0;
    bool m_sorted = true;
    SheetCells m_sheet;
};

namespace SpreadsheetReader {

QString numberText(double value)
{
    if (!std::isfinite(value))
        return value != value ? QStringLiteral("NaN") : (value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF"));
    if (value == 0)
        return QStringLiteral("0");
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc())
        return QString::number(value, 'g', 17);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

}

namespace {

using SpreadsheetReader::Limits;

// ---------------------------------------------------------------- .xlsx

QString local(const XML_Char* name)
{
    const QString n = QString::fromUtf8(name);
    const qsizetype colon = n.lastIndexOf(QLatin1Char(':'));
    return colon < 0 ? n : n.mid(colon + 1);
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
    virtual void start(const QString& name, const XML_Char** attrs) = 0;
    virtual void end(const QString& name) = 0;
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
    void start(const QString& name, const XML_Char** attrs) override
    {
        if (name == QLatin1String("Relationship"))
            byId.insert(attribute(attrs, "Id"), { attribute(attrs, "Type"), attribute(attrs, "Target") });
    }
    void end(const QString&) override { }
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
    void start(const QString& name, const XML_Char** attrs) override
    {
        if (name == QLatin1String("sheet")) {
            sheets.push_back({ attribute(attrs, "name"), attribute(attrs, "id") });
        } else if (name == QLatin1String("workbookView") && activeTab < 0) {
            bool ok = false;
            const int tab = attribute(attrs, "activeTab").toInt(&ok);
            activeTab = ok ? tab : 0;
        }
    }
    void end(const QString&) override { }
};

class SharedStringsHandler : public XmlHandler {
public:
    explicit SharedStringsHandler(qint64 max)
        : m_max(max)
    {
    }
    std::vector<QString> strings;
    void start(const QString& name, const XML_Char**) override
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
    void end(const QString& name) override
    {
        if (name == QLatin1String("si")) {
            strings.push_back(cellText(m_current));
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
            m_current.append(s, len);
    }

private:
    qint64 m_max;
    QByteArray m_current;
    bool m_inItem = false;
    bool m_inText = false;
    int m_phonetic = 0;
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
    SheetHandler(SheetBuilder& out, const std::vector<QString>& shared)
        : m_out(out)
        , m_shared(shared)
    {
    }

    void start(const QString& name, const XML_Char** attrs) override
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

    void end(const QString& name) override
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
            m_value.append(s, len);
        else if (m_inText)
            m_inline.append(s, len);
    }

private:
    QString value() const
    {
        const QString v = QString::fromUtf8(m_value);
        if (m_type == QLatin1String("s")) {
            bool ok = false;
            const qlonglong index = v.trimmed().toLongLong(&ok);
            if (!ok || index < 0 || index >= qlonglong(m_shared.size()))
                fail(QStringLiteral("a cell names shared string %1, which does not exist").arg(v));
            return m_shared[size_t(index)];
        }
        if (m_type == QLatin1String("inlineStr"))
            return cellText(m_inline);
        if (m_type == QLatin1String("b"))
            return v.trimmed() == QLatin1String("1")
                    || v.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0
                ? QStringLiteral("TRUE")
                : QStringLiteral("FALSE");
        if (m_type == QLatin1String("str"))
            return cellText(m_value);
        if (m_type == QLatin1String("e") || m_type == QLatin1String("d"))
            return v;
        if (v.isEmpty())
            return v;
        bool ok = false;
        const double number = v.trimmed().toDouble(&ok);
        return ok ? SpreadsheetReader::numberText(number) : v;
    }

    SheetBuilder& m_out;
    const std::vector<QString>& m_shared;
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

SheetCells readXlsx(const QString& path, int maxColumn, const Limits& limits)
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

    SharedStringsHandler shared(limits.maxSharedStrings);
    for (const Relationship& r : std::as_const(rels.byId))
        if (r.type.endsWith(QLatin1String("/sharedStrings"))) {
            const QString part = resolve(folderOf(workbookPart), r.target);
            if (zip.has(part))
                zip.parse(part, shared);
        }

    SheetBuilder builder(maxColumn, limits.maxCells);
    SheetHandler cells(builder, shared.strings);
    zip.parse(sheetPart, cells);
    return builder.finish(sheet.name);
}

// ---------------------------------------------------------------- .xls

struct BiffSheet {
    QString name;
    quint32 offset = 0;
    int type = 0; // 0 worksheet, 2 chart, 6 module
};

// A BIFF8 string without its length prefix: flags byte, then 8- or 16-bit characters.
QString biffChars(const QByteArray& d, qsizetype pos, int count)
{
    if (pos >= d.size())
        return {};
    const bool wide = quint8(d.at(pos)) & 1;
    ++pos;
    const qsizetype avail = (d.size() - pos) / (wide ? 2 : 1);
    count = int(std::min<qsizetype>(count, avail));
    if (wide)
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(d.constData() + pos), count);
    return QString::fromLatin1(d.constData() + pos, count);
}

QString biffError(int code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default:
        return QStringLiteral("#N/A");
    }
}

// Walks BIFF records from pos until the EOF record; f(type, body) per record.
void walkRecords(const QByteArray& stream, qsizetype pos, const std::function<bool(int, const QByteArray&)>& f)
{
    while (pos + 4 <= stream.size()) {
        const int type = qFromLittleEndian<quint16>(stream.constData() + pos);
        const int len = qFromLittleEndian<quint16>(stream.constData() + pos + 2);
        if (pos + 4 + len > stream.size())
            fail(QStringLiteral("a record runs past the end of the workbook"));
        const QByteArray body = QByteArray::fromRawData(stream.constData() + pos + 4, len);
        pos += 4 + len;
        if (type == 0x000A || !f(type, body))
            return;
    }
}

SheetCells readXls(const QString& path, const QByteArray& data, int maxColumn, const Limits& limits)
{
    const CompoundFile container(data);
    if (container.hasStream(QStringLiteral("EncryptedPackage")))
        fail(QStringLiteral("it is encrypted"));
    QString streamName = QStringLiteral("Workbook");
    if (!container.hasStream(streamName))
        streamName = QStringLiteral("Book");
    if (!container.hasStream(streamName))
        fail(QStringLiteral("it is not a workbook (no workbook stream)"));
    const QByteArray book = container.stream(streamName);

    // Workbook globals: the sheets in tab order, the active tab, encryption.
    std::vector<BiffSheet> sheets;
    int activeTab = 0;
    bool encrypted = false;
    if (book.size() < 8 || qFromLittleEndian<quint16>(book.constData()) != 0x0809)
        fail(QStringLiteral("the workbook stream does not start with a BOF record"));
    walkRecords(book, 0, [&](int type, const QByteArray& b) {
        if (type == 0x0085 && b.size() >= 8) {
            BiffSheet s;
            s.offset = qFromLittleEndian<quint32>(b.constData());
            s.type = quint8(b.at(5));
            s.name = biffChars(b, 7, quint8(b.at(6)));
            sheets.push_back(s);
        } else if (type == 0x003D && b.size() >= 12) {
            activeTab = qFromLittleEndian<quint16>(b.constData() + 10);
        } else if (type == 0x002F) {
            encrypted = true;
        }
        return true;
    });
    if (encrypted)
        fail(QStringLiteral("it is encrypted"));
    if (sheets.empty())
        fail(QStringLiteral("the workbook holds no sheet"));
    if (activeTab < 0 || activeTab >= int(sheets.size()))
        activeTab = 0;
    if (sheets[size_t(activeTab)].type != 0)
        fail(QStringLiteral("the active sheet %1 is not a worksheet").arg(sheets[size_t(activeTab)].name));

    // Every sheet's declared size is checked before the cells are loaded, and
    // the active sheet's formula results and Booleans are taken here.
    qint64 declared = 0;
    std::map<std::pair<int, int>, QString> extra; // (row, column), 0-based
    for (size_t i = 0; i < sheets.size(); ++i) {
        if (sheets[i].type != 0)
            continue;
        if (sheets[i].offset + 4 > quint64(book.size()))
            fail(QStringLiteral("the sheet %1 lies outside the workbook").arg(sheets[i].name));
        const bool active = int(i) == activeTab;
        std::pair<int, int> pendingString { -1, -1 };
        walkRecords(book, sheets[i].offset + 0, [&](int type, const QByteArray& b) {
            if (type == 0x0200 && b.size() >= 12) {
                const quint32 rows = qFromLittleEndian<quint32>(b.constData() + 4);
                const quint16 cols = qFromLittleEndian<quint16>(b.constData() + 10);
                declared += qint64(rows) * cols;
                if (declared > limits.maxCells)
                    fail(QStringLiteral("the sheets declare more than %1 cells").arg(limits.maxCells));
            }
            if (!active)
                return true;
            if (type == 0x0006 && b.size() >= 14) {
                const int row = qFromLittleEndian<quint16>(b.constData());
                const int col = qFromLittleEndian<quint16>(b.constData() + 2);
                const auto* r = reinterpret_cast<const uchar*>(b.constData() + 6);
                if (r[6] == 0xFF && r[7] == 0xFF) {
                    if (r[0] == 0)
                        pendingString = { row, col };
                    else if (r[0] == 1)
                        extra[{ row, col }] = r[2] ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
                    else if (r[0] == 2)
                        extra[{ row, col }] = biffError(r[2]);
                } else {
                    extra[{ row, col }] = SpreadsheetReader::numberText(qFromLittleEndian<double>(r));
                }
            } else if (type == 0x0207 && b.size() >= 3 && pendingString.first >= 0) {
                extra[pendingString] = biffChars(b, 2, qFromLittleEndian<quint16>(b.constData()));
                pendingString = { -1, -1 };
            } else if (type == 0x0205 && b.size() >= 8) {
                const int row = qFromLittleEndian<quint16>(b.constData());
                const int col = qFromLittleEndian<quint16>(b.constData() + 2);
                extra[{ row, col }] = quint8(b.at(7)) ? biffError(quint8(b.at(6)))
                    : quint8(b.at(6))                 ? QStringLiteral("TRUE")
                                                      : QStringLiteral("FALSE");
            }
            return true;
        });
    }

    const void* handle = nullptr;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    struct Closer {
        const void* h;
        ~Closer()
        {
            if (h)
                freexl_close(h);
        }
    } closer { handle };
    if (opened != FREEXL_OK)
        fail(QStringLiteral("the workbook is damaged (code %1)").arg(opened));
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        fail(QStringLiteral("it is encrypted"));
    unsigned int count = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count);
    // FreeXL counts worksheets only when the workbook also holds charts or modules.
    int index = activeTab;
    if (count != sheets.size()) {
        index = 0;
        for (int i = 0; i < activeTab; ++i)
            index += sheets[size_t(i)].type == 0 ? 1 : 0;
    }
    if (freexl_select_active_worksheet(handle, unsigned(index)) != FREEXL_OK)
        fail(QStringLiteral("the active sheet cannot be read"));
    unsigned int rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
        fail(QStringLiteral("the active sheet cannot be read"));
    const unsigned short keep = maxColumn > 0 ? std::min<unsigned short>(columns, maxColumn) : columns;

    SheetBuilder builder(maxColumn, limits.maxCells);
    for (unsigned int r = 0; r < rows; ++r)
        for (unsigned short c = 0; c < keep; ++c) {
            FreeXL_CellValue v;
            if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
                fail(QStringLiteral("the cell at row %1, column %2 cannot be read").arg(r + 1).arg(c + 1));
            // Formula results and Booleans come from the records read above;
            // FreeXL gives nothing or a placeholder for them.
            const auto known = extra.find({ int(r), int(c) });
            if (known != extra.end()) {
                builder.add(int(r) + 1, c + 1, known->second);
                continue;
            }
            QString text;
            switch (v.type) {
            case FREEXL_CELL_INT:
                text = QString::number(v.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                text = SpreadsheetReader::numberText(v.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                text = QString::fromUtf8(v.value.text_value);
                break;
            default:
                break;
            }
            builder.add(int(r) + 1, c + 1, text);
        }
    return builder.finish(sheets[size_t(activeTab)].name);
}

} // namespace

SheetCells SpreadsheetReader::readActiveSheet(const QString& path, int maxColumn, const Limits& limits)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw QuarrixError(QStringLiteral("The spreadsheet '%1' does not exist.").arg(path));
    try {
        if (!info.isFile())
            fail(QStringLiteral("it is not a file"));
        if (info.size() > limits.maxFileBytes)
            fail(QStringLiteral("it is larger than %1 MB").arg(limits.maxFileBytes >> 20));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            fail(file.errorString());
        const QByteArray head = file.read(8);
        if (head.startsWith("PK\x03\x04"))
            return readXlsx(path, maxColumn, limits);
        if (CompoundFile::hasSignature(head)) {
            file.seek(0);
            return readXls(path, file.readAll(), maxColumn, limits);
        }
        fail(QStringLiteral("it is not a workbook"));
    } catch (const QuarrixError& e) {
        throw QuarrixError(QStringLiteral("Cannot read the spreadsheet '%1': %2.").arg(path, e.message()));
    } catch (const std::bad_alloc&) {
        throw QuarrixError(QStringLiteral("Cannot read the spreadsheet '%1': out of memory.").arg(path));
    }
}
