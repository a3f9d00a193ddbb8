#include "office/xml_bytes.h"

namespace {

// Whether the UTF-16 unit at i may appear in XML 1.0 (a surrogate only as
// part of a pair).
bool allowed(QStringView t, qsizetype i)
{
    const char16_t c = t[i].unicode();
    if (c >= 0x20 && c < 0xD800)
        return true;
    if (QChar::isHighSurrogate(c))
        return i + 1 < t.size() && QChar::isLowSurrogate(t[i + 1].unicode());
    if (QChar::isLowSurrogate(c))
        return i > 0 && QChar::isHighSurrogate(t[i - 1].unicode());
    if (c < 0x20)
        return c == u'\t' || c == u'\n' || c == u'\r';
    return c != 0xFFFE && c != 0xFFFF;
}

char* putUtf8(char* o, char32_t c)
{
    if (c < 0x80) {
        *o++ = char(c);
    } else if (c < 0x800) {
        *o++ = char(0xC0 | (c >> 6));
        *o++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *o++ = char(0xE0 | (c >> 12));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    } else {
        *o++ = char(0xF0 | (c >> 18));
        *o++ = char(0x80 | ((c >> 12) & 0x3F));
        *o++ = char(0x80 | ((c >> 6) & 0x3F));
        *o++ = char(0x80 | (c & 0x3F));
    }
    return o;
}

char* put(char* o, const char* literal)
{
    while (*literal)
        *o++ = *literal++;
    return o;
}

}

void XmlBytes::declaration()
{
    m_out.append("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n");
}

void XmlBytes::closeTag()
{
    if (m_tagOpen) {
        m_out.append('>');
        m_tagOpen = false;
    }
}

void XmlBytes::element(const char* name)
{
    closeTag();
    m_out.append('<').append(name);
    m_tagOpen = true;
}

void XmlBytes::attribute(const char* name, QStringView value)
{
    m_out.append(' ').append(name).append("=\"");
    escaped(value, true);
    m_out.append('"');
}

void XmlBytes::attribute(const char* name, const char* asciiValue)
{
    attribute(name, QStringView(QString::fromLatin1(asciiValue)));
}

void XmlBytes::attribute(const char* name, long long value)
{
    m_out.append(' ').append(name).append("=\"").append(QByteArray::number(value)).append('"');
}

void XmlBytes::text(QStringView text)
{
    closeTag();
    escaped(text, false);
}

void XmlBytes::end(const char* name)
{
    if (m_tagOpen) {
        m_out.append("/>");
        m_tagOpen = false;
        return;
    }
    m_out.append("</").append(name).append('>');
}

void XmlBytes::raw(const QByteArray& xml)
{
    closeTag();
    m_out.append(xml);
}

void XmlBytes::escaped(QStringView t, bool inAttribute)
{
    // Written in place: no unit takes more than six bytes ("&quot;").
    const qsizetype start = m_out.size();
    m_out.resize(start + 6 * t.size());
    char* const begin = m_out.data();
    char* o = begin + start;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c >= 0x80) {
            if (!allowed(t, i)) {
                o = putUtf8(o, 0xFFFD);
            } else if (QChar::isHighSurrogate(c)) {
                o = putUtf8(o, QChar::surrogateToUcs4(c, t[i + 1].unicode()));
                ++i;
            } else {
                o = putUtf8(o, c);
            }
            continue;
        }
        switch (c) {
        case u'&':
            o = put(o, "&amp;");
            break;
        case u'<':
            o = put(o, "&lt;");
            break;
        case u'>':
            o = put(o, "&gt;");
            break;
        case u'"':
            o = put(o, inAttribute ? "&quot;" : "\"");
            break;
        // Line ends and tabs stay characters in text; in a value a parser
        // would turn them into blanks.
        case u'\t':
            o = put(o, inAttribute ? "&#9;" : "\t");
            break;
        case u'\n':
            o = put(o, inAttribute ? "&#10;" : "\n");
            break;
        case u'\r':
            o = put(o, inAttribute ? "&#13;" : "\r");
            break;
        default:
            if (c < 0x20)
                o = putUtf8(o, 0xFFFD);
            else
                *o++ = char(c);
        }
    }
    m_out.resize(o - begin);
}
