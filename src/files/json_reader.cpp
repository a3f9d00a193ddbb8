#include "files/json_reader.h"

#include "store/quarrix_error.h"

#include <cstring>
#include <limits>

namespace Json {

namespace {

using Type = Document::Type;

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The four hex digits at p (known to be there and valid).
char16_t hexUnit(const char* p)
{
    return char16_t((hexDigit(p[0]) << 12) | (hexDigit(p[1]) << 8) | (hexDigit(p[2]) << 4) | hexDigit(p[3]));
}

bool isHighSurrogate(char16_t u)
{
    return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(char16_t u)
{
    return u >= 0xDC00 && u <= 0xDFFF;
}

// The length of the well-formed UTF-8 sequence at p that starts with a byte of
// 0x80 or more, or 0 when it is not well formed (overlong, a surrogate, beyond
// U+10FFFF, cut short).
int utf8SequenceLength(const unsigned char* p, const unsigned char* end)
{
    const unsigned char b = p[0];
    int length;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0)
            low = 0xA0;
        else if (b == 0xED)
            high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0)
            low = 0x90;
        else if (b == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (end - p < length || p[1] < low || p[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return length;
}

// Whether the eight bytes at p are all printable ASCII other than a quote or
// a backslash: no byte has its high bit set, is below 0x20, or equals either.
bool allPlain(const char* p)
{
    constexpr uint64_t ones = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
    uint64_t v;
    std::memcpy(&v, p, 8);
    const auto hasZeroByte = [](uint64_t x) { return (x - ones) & ~x & high; };
    const uint64_t below0x20 = (v - ones * 0x20) & ~v & high;
    return ((v & high) | below0x20 | hasZeroByte(v ^ (ones * '"')) | hasZeroByte(v ^ (ones * '\\'))) == 0;
}

} // namespace

// One pass over the bytes, recursing once per level of nesting (bounded by
// the depth limit).
class Parser {
public:
    Parser(const QByteArray& bytes, const Limits& limits, Document& doc)
        : m_begin(bytes.constData())
        , m_p(bytes.constData())
        , m_end(bytes.constData() + bytes.size())
        , m_limits(limits)
        , m_doc(doc)
    {
        if (bytes.size() >= qsizetype(std::numeric_limits<uint32_t>::max()))
            throw QuarrixError(QStringLiteral("it is too large to read as JSON"));
        doc.m_bytes = m_begin;
        // Published catalogs hold about one value per 20 bytes.
        doc.m_nodes.reserve(size_t(std::min<qint64>(bytes.size() / 16 + 16, limits.maxValues + 1)));
    }

    void parseDocument()
    {
        skipBlanks();
        parseValue(1);
        skipBlanks();
        if (m_p != m_end)
            fault("content after the end of the JSON value");
    }

private:
    [[noreturn]] void fault(const char* what, const char* at = nullptr) const
    {
        const char* where = at ? at : m_p;
        int line = 1;
        const char* lineStart = m_begin;
        for (const char* p = m_begin; p < where; ++p)
            if (*p == '\n') {
                ++line;
                lineStart = p + 1;
            }
        throw QuarrixError(QStringLiteral("it is not valid JSON (%1 at line %2, column %3, byte %4)")
                               .arg(QLatin1String(what))
                               .arg(line)
                               .arg(where - lineStart + 1)
                               .arg(where - m_begin));
    }

    void skipBlanks()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\n' || *m_p == '\r' || *m_p == '\t'))
            ++m_p;
    }

    uint32_t addNode(Type type, bool isKey = false)
    {
        if (!isKey && ++m_values > m_limits.maxValues)
            throw QuarrixError(QStringLiteral("it holds more than %1 JSON values").arg(m_limits.maxValues));
        Document::Node node;
        node.type = type;
        node.start = uint32_t(m_p - m_begin);
        m_doc.m_nodes.push_back(node);
        return uint32_t(m_doc.m_nodes.size() - 1);
    }

    void close(uint32_t index) { m_doc.m_nodes[index].end = uint32_t(m_doc.m_nodes.size()); }

    void parseValue(int depth)
    {
        if (m_p == m_end)
            fault("a value is missing");
        switch (*m_p) {
        case '{':
            return parseContainer(depth, Type::Object, '}');
        case '[':
            return parseContainer(depth, Type::Array, ']');
        case '"':
            return parseString();
        case 't':
            return parseWord("true", Type::True);
        case 'f':
            return parseWord("false", Type::False);
        case 'n':
            return parseWord("null", Type::Null);
        default:
            if (*m_p == '-' || (*m_p >= '0' && *m_p <= '9'))
                return parseNumber();
            fault("an unexpected character where a value belongs");
        }
    }

    void parseContainer(int depth, Type type, char closing)
    {
        if (depth > m_limits.maxDepth)
            throw QuarrixError(QStringLiteral("it is nested more than %1 levels deep").arg(m_limits.maxDepth));
        const uint32_t index = addNode(type);
        ++m_p;
        skipBlanks();
        if (m_p < m_end && *m_p == closing) {
            ++m_p;
            close(index);
            return;
        }
        for (;;) {
            if (type == Type::Object) {
                if (m_p == m_end || *m_p != '"')
                    fault("a member name (a string) is missing");
                parseString(true);
                skipBlanks();
                if (m_p == m_end || *m_p != ':')
                    fault("':' is missing after a member name");
                ++m_p;
                skipBlanks();
            }
            parseValue(depth + 1);
            skipBlanks();
            if (m_p == m_end)
                fault(type == Type::Object ? "the object is not closed" : "the list is not closed");
            if (*m_p == closing) {
                ++m_p;
                close(index);
                return;
            }
            if (*m_p != ',')
                fault(type == Type::Object ? "',' or '}' is missing" : "',' or ']' is missing");
            ++m_p;
            skipBlanks();
        }
    }

    void parseString(bool isKey = false)
    {
        const char* const quote = m_p;
        ++m_p;
        const uint32_t index = addNode(Type::String, isKey);
        bool escaped = false;
        for (;;) {
            // Plain printable ASCII is most of any text: eight bytes at a time,
            // then byte by byte up to the first that is not.
            while (m_end - m_p >= 8 && allPlain(m_p))
                m_p += 8;
            while (m_p < m_end && static_cast<unsigned char>(*m_p) >= 0x20 && *m_p != '"' && *m_p != '\\'
                && static_cast<unsigned char>(*m_p) < 0x80)
                ++m_p;
            if (m_p == m_end)
                fault("the string is not closed", quote);
            const unsigned char c = static_cast<unsigned char>(*m_p);
            if (c == '"')
                break;
            if (c < 0x20)
                fault("a control character in a string");
            if (c == '\\') {
                escaped = true;
                parseEscape();
                continue;
            }
            const int length = utf8SequenceLength(
                reinterpret_cast<const unsigned char*>(m_p), reinterpret_cast<const unsigned char*>(m_end));
            if (length == 0)
                fault("bytes that are not UTF-8 in a string");
            m_p += length;
        }
        Document::Node& node = m_doc.m_nodes[index];
        node.start = uint32_t(quote + 1 - m_begin);
        node.size = uint32_t(m_p - quote - 1);
        node.escaped = escaped;
        ++m_p;
        close(index);
    }

    // The escape at m_p (a backslash); a \u escape of a surrogate must be one
    // of a pair, high then low.
    void parseEscape()
    {
        const char* const start = m_p;
        if (m_end - m_p < 2)
            fault("the string is not closed");
        switch (m_p[1]) {
        case '"':
        case '\\':
        case '/':
        case 'b':
        case 'f':
        case 'n':
        case 'r':
        case 't':
            m_p += 2;
            return;
        case 'u':
            break;
        default:
            fault("an unknown escape in a string");
        }
        const char16_t unit = parseHexEscape();
        if (isLowSurrogate(unit))
            fault("a \\u escape of a low surrogate without a high one before it", start);
        if (isHighSurrogate(unit)) {
            if (m_end - m_p < 2 || m_p[0] != '\\' || m_p[1] != 'u' || !isLowSurrogate(parseHexEscape()))
                fault("a \\u escape of a high surrogate without a low one after it", start);
        }
    }

    // The unit of the \uXXXX at m_p, which it passes.
    char16_t parseHexEscape()
    {
        if (m_end - m_p < 6)
            fault("a \\u escape is cut short");
        for (int i = 2; i < 6; ++i)
            if (hexDigit(m_p[i]) < 0)
                fault("a \\u escape without four hex digits");
        const char16_t unit = hexUnit(m_p + 2);
        m_p += 6;
        return unit;
    }

    void parseWord(const char* word, Type type)
    {
        const size_t length = std::strlen(word);
        if (size_t(m_end - m_p) < length || std::memcmp(m_p, word, length) != 0)
            fault("an unexpected word where a value belongs");
        const uint32_t index = addNode(type);
        m_p += length;
        close(index);
    }

    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    void parseNumber()
    {
        const uint32_t index = addNode(Type::Number);
        const char* const start = m_p;
        const auto digits = [&] {
            const char* from = m_p;
            while (m_p < m_end && *m_p >= '0' && *m_p <= '9')
                ++m_p;
            return m_p - from;
        };
        if (*m_p == '-')
            ++m_p;
        if (m_p < m_end && *m_p == '0')
            ++m_p;
        else if (digits() == 0)
            fault("a number without digits", start);
        if (m_p < m_end && *m_p == '.') {
            ++m_p;
            if (digits() == 0)
                fault("a number without digits after its point", start);
        }
        if (m_p < m_end && (*m_p == 'e' || *m_p == 'E')) {
            ++m_p;
            if (m_p < m_end && (*m_p == '+' || *m_p == '-'))
                ++m_p;
            if (digits() == 0)
                fault("a number without digits in its exponent", start);
        }
        m_doc.m_nodes[index].size = uint32_t(m_p - start);
        close(index);
    }

    const char* const m_begin;
    const char* m_p;
    const char* const m_end;
    const Limits& m_limits;
    Document& m_doc;
    qint64 m_values = 0; // member names are not counted
};

Document Document::parse(const QByteArray& utf8, const Limits& limits)
{
    Document doc;
    Parser(utf8, limits, doc).parseDocument();
    return doc;
}

bool Value::isObject() const
{
    return m_doc && m_doc->node(m_index).type == Document::Type::Object;
}

bool Value::isArray() const
{
    return m_doc && m_doc->node(m_index).type == Document::Type::Array;
}

bool Value::isString() const
{
    return m_doc && m_doc->node(m_index).type == Document::Type::String;
}

bool Value::isNull() const
{
    return m_doc && m_doc->node(m_index).type == Document::Type::Null;
}

Value Value::member(std::string_view key) const
{
    Value found;
    findMembers(&key, &found, 1);
    return found;
}

void Value::findMembers(const std::string_view* keys, Value* found, size_t count) const
{
    if (!isObject())
        return;
    // Member names are strings; most are short and unescaped, so the first
    // byte and the length rule most out.
    const Document::Node* const nodes = &m_doc->node(0);
    const char* const bytes = m_doc->bytes();
    const uint32_t end = nodes[m_index].end;
    for (uint32_t k = m_index + 1; k < end; k = nodes[k + 1].end) {
        const Document::Node& name = nodes[k];
        for (size_t i = 0; i < count; ++i) {
            const std::string_view key = keys[i];
            const bool equal = name.escaped
                ? Value(m_doc, k).textEquals(key)
                : name.size == key.size() && (key.empty() || bytes[name.start] == key.front())
                    && std::memcmp(bytes + name.start, key.data(), key.size()) == 0;
            if (equal)
                found[i] = Value(m_doc, k + 1); // the last of a repeated key
        }
    }
}

bool Value::textEquals(std::string_view utf8) const
{
    if (!isString())
        return false;
    const Document::Node& n = m_doc->node(m_index);
    if (!n.escaped)
        return n.size == utf8.size() && std::memcmp(m_doc->bytes() + n.start, utf8.data(), utf8.size()) == 0;
    return text() == QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

QString Value::text() const
{
    if (!isString())
        return QString();
    const Document::Node& n = m_doc->node(m_index);
    const char* p = m_doc->bytes() + n.start;
    if (!n.escaped)
        return QString::fromUtf8(p, qsizetype(n.size));
    // The parser checked every escape; runs between them are well-formed UTF-8.
    const char* const end = p + n.size;
    QString out;
    out.reserve(qsizetype(n.size));
    while (p < end) {
        const char* run = p;
        while (p < end && *p != '\\')
            ++p;
        out += QString::fromUtf8(run, p - run);
        if (p == end)
            break;
        const char c = p[1];
        p += 2;
        switch (c) {
        case 'b':
            out += u'\b';
            break;
        case 'f':
            out += u'\f';
            break;
        case 'n':
            out += u'\n';
            break;
        case 'r':
            out += u'\r';
            break;
        case 't':
            out += u'\t';
            break;
        case 'u':
            out += QChar(hexUnit(p));
            p += 4;
            break;
        default: // " \ /
            out += QLatin1Char(c);
            break;
        }
    }
    return out;
}

}
