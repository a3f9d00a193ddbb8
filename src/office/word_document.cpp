#include "office/word_document.h"

#include "files/atomic_file.h"
#include "store/quarrix_error.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <cmath>
#include <functional>
#include <zip.h>

namespace {

const QString kW = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString kR = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
const QString kRelBase = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
const char kContentBase[] = "application/vnd.openxmlformats-officedocument.wordprocessingml.";

// Characters XML 1.0 cannot carry become U+FFFD, so a stray control
// character in stored text cannot make the package unreadable.
QString xmlSafe(const QString& text)
{
    auto bad = [](const QString& t, qsizetype i) {
        const char16_t c = t.at(i).unicode();
        if (c >= 0x20 && c < 0xD800)
            return false;
        if (QChar::isHighSurrogate(c))
            return !(i + 1 < t.size() && QChar::isLowSurrogate(t.at(i + 1).unicode()));
        if (QChar::isLowSurrogate(c))
            return !(i > 0 && QChar::isHighSurrogate(t.at(i - 1).unicode()));
        return (c < 0x20 && c != u'\t' && c != u'\n' && c != u'\r') || c == 0xFFFE || c == 0xFFFF;
    };
    qsizetype i = 0;
    while (i < text.size() && !bad(text, i))
        ++i;
    if (i == text.size())
        return text;
    QString out = text;
    for (; i < out.size(); ++i)
        if (bad(text, i))
            out[i] = QChar(0xFFFD);
    return out;
}

QString alignmentValue(int alignment)
{
    switch (alignment) {
    case WordDocument::Centre:
        return QStringLiteral("center");
    case WordDocument::Right:
        return QStringLiteral("right");
    case WordDocument::Justify:
        return QStringLiteral("both");
    default:
        return QStringLiteral("left");
    }
}

// The word processor's colour value holds red in the low byte.
QString rgbHex(int wordColor)
{
    const unsigned v = unsigned(wordColor) & 0xFFFFFFu;
    const unsigned red = v & 0xFF, green = (v >> 8) & 0xFF, blue = (v >> 16) & 0xFF;
    return QStringLiteral("%1%2%3")
        .arg(red, 2, 16, QLatin1Char('0'))
        .arg(green, 2, 16, QLatin1Char('0'))
        .arg(blue, 2, 16, QLatin1Char('0'))
        .toUpper();
}

// The document's default font, set once in the styles part; runs name a
// font or size only where they differ from it, which keeps large documents
// compact.
const QString kDefaultFont = QStringLiteral("Times New Roman");
constexpr double kDefaultSize = 12;

// Run properties, or nothing when the format is the default one. With
// `full` every property is written (for the document defaults).
void writeRunFormat(QXmlStreamWriter& w, const WordDocument::CharFormat& f, bool full = false)
{
    const bool font = !f.fontName.isEmpty() && (full || f.fontName != kDefaultFont);
    const bool size = f.fontSize > 0 && (full || f.fontSize != kDefaultSize);
    if (!font && !size && !f.bold && !f.italic && !f.underline && f.color == 0)
        return;
    w.writeStartElement(QStringLiteral("w:rPr"));
    if (font) {
        w.writeStartElement(QStringLiteral("w:rFonts"));
        const QString name = xmlSafe(f.fontName);
        w.writeAttribute(QStringLiteral("w:ascii"), name);
        w.writeAttribute(QStringLiteral("w:hAnsi"), name);
        w.writeAttribute(QStringLiteral("w:cs"), name);
        w.writeEndElement();
    }
    if (f.bold)
        w.writeEmptyElement(QStringLiteral("w:b"));
    if (f.italic)
        w.writeEmptyElement(QStringLiteral("w:i"));
    if (f.color != 0) {
        w.writeEmptyElement(QStringLiteral("w:color"));
        w.writeAttribute(QStringLiteral("w:val"), rgbHex(f.color));
    }
    if (size) {
        const QString halfPoints = QString::number(std::lround(f.fontSize * 2));
        w.writeEmptyElement(QStringLiteral("w:sz"));
        w.writeAttribute(QStringLiteral("w:val"), halfPoints);
        w.writeEmptyElement(QStringLiteral("w:szCs"));
        w.writeAttribute(QStringLiteral("w:val"), halfPoints);
    }
    if (f.underline) {
        w.writeEmptyElement(QStringLiteral("w:u"));
        w.writeAttribute(QStringLiteral("w:val"), QStringLiteral("single"));
    }
    w.writeEndElement();
}

// Blanks at either end, or two in a row, must be kept as typed.
bool needsPreserve(const QString& t)
{
    return t.startsWith(u' ') || t.endsWith(u' ') || t.contains(QLatin1String("  "));
}

QByteArray xmlPart(const std::function<void(QXmlStreamWriter&)>& body)
{
    QString text;
    QXmlStreamWriter w(&text);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    body(w);
    w.writeEndDocument();
    // The declaration written into a string names no encoding; the part is UTF-8.
    return text
        .replace(0, text.indexOf(QLatin1String("?>")) + 2,
            QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"))
        .toUtf8();
}

void relationship(QXmlStreamWriter& w, const QString& id, const QString& type, const QString& target)
{
    w.writeEmptyElement(QStringLiteral("Relationship"));
    w.writeAttribute(QStringLiteral("Id"), id);
    w.writeAttribute(QStringLiteral("Type"), type);
    w.writeAttribute(QStringLiteral("Target"), target);
}

// Builds a zip archive in memory from named parts.
QByteArray zipParts(const std::vector<std::pair<QString, QByteArray>>& parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    if (!buffer)
        throw QuarrixError(
            QStringLiteral("Cannot build the document: %1").arg(QString::fromUtf8(zip_error_strerror(&error))));
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!archive) {
        const QString message = QString::fromUtf8(zip_error_strerror(&error));
        zip_source_free(buffer);
        throw QuarrixError(QStringLiteral("Cannot build the document: %1").arg(message));
    }
    zip_source_keep(buffer);
    auto fail = [&](const QString& message) {
        zip_discard(archive);
        zip_source_free(buffer);
        throw QuarrixError(QStringLiteral("Cannot build the document: %1").arg(message));
    };
    // The part buffers are read at zip_close(); `parts` outlives it.
    for (const auto& [name, data] : parts) {
        zip_source_t* source = zip_source_buffer(archive, data.constData(), zip_uint64_t(data.size()), 0);
        if (!source)
            fail(QString::fromUtf8(zip_strerror(archive)));
        if (zip_file_add(archive, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(source);
            fail(QString::fromUtf8(zip_strerror(archive)));
        }
    }
    if (zip_close(archive) < 0)
        fail(QString::fromUtf8(zip_strerror(archive)));

    QByteArray out;
    zip_stat_t st;
    if (zip_source_open(buffer) < 0 || zip_source_stat(buffer, &st) < 0) {
        zip_source_free(buffer);
        throw QuarrixError(QStringLiteral("Cannot build the document."));
    }
    out.resize(qsizetype(st.size));
    const zip_int64_t read = zip_source_read(buffer, out.data(), st.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    if (read != zip_int64_t(st.size))
        throw QuarrixError(QStringLiteral("Cannot build the document."));
    return out;
}

}

WordDocument::WordDocument()
{
    m_body.paragraphs.emplace_back();
}

void WordDocument::setFontName(const QString& name)
{
    m_format.fontName = name;
}
void WordDocument::setFontSize(double points)
{
    m_format.fontSize = points;
}
void WordDocument::setBold(bool on)
{
    m_format.bold = on;
}
void WordDocument::setItalic(bool on)
{
    m_format.italic = on;
}
void WordDocument::setUnderline(bool on)
{
    m_format.underline = on;
}
void WordDocument::setColor(int wordColor)
{
    m_format.color = wordColor;
}

void WordDocument::setAlignment(int alignment)
{
    current().format.alignment = alignment;
}

void WordDocument::indent()
{
    ++current().format.indentSteps;
}

void WordDocument::outdent()
{
    int& steps = current().format.indentSteps;
    if (steps > 0)
        --steps;
}

void WordDocument::clearTabStops()
{
    current().format.tabStops.clear();
}

void WordDocument::addTabStop(double points)
{
    const int twips = int(std::lround(points * 20));
    std::vector<int>& stops = current().format.tabStops;
    const auto at = std::lower_bound(stops.begin(), stops.end(), twips);
    if (at == stops.end() || *at != twips)
        stops.insert(at, twips);
}

void WordDocument::appendText(Paragraph& p, const CharFormat& format, const QString& text)
{
    if (text.isEmpty())
        return;
    if (!p.runs.empty() && p.runs.back().kind == Run::Text && p.runs.back().format == format) {
        p.runs.back().text += text;
        return;
    }
    p.runs.push_back({ Run::Text, format, text });
}

void WordDocument::endParagraph(Story& story)
{
    Paragraph next;
    next.format = story.paragraphs.back().format;
    next.markFormat = story.paragraphs.back().markFormat;
    story.paragraphs.push_back(std::move(next));
}

void WordDocument::type(Story& story, const QString& text, const CharFormat& format)
{
    if (story.paragraphs.empty())
        story.paragraphs.emplace_back();
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        appendText(story.paragraphs.back(), format, text.mid(start, i - start));
        story.paragraphs.back().markFormat = format;
        endParagraph(story);
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    appendText(story.paragraphs.back(), format, text.mid(start));
    story.paragraphs.back().markFormat = format;
}

void WordDocument::typeText(const QString& text)
{
    type(m_body, text, m_format);
}

void WordDocument::typeParagraph()
{
    current().markFormat = m_format;
    endParagraph(m_body);
}

void WordDocument::insertPageBreak()
{
    current().runs.push_back({ Run::PageBreak, m_format, {} });
    current().markFormat = m_format;
    endParagraph(m_body);
}

void WordDocument::setHeaderText(const QString& text)
{
    m_header.paragraphs.clear();
    type(m_header, text, CharFormat {});
}

void WordDocument::insertAfterHeader(const QString& text)
{
    type(m_header, text, CharFormat {});
}

void WordDocument::addPageNumbers(int alignment, bool firstPage)
{
    if (m_footerText.paragraphs.empty())
        m_footerText.paragraphs.emplace_back();
    Paragraph& last = m_footerText.paragraphs.back();
    last.runs.push_back({ Run::PageNumber, CharFormat {}, {} });
    last.format.alignment = alignment;
    m_pageNumbers = true;
    m_numberFirstPage = firstPage;
}

void WordDocument::insertBeforeFooter(const QString& text)
{
    Story inserted;
    type(inserted, text, CharFormat {});
    if (m_footerText.paragraphs.empty()) {
        m_footerText = std::move(inserted);
        return;
    }
    // The last inserted piece joins the footer's first paragraph, which keeps
    // its own paragraph settings.
    Paragraph& joined = m_footerText.paragraphs.front();
    std::vector<Run> runs = std::move(inserted.paragraphs.back().runs);
    runs.insert(runs.end(), joined.runs.begin(), joined.runs.end());
    joined.runs = std::move(runs);
    inserted.paragraphs.pop_back();
    m_footerText.paragraphs.insert(
        m_footerText.paragraphs.begin(), inserted.paragraphs.begin(), inserted.paragraphs.end());
}

void WordDocument::setFooterAlignment(int alignment)
{
    for (Paragraph& p : m_footerText.paragraphs)
        p.format.alignment = alignment;
}

void WordDocument::writeParagraphs(QXmlStreamWriter& w, const Story& story)
{
    // Names carry the "w" prefix the part's root declares.
    for (const Paragraph& p : story.paragraphs) {
        w.writeStartElement(QStringLiteral("w:p"));
        const bool props
            = !p.format.tabStops.empty() || p.format.indentSteps > 0 || p.format.alignment != Left || p.runs.empty();
        if (props) {
            w.writeStartElement(QStringLiteral("w:pPr"));
            if (!p.format.tabStops.empty()) {
                w.writeStartElement(QStringLiteral("w:tabs"));
                for (int pos : p.format.tabStops) {
                    w.writeEmptyElement(QStringLiteral("w:tab"));
                    w.writeAttribute(QStringLiteral("w:val"), QStringLiteral("left"));
                    w.writeAttribute(QStringLiteral("w:pos"), QString::number(pos));
                }
                w.writeEndElement();
            }
            if (p.format.indentSteps > 0) {
                w.writeEmptyElement(QStringLiteral("w:ind"));
                w.writeAttribute(QStringLiteral("w:left"), QString::number(p.format.indentSteps * kIndentStep));
            }
            if (p.format.alignment != Left) {
                w.writeEmptyElement(QStringLiteral("w:jc"));
                w.writeAttribute(QStringLiteral("w:val"), alignmentValue(p.format.alignment));
            }
            // The mark's formatting gives an empty paragraph its height.
            if (p.runs.empty())
                writeRunFormat(w, p.markFormat);
            w.writeEndElement(); // pPr
        }
        for (const Run& run : p.runs) {
            if (run.kind == Run::PageNumber) {
                w.writeStartElement(QStringLiteral("w:fldSimple"));
                w.writeAttribute(QStringLiteral("w:instr"), QStringLiteral(" PAGE "));
                w.writeStartElement(QStringLiteral("w:r"));
                w.writeTextElement(QStringLiteral("w:t"), QStringLiteral("1"));
                w.writeEndElement();
                w.writeEndElement();
                continue;
            }
            w.writeStartElement(QStringLiteral("w:r"));
            if (run.kind == Run::PageBreak) {
                w.writeEmptyElement(QStringLiteral("w:br"));
                w.writeAttribute(QStringLiteral("w:type"), QStringLiteral("page"));
                w.writeEndElement();
                continue;
            }
            writeRunFormat(w, run.format);
            qsizetype start = 0;
            for (;;) {
                const qsizetype tab = run.text.indexOf(QLatin1Char('\t'), start);
                const QString piece = run.text.mid(start, (tab < 0 ? run.text.size() : tab) - start);
                if (!piece.isEmpty()) {
                    w.writeStartElement(QStringLiteral("w:t"));
                    if (needsPreserve(piece))
                        w.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
                    w.writeCharacters(xmlSafe(piece));
                    w.writeEndElement();
                }
                if (tab < 0)
                    break;
                w.writeEmptyElement(QStringLiteral("w:tab"));
                start = tab + 1;
            }
            w.writeEndElement(); // r
        }
        w.writeEndElement(); // p
    }
}

QByteArray WordDocument::storyXml(const char* root, const Story& story, bool withPageNumber) const
{
    Story copy;
    const Story* s = &story;
    if (!withPageNumber) {
        copy = story;
        for (Paragraph& p : copy.paragraphs)
            std::erase_if(p.runs, [](const Run& r) { return r.kind == Run::PageNumber; });
        s = &copy;
    }
    if (s->paragraphs.empty()) {
        copy.paragraphs.emplace_back();
        s = &copy;
    }
    return xmlPart([&](QXmlStreamWriter& w) {
        w.writeNamespace(kW, QStringLiteral("w"));
        w.writeNamespace(kR, QStringLiteral("r"));
        w.writeStartElement(kW, QString::fromLatin1(root));
        writeParagraphs(w, *s);
        w.writeEndElement();
    });
}

QByteArray WordDocument::documentXml() const
{
    const bool hasHeader = !m_header.paragraphs.empty();
    const bool hasFooter = !m_footerText.paragraphs.empty();
    const bool titlePage = m_pageNumbers && !m_numberFirstPage;
    return xmlPart([&](QXmlStreamWriter& w) {
        w.writeNamespace(kW, QStringLiteral("w"));
        w.writeNamespace(kR, QStringLiteral("r"));
        w.writeStartElement(kW, QStringLiteral("document"));
        w.writeStartElement(kW, QStringLiteral("body"));
        writeParagraphs(w, m_body);
        w.writeStartElement(kW, QStringLiteral("sectPr"));
        auto reference = [&](const char* kind, const char* type, const char* id) {
            w.writeEmptyElement(kW, QString::fromLatin1(kind));
            w.writeAttribute(kW, QStringLiteral("type"), QString::fromLatin1(type));
            w.writeAttribute(kR, QStringLiteral("id"), QString::fromLatin1(id));
        };
        if (hasHeader) {
            reference("headerReference", "default", "rIdHeader1");
            if (titlePage)
                reference("headerReference", "first", "rIdHeader2");
        }
        if (hasFooter) {
            reference("footerReference", "default", "rIdFooter1");
            if (titlePage)
                reference("footerReference", "first", "rIdFooter2");
        }
        w.writeEmptyElement(kW, QStringLiteral("pgSz"));
        w.writeAttribute(kW, QStringLiteral("w"), m_landscape ? QStringLiteral("16838") : QStringLiteral("11906"));
        w.writeAttribute(kW, QStringLiteral("h"), m_landscape ? QStringLiteral("11906") : QStringLiteral("16838"));
        if (m_landscape)
            w.writeAttribute(kW, QStringLiteral("orient"), QStringLiteral("landscape"));
        w.writeEmptyElement(kW, QStringLiteral("pgMar"));
        // Three-quarter-inch side margins leave room for a 100-character
        // rule in 14-point type on a landscape page.
        w.writeAttribute(kW, QStringLiteral("top"), QStringLiteral("1440"));
        w.writeAttribute(kW, QStringLiteral("right"), QStringLiteral("1080"));
        w.writeAttribute(kW, QStringLiteral("bottom"), QStringLiteral("1440"));
        w.writeAttribute(kW, QStringLiteral("left"), QStringLiteral("1080"));
        w.writeAttribute(kW, QStringLiteral("header"), QStringLiteral("720"));
        w.writeAttribute(kW, QStringLiteral("footer"), QStringLiteral("720"));
        w.writeAttribute(kW, QStringLiteral("gutter"), QStringLiteral("0"));
        if (titlePage)
            w.writeEmptyElement(kW, QStringLiteral("titlePg"));
        w.writeEndElement(); // sectPr
        w.writeEndElement(); // body
        w.writeEndElement(); // document
    });
}

QByteArray WordDocument::toDocx() const
{
    const bool hasHeader = !m_header.paragraphs.empty();
    const bool hasFooter = !m_footerText.paragraphs.empty();
    const bool titlePage = m_pageNumbers && !m_numberFirstPage;

    std::vector<std::pair<QString, QByteArray>> parts;
    std::vector<std::pair<QString, QString>> overrides { { QStringLiteral("/word/document.xml"),
                                                             QStringLiteral("document.main+xml") },
        { QStringLiteral("/word/styles.xml"), QStringLiteral("styles+xml") },
        { QStringLiteral("/word/settings.xml"), QStringLiteral("settings+xml") } };
    struct Rel {
        QString id, type, target;
    };
    std::vector<Rel> rels { { QStringLiteral("rIdStyles"), QStringLiteral("styles"), QStringLiteral("styles.xml") },
        { QStringLiteral("rIdSettings"), QStringLiteral("settings"), QStringLiteral("settings.xml") } };
    std::vector<std::pair<QString, QByteArray>> stories;
    auto addStory = [&](const QString& file, const char* kind, const QString& id, QByteArray xml) {
        overrides.emplace_back(QStringLiteral("/word/") + file, QString::fromLatin1(kind) + QStringLiteral("+xml"));
        rels.push_back({ id, QString::fromLatin1(kind), file });
        stories.emplace_back(QStringLiteral("word/") + file, std::move(xml));
    };
    if (hasHeader) {
        addStory(
            QStringLiteral("header1.xml"), "header", QStringLiteral("rIdHeader1"), storyXml("hdr", m_header, false));
        if (titlePage)
            addStory(QStringLiteral("header2.xml"), "header", QStringLiteral("rIdHeader2"),
                storyXml("hdr", m_header, false));
    }
    if (hasFooter) {
        addStory(
            QStringLiteral("footer1.xml"), "footer", QStringLiteral("rIdFooter1"), storyXml("ftr", m_footerText, true));
        if (titlePage)
            addStory(QStringLiteral("footer2.xml"), "footer", QStringLiteral("rIdFooter2"),
                storyXml("ftr", m_footerText, false));
    }

    parts.emplace_back(QStringLiteral("[Content_Types].xml"), xmlPart([&](QXmlStreamWriter& w) {
        w.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types"));
        w.writeStartElement(QStringLiteral("Types"));
        w.writeEmptyElement(QStringLiteral("Default"));
        w.writeAttribute(QStringLiteral("Extension"), QStringLiteral("rels"));
        w.writeAttribute(
            QStringLiteral("ContentType"), QStringLiteral("application/vnd.openxmlformats-package.relationships+xml"));
        w.writeEmptyElement(QStringLiteral("Default"));
        w.writeAttribute(QStringLiteral("Extension"), QStringLiteral("xml"));
        w.writeAttribute(QStringLiteral("ContentType"), QStringLiteral("application/xml"));
        for (const auto& [part, kind] : overrides) {
            w.writeEmptyElement(QStringLiteral("Override"));
            w.writeAttribute(QStringLiteral("PartName"), part);
            w.writeAttribute(QStringLiteral("ContentType"), QString::fromLatin1(kContentBase) + kind);
        }
        w.writeEndElement();
    }));
    parts.emplace_back(QStringLiteral("_rels/.rels"), xmlPart([&](QXmlStreamWriter& w) {
        w.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
        w.writeStartElement(QStringLiteral("Relationships"));
        relationship(w, QStringLiteral("rId1"), kRelBase + QStringLiteral("officeDocument"),
            QStringLiteral("word/document.xml"));
        w.writeEndElement();
    }));
    parts.emplace_back(QStringLiteral("word/_rels/document.xml.rels"), xmlPart([&](QXmlStreamWriter& w) {
        w.writeDefaultNamespace(QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships"));
        w.writeStartElement(QStringLiteral("Relationships"));
        for (const Rel& r : rels)
            relationship(w, r.id, kRelBase + r.type, r.target);
        w.writeEndElement();
    }));
    parts.emplace_back(QStringLiteral("word/document.xml"), documentXml());
    parts.emplace_back(QStringLiteral("word/styles.xml"), xmlPart([&](QXmlStreamWriter& w) {
        w.writeNamespace(kW, QStringLiteral("w"));
        w.writeStartElement(kW, QStringLiteral("styles"));
        w.writeStartElement(kW, QStringLiteral("docDefaults"));
        w.writeStartElement(kW, QStringLiteral("rPrDefault"));
        CharFormat base;
        base.fontName = kDefaultFont;
        base.fontSize = kDefaultSize;
        writeRunFormat(w, base, true);
        w.writeEndElement();
        w.writeStartElement(kW, QStringLiteral("pPrDefault"));
        w.writeStartElement(kW, QStringLiteral("pPr"));
        w.writeEmptyElement(kW, QStringLiteral("spacing"));
        w.writeAttribute(kW, QStringLiteral("before"), QStringLiteral("0"));
        w.writeAttribute(kW, QStringLiteral("after"), QStringLiteral("0"));
        w.writeAttribute(kW, QStringLiteral("line"), QStringLiteral("240"));
        w.writeAttribute(kW, QStringLiteral("lineRule"), QStringLiteral("auto"));
        w.writeEndElement();
        w.writeEndElement();
        w.writeEndElement(); // docDefaults
        w.writeStartElement(kW, QStringLiteral("style"));
        w.writeAttribute(kW, QStringLiteral("type"), QStringLiteral("paragraph"));
        w.writeAttribute(kW, QStringLiteral("default"), QStringLiteral("1"));
        w.writeAttribute(kW, QStringLiteral("styleId"), QStringLiteral("Normal"));
        w.writeEmptyElement(kW, QStringLiteral("name"));
        w.writeAttribute(kW, QStringLiteral("val"), QStringLiteral("Normal"));
        w.writeEndElement();
        w.writeEndElement();
    }));
    parts.emplace_back(QStringLiteral("word/settings.xml"), xmlPart([&](QXmlStreamWriter& w) {
        w.writeNamespace(kW, QStringLiteral("w"));
        w.writeStartElement(kW, QStringLiteral("settings"));
        w.writeEmptyElement(kW, QStringLiteral("defaultTabStop"));
        w.writeAttribute(kW, QStringLiteral("val"), QString::number(kIndentStep));
        w.writeEndElement();
    }));
    for (auto& story : stories)
        parts.push_back(std::move(story));
    return zipParts(parts);
}

void WordDocument::save(const QString& path) const
{
    AtomicFile::write(path, toDocx());
}
