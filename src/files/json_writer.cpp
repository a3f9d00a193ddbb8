#include "files/json_writer.h"

#include <algorithm>

JsonWriter::JsonWriter(Layout layout)
    : m_layout(layout)
{
}

void JsonWriter::newLine()
{
    if (m_layout == Layout::Compact)
        return;
    m_out += '\n';
    m_out.append(qsizetype(m_hasEntries.size() * 2), ' ');
}

void JsonWriter::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_hasEntries.empty())
        return;
    if (m_hasEntries.back())
        m_out += ',';
    m_hasEntries.back() = true;
    newLine();
}

void JsonWriter::open(char bracket)
{
    beforeValue();
    m_out += bracket;
    m_hasEntries.push_back(false);
}

void JsonWriter::close(char bracket)
{
    const bool hadEntries = m_hasEntries.back();
    m_hasEntries.pop_back();
    if (hadEntries)
        newLine();
    m_out += bracket;
}

void JsonWriter::beginObject()
{
    open('{');
}

void JsonWriter::endObject()
{
    close('}');
}

void JsonWriter::beginArray()
{
    open('[');
}

void JsonWriter::endArray()
{
    close(']');
}

void JsonWriter::key(std::string_view name)
{
    beforeValue();
    m_out += '"';
    m_out.append(name.data(), qsizetype(name.size()));
    m_out += m_layout == Layout::Compact ? "\":" : "\": ";
    m_afterKey = true;
}

void JsonWriter::string(const QString& text)
{
    beforeValue();
    static const char hex[] = "0123456789abcdef";
    const QByteArray utf8 = text.toUtf8();
    m_out.reserve(m_out.size() + utf8.size() + 2);
    m_out += '"';
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            m_out += "\\\"";
            break;
        case '\\':
            m_out += "\\\\";
            break;
        case '\n':
            m_out += "\\n";
            break;
        case '\r':
            m_out += "\\r";
            break;
        case '\t':
            m_out += "\\t";
            break;
        default:
            if (u < 0x20) {
                m_out += "\\u00";
                m_out += hex[u >> 4];
                m_out += hex[u & 15];
            } else {
                m_out += c;
            }
        }
    }
    m_out += '"';
}

void JsonWriter::boolean(bool value)
{
    beforeValue();
    m_out += value ? "true" : "false";
}

void JsonWriter::number(qint64 value)
{
    beforeValue();
    m_out += QByteArray::number(value);
}

void JsonWriter::null()
{
    beforeValue();
    m_out += "null";
}

void JsonWriter::value(Json::Value value, std::initializer_list<std::string_view> without)
{
    if (!value.exists())
        return;
    m_source = value.document();
    copy(value.index(), without);
}

// The reader checked every string (escapes, UTF-8, no control characters)
// and every number, so their bytes are written as they were read.
void JsonWriter::copy(uint32_t index, std::initializer_list<std::string_view> without)
{
    using Type = Json::Document::Type;
    const Json::Document::Node& node = m_source->node(index);
    switch (node.type) {
    case Type::Null:
    case Type::False:
    case Type::True:
        beforeValue();
        m_out += node.type == Type::Null ? "null" : node.type == Type::True ? "true" : "false";
        return;
    case Type::Number:
        beforeValue();
        m_out.append(m_source->bytes() + node.start, qsizetype(node.size));
        return;
    case Type::String:
        beforeValue();
        m_out += '"';
        m_out.append(m_source->bytes() + node.start, qsizetype(node.size));
        m_out += '"';
        return;
    case Type::Array:
        beginArray();
        for (uint32_t k = index + 1; k < node.end; k = m_source->node(k).end)
            copy(k, {});
        endArray();
        return;
    case Type::Object:
        beginObject();
        copyMembers(index, without);
        endObject();
        return;
    }
}

void JsonWriter::copyMembers(uint32_t index, std::initializer_list<std::string_view> without)
{
    const uint32_t end = m_source->node(index).end;
    for (uint32_t k = index + 1; k < end; k = m_source->node(k + 1).end) {
        const Json::Value name = m_source->value(k);
        if (std::any_of(without.begin(), without.end(), [&](std::string_view w) { return name.textEquals(w); }))
            continue;
        // A name as it was read: escapes stay escapes.
        const Json::Document::Node& keyNode = m_source->node(k);
        key(std::string_view(m_source->bytes() + keyNode.start, keyNode.size));
        copy(k + 1, {});
    }
}

QByteArray JsonWriter::take()
{
    if (m_layout == Layout::Indented)
        m_out += '\n';
    return std::move(m_out);
}
