#include "office/xlsx_reader.h"

#include "office/cell_dates.h"
#include "office/sheet_builder.h"
#include "store/quarrix_error.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <expat.h>
#include <limits>
#include <optional>
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

// An attribute's value as expat hands it over (UTF-8); null when it is absent.
const char* rawAttribute(const XML_Char** attrs, const char* wanted)
{
    for (int i = 0; attrs[i]; i += 2)
        if (local(attrs[i]) == QLatin1String(wanted))
            return attrs[i + 1];
    return nullptr;
}

QString attribute(const XML_Char** attrs, const char* wanted)
{
    return QString::fromUtf8(rawAttribute(attrs, wanted));
}

bool isAscii(QByteArrayView bytes)
{
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// A value of plain ASCII digits (a shared-string index, a style, a row) read
// without making a text of it; -1 for anything else, which is read the slow
// way, as text is (white space around it, other digits).
qint64 plainDigits(QByteArrayView value)
{
    if (value.isEmpty() || value.size() > 12)
        return -1;
    qint64 n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

// A number in the plain form workbooks write it in (42, -0.5, 1.5E-3), read
// without making a text of it; nothing for any other form, which is read the
// slow way.
std::optional<double> plainNumber(QByteArrayView value)
{
    qsizetype i = 0;
    const qsizetype n = value.size();
    auto digits = [&] {
        const qsizetype from = i;
        while (i < n && value[i] >= '0' && value[i] <= '9')
            ++i;
        return i > from;
    };
    if (i < n && value[i] == '-')
        ++i;
    if (!digits())
        return std::nullopt;
    if (i < n && value[i] == '.') {
        ++i;
        if (!digits())
            return std::nullopt;
    }
    if (i < n && (value[i] == 'E' || value[i] == 'e')) {
        ++i;
        if (i < n && (value[i] == '+' || value[i] == '-'))
            ++i;
        if (!digits())
            return std::nullopt;
    }
    double number = 0;
    if (i != n || std::from_chars(value.data(), value.data() + n, number).ptr != value.data() + n)
        return std::nullopt;
    return number;
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

// Cell text as UTF-8 with its escapes undone: the bytes as they stand unless
// they hold "_x".
QByteArrayView cellTextUtf8(const QByteArray& utf8, QByteArray& decoded)
{
    // Looked for as a byte first: most texts hold no underscore at all.
    const char* end = utf8.constData() + utf8.size();
    const char* at = utf8.constData();
    while ((at = static_cast<const char*>(std::memchr(at, '_', size_t(end - at)))) && (at + 1 == end || at[1] != 'x'))
        ++at;
    if (!at)
        return utf8;
    decoded = cellText(utf8).toUtf8();
    return decoded;
}

// The shared strings, each decoded once and kept in the sheet: cells that
// name one share its text.
class SharedStringsHandler : public XmlHandler {
public:
    SharedStringsHandler(qint64 max, TextBudget& budget, SheetBuilder& sheet)
        : m_max(max)
        , m_budget(budget)
        , m_sheet(sheet)
    {
    }
    std::vector<SheetBuilder::Text> strings;
    void start(QLatin1String name, const XML_Char**) override
    {
        if (name == QLatin1String("si")) {
            if (qint64(strings.size()) >= m_max)
                fail(QStringLiteral("the workbook holds more than %1 shared strings").arg(m_max));
            m_current.resize(0); // keeps the buffer for the next
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
            const SheetBuilder::Text text = m_sheet.keep(cellTextUtf8(m_current, m_decoded));
            m_budget.decoded(text.units);
            strings.push_back(text);
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
    SheetBuilder& m_sheet;
    QByteArray m_current;
    QByteArray m_decoded;
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

// A column letter's value (1 to 26), 0 for a character that is no letter, -1
// for a letter that cannot be a column's; a digit's value, -1 for no digit.
int letterValue(QChar c)
{
    if (!c.isLetter())
        return 0;
    const int letter = c.toUpper().unicode() - 'A' + 1;
    return letter >= 1 && letter <= 26 ? letter : -1;
}
int letterValue(char c)
{
    return c >= 'a' && c <= 'z' ? c - 'a' + 1 : c >= 'A' && c <= 'Z' ? c - 'A' + 1 : 0;
}
int digitValue(QChar c)
{
    return c.isDigit() ? c.digitValue() : -1;
}
int digitValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : -1;
}

// "AB12" -> column 28, row 12. Either part may be missing.
template <class Text> bool parseReference(const Text& ref, int* row, int* column)
{
    int c = 0, r = 0, i = 0;
    const int n = int(ref.size());
    for (int letter; i < n && (letter = letterValue(ref[i])) != 0; ++i) {
        if (letter < 0 || c > 16384)
            return false;
        c = c * 26 + letter;
    }
    for (int digit; i < n && (digit = digitValue(ref[i])) >= 0; ++i) {
        r = r * 10 + digit;
        if (r > 1048576)
            return false;
    }
    if (i != n)
        return false;
    *row = r;
    *column = c;
    return true;
}

// A reference as expat hands it over: the bytes as they stand, or as text
// when they hold characters beyond ASCII (other letters and digits).
bool parseCellReference(QByteArrayView ref, int* row, int* column)
{
    return isAscii(ref) ? parseReference(ref, row, column) : parseReference(QString::fromUtf8(ref), row, column);
}

class SheetHandler : public XmlHandler {
public:
    SheetHandler(SheetBuilder& out, const std::vector<SheetBuilder::Text>& shared,
        const std::vector<CellDates::Format>& xfFormats, bool date1904, TextBudget& budget)
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
            const QByteArrayView r(rawAttribute(attrs, "r"));
            qint64 n = plainDigits(r);
            bool ok = n >= 0;
            if (!ok && !r.isEmpty())
                n = QString::fromUtf8(r).toInt(&ok);
            m_row = r.isEmpty() ? m_row + 1 : int(std::clamp<qint64>(n, -1, 1048577));
            if ((!r.isEmpty() && !ok) || m_row < 1 || m_row > 1048576)
                fail(QStringLiteral("a row number is out of range (%1)").arg(QString::fromUtf8(r)));
            m_column = 0;
        } else if (name == QLatin1String("c")) {
            const QByteArrayView ref(rawAttribute(attrs, "r"));
            int row = 0, column = 0;
            if (ref.isEmpty()) {
                column = m_column + 1;
            } else if (!parseCellReference(ref, &row, &column) || column < 1 || (row && row != m_row)) {
                fail(QStringLiteral("a cell reference is out of range (%1)").arg(QString::fromUtf8(ref)));
            }
            if (column > 16384)
                fail(QStringLiteral("a column is out of range"));
            m_column = column;
            m_type = typeOf(QByteArrayView(rawAttribute(attrs, "t")));
            const QByteArrayView style(rawAttribute(attrs, "s"));
            qint64 s = plainDigits(style);
            if (s < 0 || s > std::numeric_limits<int>::max()) {
                bool styled = false;
                s = QString::fromUtf8(style).toInt(&styled);
                if (!styled)
                    s = -1;
            }
            m_style = int(s);
            m_value.resize(0);
            m_inline.resize(0);
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
            addValue();
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
    // The cell's t attribute.
    enum class Type { Number, Shared, Inline, Boolean, Formula, Error, Date };
    static Type typeOf(QByteArrayView t)
    {
        if (t == "s")
            return Type::Shared;
        if (t == "inlineStr")
            return Type::Inline;
        if (t == "b")
            return Type::Boolean;
        if (t == "str")
            return Type::Formula;
        if (t == "e")
            return Type::Error;
        if (t == "d")
            return Type::Date;
        return Type::Number;
    }

    void addValue()
    {
        // Text counts against the workbook's budget; numbers, Booleans and
        // shared-string indexes do not (a large numeric sheet is not a text bomb).
        auto text = [&](QByteArrayView utf8) {
            m_budget.decoded(SheetBuilder::utf16Length(utf8));
            m_out.add(m_row, m_column, utf8);
        };
        switch (m_type) {
        case Type::Shared: {
            qint64 index = plainDigits(m_value);
            if (index < 0) {
                bool ok = false;
                index = QString::fromUtf8(m_value).trimmed().toLongLong(&ok);
                if (!ok)
                    index = -1;
            }
            if (index < 0 || index >= qint64(m_shared.size()))
                fail(QStringLiteral("a cell names shared string %1, which does not exist")
                         .arg(QString::fromUtf8(m_value)));
            m_out.add(m_row, m_column, m_shared[size_t(index)]);
            return;
        }
        case Type::Inline:
            return text(cellTextUtf8(m_inline, m_decoded));
        case Type::Boolean: {
            const QString v = QString::fromUtf8(m_value).trimmed();
            const bool set = v == QLatin1String("1") || v.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
            m_out.add(m_row, m_column, set ? QByteArrayView("TRUE") : QByteArrayView("FALSE"));
            return;
        }
        case Type::Formula:
            return text(cellTextUtf8(m_value, m_decoded));
        case Type::Error:
        case Type::Date:
            return text(m_value);
        case Type::Number:
            break;
        }
        if (m_value.isEmpty())
            return m_out.add(m_row, m_column, QByteArrayView());
        std::optional<double> number = plainNumber(m_value);
        if (!number) {
            bool ok = false;
            number = QString::fromUtf8(m_value).trimmed().toDouble(&ok);
            if (!ok)
                return text(m_value);
        }
        // A number as its cell format shows it: a date or time as ISO text.
        if (m_style >= 0 && size_t(m_style) < m_xfFormats.size()) {
            const QString date = CellDates::text(*number, m_xfFormats[size_t(m_style)], m_date1904);
            if (!date.isEmpty())
                return m_out.add(m_row, m_column, date);
        }
        m_out.addNumber(m_row, m_column, *number);
    }

    SheetBuilder& m_out;
    const std::vector<SheetBuilder::Text>& m_shared;
    const std::vector<CellDates::Format>& m_xfFormats;
    bool m_date1904;
    TextBudget& m_budget;
    int m_style = -1;
    int m_row = 0;
    int m_column = 0;
    Type m_type = Type::Number;
    QByteArray m_value;
    QByteArray m_inline;
    QByteArray m_decoded;
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
    SheetBuilder builder(maxColumn, limits);
    SharedStringsHandler shared(limits.maxSharedStrings, budget, builder);
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

    SheetHandler cells(builder, shared.strings, styles.xfFormats, workbook.date1904, budget);
    zip.parse(sheetPart, cells);
    return builder.finish(sheet.name);
}

}
