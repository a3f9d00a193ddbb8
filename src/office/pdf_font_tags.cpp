#include "office/pdf_font_tags.h"

#include <QList>

namespace {

const QByteArray kFontName("/FontName /");
const QByteArray kBaseFont("/BaseFont /");
const QByteArray kCrossReference("\nxref\n");
// Bytes kept back so that a marker split between two writes is still found.
constexpr qsizetype kLookBehind = 16;

bool endsName(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '/' || c == '>' || c == '<' || c == '[';
}

}

PdfFontTags::PdfFontTags(std::function<void(QByteArrayView)> out)
    : m_out(std::move(out))
{
}

void PdfFontTags::write(QByteArrayView bytes)
{
    m_pending.append(bytes);
    if (!m_inCrossReference)
        process(false);
}

void PdfFontTags::finish()
{
    if (!m_inCrossReference)
        process(true);
    if (m_inCrossReference) {
        m_out(correctedCrossReference(m_pending));
        m_pending.clear();
    } else if (!m_pending.isEmpty()) {
        m_out(m_pending);
        m_pending.clear();
    }
}

void PdfFontTags::process(bool atEnd)
{
    qsizetype from = 0;
    qsizetype keepFrom = -1; // a name that goes on in the next write starts its marker here
    for (;;) {
        const qsizetype fontName = m_pending.indexOf(kFontName, from);
        const qsizetype baseFont = m_pending.indexOf(kBaseFont, from);
        const qsizetype xref = m_pending.indexOf(kCrossReference, from);
        qsizetype next = -1;
        for (qsizetype at : { fontName, baseFont, xref })
            if (at >= 0 && (next < 0 || at < next))
                next = at;
        if (next < 0)
            break;
        if (next == xref) {
            // The cross-reference section and the trailer are held and corrected at the end.
            const qsizetype start = xref + 1;
            m_out(QByteArrayView(m_pending).first(start));
            m_passed += start;
            m_pending.remove(0, start);
            m_inCrossReference = true;
            return;
        }
        const qsizetype nameAt = next + kFontName.size(); // both markers have the same length
        qsizetype end = nameAt;
        while (end < m_pending.size() && !endsName(m_pending.at(end)))
            ++end;
        if (end == m_pending.size() && !atEnd) {
            keepFrom = next; // the name goes on in the next write
            break;
        }
        const QByteArray name = m_pending.mid(nameAt, end - nameAt);
        if (next == fontName) {
            const qsizetype plus = name.indexOf('+');
            if (plus == 6)
                m_tags.insert(name.mid(plus + 1), name.left(plus + 1));
        } else if (const auto tag = m_tags.constFind(name); tag != m_tags.cend() && !name.contains('+')) {
            m_out(QByteArrayView(m_pending).first(nameAt));
            m_out(*tag);
            m_inserted.emplace_back(m_passed + nameAt, tag->size());
            m_passed += nameAt;
            m_pending.remove(0, nameAt);
            from = 0;
            continue;
        }
        from = end;
    }
    const qsizetype keep = atEnd ? 0
        : keepFrom >= 0          ? m_pending.size() - keepFrom
                                 : std::min(m_pending.size(), kLookBehind);
    const qsizetype pass = m_pending.size() - keep;
    if (pass > 0) {
        m_out(QByteArrayView(m_pending).first(pass));
        m_passed += pass;
        m_pending.remove(0, pass);
    }
}

qint64 PdfFontTags::shifted(qint64 offset) const
{
    qint64 added = 0;
    for (const auto& [at, size] : m_inserted)
        if (at <= offset)
            added += size;
    return offset + added;
}

// Every "nnnnnnnnnn ggggg n" entry and the startxref value, moved by the
// bytes added before them.
QByteArray PdfFontTags::correctedCrossReference(const QByteArray& section) const
{
    if (m_inserted.empty())
        return section;
    QByteArray out;
    out.reserve(section.size());
    const QList<QByteArray> lines = section.split('\n');
    bool startNext = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        if (startNext) {
            bool ok = false;
            const qint64 value = line.trimmed().toLongLong(&ok);
            if (ok)
                line = QByteArray::number(shifted(value));
            startNext = false;
        } else if (line.startsWith("startxref")) {
            startNext = true;
        } else if (line.size() >= 18 && line.at(10) == ' ' && line.at(16) == ' ' && line.at(17) == 'n') {
            bool ok = false;
            const qint64 value = line.left(10).toLongLong(&ok);
            if (ok)
                line.replace(0, 10, QByteArray::number(shifted(value)).rightJustified(10, '0'));
        }
        out += line;
        if (i + 1 < lines.size())
            out += '\n';
    }
    return out;
}
