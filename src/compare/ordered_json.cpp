#include "compare/ordered_json.h"

#include <QStringList>

void OrderedJson::newLine()
{
    m_out += '\n';
    m_out += QByteArray(2 * m_depth, ' ');
}

void OrderedJson::beforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first)
        m_out += ',';
    if (m_depth > 0)
        newLine();
    m_first = false;
}

void OrderedJson::beginObject()
{
    beforeValue();
    m_out += '{';
    ++m_depth;
    m_first = true;
}

void OrderedJson::endObject()
{
    --m_depth;
    if (!m_first)
        newLine();
    m_out += '}';
    m_first = false;
}

void OrderedJson::beginArray()
{
    beforeValue();
    m_out += '[';
    ++m_depth;
    m_first = true;
}

void OrderedJson::endArray()
{
    endObject();
    m_out.back() = ']';
}

void OrderedJson::key(const QString& name)
{
    beforeValue();
    appendString(m_out, name);
    m_out += ": ";
    m_afterKey = true;
}

void OrderedJson::value(const QVariant& v)
{
    if (v.typeId() == QMetaType::QStringList) {
        beginArray();
        for (const QString& item : v.toStringList())
            value(item);
        endArray();
        return;
    }
    beforeValue();
    if (!v.isValid() || v.isNull())
        m_out += "null";
    else if (v.typeId() == QMetaType::Bool)
        m_out += v.toBool() ? "true" : "false";
    else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::UInt
        || v.typeId() == QMetaType::ULongLong)
        m_out += QByteArray::number(v.toLongLong());
    else
        appendString(m_out, v.toString());
}

QByteArray OrderedJson::finish()
{
    m_out += '\n';
    return std::move(m_out);
}

void OrderedJson::appendString(QByteArray& out, const QString& text)
{
    out += '"';
    qsizetype plain = 0; // where the stretch not yet written starts
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u >= 0x20 && u != u'"' && u != u'\\')
            continue;
        out += QStringView(text).mid(plain, i - plain).toUtf8();
        plain = i + 1;
        switch (u) {
        case u'"':
            out += "\\\"";
            break;
        case u'\\':
            out += "\\\\";
            break;
        case u'\n':
            out += "\\n";
            break;
        case u'\r':
            out += "\\r";
            break;
        case u'\t':
            out += "\\t";
            break;
        default:
            out += "\\u" + QByteArray::number(u, 16).rightJustified(4, '0');
        }
    }
    out += QStringView(text).mid(plain).toUtf8();
    out += '"';
}
