#include "office/word_document.h"

#include "files/atomic_file.h"
#include "office/recent_values.h"
#include "office/xml_bytes.h"
#include "office/zip_stream.h"

#include <QBuffer>
#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <functional>
#include <utility>

namespace {

using CharFormat = TypedDocument::CharFormat;
using Paragraph = TypedDocument::Paragraph;
using Run = TypedDocument::Run;

const char kW[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char kR[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const QString kRelBase = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships/");
const QString kContentBase = QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");
const char kPackageRelationships[] = "http://schemas.openxmlformats.org/package/2006/relationships";
const char kDrawing[] = "http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing";
const char kDrawingMain[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
const char kPicture[] = "http://schemas.openxmlformats.org/drawingml/2006/picture";

const char* alignmentValue(int alignment)
{
    switch (alignment) {
    case TypedDocument::Centre:
        return "center";
    case TypedDocument::Right:
        return "right";
    case TypedDocument::Justify:
        return "both";
    default:
        return "left";
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
const QString kDefaultFont = TypedDocument::defaultFontName();
constexpr double kDefaultSize = TypedDocument::kDefaultFontSize;

// Run properties, or nothing when the format is the default one. With
// `full` every property is written (for the document defaults).
void writeRunFormat(XmlBytes& x, const CharFormat& f, bool full = false)
{
    const bool font = !f.fontName.isEmpty() && (full || f.fontName != kDefaultFont);
    const bool size = f.fontSize > 0 && (full || f.fontSize != kDefaultSize);
    if (!font && !size && !f.bold && !f.italic && !f.underline && f.color == 0)
        return;
    x.element("w:rPr");
    if (font) {
        x.element("w:rFonts");
        x.attribute("w:ascii", f.fontName);
        x.attribute("w:hAnsi", f.fontName);
        x.attribute("w:cs", f.fontName);
        x.end("w:rFonts");
    }
    if (f.bold) {
        x.element("w:b");
        x.end("w:b");
    }
    if (f.italic) {
        x.element("w:i");
        x.end("w:i");
    }
    if (f.color != 0) {
        x.element("w:color");
        x.attribute("w:val", rgbHex(f.color));
        x.end("w:color");
    }
    if (size) {
        const long long halfPoints = std::llround(f.fontSize * 2);
        x.element("w:sz");
        x.attribute("w:val", halfPoints);
        x.end("w:sz");
        x.element("w:szCs");
        x.attribute("w:val", halfPoints);
        x.end("w:szCs");
    }
    if (f.underline) {
        x.element("w:u");
        x.attribute("w:val", "single");
        x.end("w:u");
    }
    x.end("w:rPr");
}

// Paragraph properties, or nothing when all are the defaults.
void writeParagraphFormat(XmlBytes& x, const Paragraph& p)
{
    const bool props = !p.format.tabStops.empty() || p.format.indentSteps > 0
        || p.format.alignment != TypedDocument::Left || p.runs.empty() || p.format.keepWithNext;
    if (!props)
        return;
    x.element("w:pPr");
    if (p.format.keepWithNext) {
        x.element("w:keepNext");
        x.end("w:keepNext");
    }
    if (!p.format.tabStops.empty()) {
        x.element("w:tabs");
        for (int pos : p.format.tabStops) {
            x.element("w:tab");
            x.attribute("w:val", "left");
            x.attribute("w:pos", pos);
            x.end("w:tab");
        }
        x.end("w:tabs");
    }
    if (p.format.indentSteps > 0) {
        x.element("w:ind");
        x.attribute("w:left", p.format.indentSteps * TypedDocument::kIndentStep);
        x.end("w:ind");
    }
    if (p.format.alignment != TypedDocument::Left) {
        x.element("w:jc");
        x.attribute("w:val", alignmentValue(p.format.alignment));
        x.end("w:jc");
    }
    // The mark's formatting gives an empty paragraph its height.
    if (p.runs.empty())
        writeRunFormat(x, p.markFormat);
    x.end("w:pPr");
}

// An XML fragment, for the formats' cache.
QByteArray xmlOf(const std::function<void(XmlBytes&)>& write)
{
    QByteArray bytes;
    XmlBytes x(bytes);
    write(x);
    return bytes;
}

struct ParagraphKey {
    TypedDocument::ParagraphFormat format;
    CharFormat mark; // only of an empty paragraph
    bool empty = false;
    bool operator==(const ParagraphKey&) const = default;
};

struct FormatXml {
    RecentValues<CharFormat, QByteArray> runs;
    RecentValues<ParagraphKey, QByteArray> paragraphs;
};

// The images of the document's pictures, as PNG, in the order they come.
using Images = std::vector<QByteArray>;

constexpr double kPictureDpi = 300;
constexpr long long kEmuPerPoint = 12700;
constexpr long long kPictureGap = 9 * kEmuPerPoint; // between a picture and the text beside it

QByteArray pngOf(const TypedDocument::Picture& picture)
{
    const QSizeF points = picture.size();
    QImage image(
        QSize(int(std::ceil(points.width() * kPictureDpi / 72)), int(std::ceil(points.height() * kPictureDpi / 72))),
        QImage::Format_ARGB32_Premultiplied);
    image.setDotsPerMeterX(int(std::lround(kPictureDpi / 0.0254)));
    image.setDotsPerMeterY(int(std::lround(kPictureDpi / 0.0254)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        // Drawn in points, as on a PDF page.
        painter.scale(kPictureDpi / 72, kPictureDpi / 72);
        picture.draw(painter, QRectF(QPointF(0, 0), points));
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QString imageId(size_t number)
{
    return QStringLiteral("rIdImage%1").arg(number);
}

// A picture floating at the right margin, level with its paragraph's top,
// text wrapping on its left.
void writePicture(XmlBytes& x, const TypedDocument::Picture& picture, size_t number)
{
    const QSizeF points = picture.size();
    const long long cx = std::llround(points.width() * kEmuPerPoint);
    const long long cy = std::llround(points.height() * kEmuPerPoint);
    x.element("w:drawing");
    x.element("wp:anchor");
    x.attribute("distT", "0");
    x.attribute("distB", "0");
    x.attribute("distL", kPictureGap);
    x.attribute("distR", "0");
    x.attribute("simplePos", "0");
    x.attribute("relativeHeight", "1");
    x.attribute("behindDoc", "0");
    x.attribute("locked", "0");
    x.attribute("layoutInCell", "1");
    x.attribute("allowOverlap", "0");
    x.element("wp:simplePos");
    x.attribute("x", "0");
    x.attribute("y", "0");
    x.end("wp:simplePos");
    x.element("wp:positionH");
    x.attribute("relativeFrom", "margin");
    x.element("wp:align");
    x.text(u"right");
    x.end("wp:align");
    x.end("wp:positionH");
    x.element("wp:positionV");
    x.attribute("relativeFrom", "paragraph");
    x.element("wp:posOffset");
    x.text(u"0");
    x.end("wp:posOffset");
    x.end("wp:positionV");
    x.element("wp:extent");
    x.attribute("cx", cx);
    x.attribute("cy", cy);
    x.end("wp:extent");
    x.element("wp:effectExtent");
    for (const char* side : { "l", "t", "r", "b" })
        x.attribute(side, "0");
    x.end("wp:effectExtent");
    x.element("wp:wrapSquare");
    x.attribute("wrapText", "left");
    x.end("wp:wrapSquare");
    x.element("wp:docPr");
    x.attribute("id", static_cast<long long>(number));
    x.attribute("name", QStringLiteral("Picture %1").arg(number));
    x.attribute("descr", picture.description());
    x.end("wp:docPr");
    x.element("a:graphic");
    x.attribute("xmlns:a", kDrawingMain);
    x.element("a:graphicData");
    x.attribute("uri", kPicture);
    x.element("pic:pic");
    x.attribute("xmlns:pic", kPicture);
    x.element("pic:nvPicPr");
    x.element("pic:cNvPr");
    x.attribute("id", static_cast<long long>(number));
    x.attribute("name", QStringLiteral("image%1.png").arg(number));
    x.end("pic:cNvPr");
    x.element("pic:cNvPicPr");
    x.end("pic:cNvPicPr");
    x.end("pic:nvPicPr");
    x.element("pic:blipFill");
    x.element("a:blip");
    x.attribute("r:embed", imageId(number));
    x.end("a:blip");
    x.element("a:stretch");
    x.element("a:fillRect");
    x.end("a:fillRect");
    x.end("a:stretch");
    x.end("pic:blipFill");
    x.element("pic:spPr");
    x.element("a:xfrm");
    x.element("a:off");
    x.attribute("x", "0");
    x.attribute("y", "0");
    x.end("a:off");
    x.element("a:ext");
    x.attribute("cx", cx);
    x.attribute("cy", cy);
    x.end("a:ext");
    x.end("a:xfrm");
    x.element("a:prstGeom");
    x.attribute("prst", "rect");
    x.element("a:avLst");
    x.end("a:avLst");
    x.end("a:prstGeom");
    x.end("pic:spPr");
    x.end("pic:pic");
    x.end("a:graphicData");
    x.end("a:graphic");
    x.end("wp:anchor");
    x.end("w:drawing");
}

// Blanks at either end, or two in a row, must be kept as typed.
bool needsPreserve(QStringView t)
{
    return t.startsWith(u' ') || t.endsWith(u' ') || t.contains(QLatin1String("  "));
}

void writeParagraph(XmlBytes& x, const Paragraph& p, FormatXml& formats, Images* images = nullptr)
{
    x.element("w:p");
    const ParagraphKey key { p.format, p.runs.empty() ? p.markFormat : CharFormat {}, p.runs.empty() };
    x.raw(formats.paragraphs.get(key, [&] { return xmlOf([&](XmlBytes& f) { writeParagraphFormat(f, p); }); }));
    for (const Run& run : p.runs) {
        if (run.kind == Run::PageNumber) {
            x.element("w:fldSimple");
            x.attribute("w:instr", " PAGE ");
            x.element("w:r");
            x.element("w:t");
            x.text(u"1");
            x.end("w:t");
            x.end("w:r");
            x.end("w:fldSimple");
            continue;
        }
        x.element("w:r");
        if (run.kind == Run::Picture) {
            if (images && run.picture) {
                images->push_back(pngOf(*run.picture));
                writePicture(x, *run.picture, images->size());
            }
            x.end("w:r");
            continue;
        }
        if (run.kind == Run::PageBreak) {
            x.element("w:br");
            x.attribute("w:type", "page");
            x.end("w:br");
            x.end("w:r");
            continue;
        }
        x.raw(formats.runs.get(run.format, [&] { return xmlOf([&](XmlBytes& f) { writeRunFormat(f, run.format); }); }));
        const QStringView text = run.text;
        qsizetype start = 0;
        for (;;) {
            const qsizetype tab = text.indexOf(u'\t', start);
            const QStringView piece = text.mid(start, (tab < 0 ? text.size() : tab) - start);
            if (!piece.isEmpty()) {
                x.element("w:t");
                if (needsPreserve(piece))
                    x.attribute("xml:space", "preserve");
                x.text(piece);
                x.end("w:t");
            }
            if (tab < 0)
                break;
            x.element("w:tab");
            x.end("w:tab");
            start = tab + 1;
        }
        x.end("w:r");
    }
    x.end("w:p");
}

// A whole part: the declaration, then the body.
QByteArray xmlPart(const std::function<void(XmlBytes&)>& body)
{
    return xmlOf([&](XmlBytes& x) {
        x.declaration();
        body(x);
    });
}

// The root element of a WordprocessingML part, with its two namespaces.
void wordRoot(XmlBytes& x, const char* root)
{
    x.element(root);
    x.attribute("xmlns:w", kW);
    x.attribute("xmlns:r", kR);
}

QByteArray storyXml(const char* root, const TypedDocument::Story& story)
{
    return xmlPart([&](XmlBytes& x) {
        FormatXml formats;
        wordRoot(x, root);
        for (const Paragraph& p : story)
            writeParagraph(x, p, formats);
        if (story.empty())
            writeParagraph(x, {}, formats);
        x.end(root);
    });
}

void emptyElement(XmlBytes& x, const char* name, std::initializer_list<std::pair<const char*, QString>> attributes)
{
    x.element(name);
    for (const auto& [attribute, value] : attributes)
        x.attribute(attribute, value);
    x.end(name);
}

QByteArray stylesXml()
{
    return xmlPart([&](XmlBytes& x) {
        wordRoot(x, "w:styles");
        x.element("w:docDefaults");
        x.element("w:rPrDefault");
        CharFormat base;
        base.fontName = kDefaultFont;
        base.fontSize = kDefaultSize;
        writeRunFormat(x, base, true);
        x.end("w:rPrDefault");
        x.element("w:pPrDefault");
        x.element("w:pPr");
        emptyElement(x, "w:spacing",
            { { "w:before", QStringLiteral("0") }, { "w:after", QStringLiteral("0") },
                { "w:line", QStringLiteral("240") }, { "w:lineRule", QStringLiteral("auto") } });
        x.end("w:pPr");
        x.end("w:pPrDefault");
        x.end("w:docDefaults");
        x.element("w:style");
        x.attribute("w:type", "paragraph");
        x.attribute("w:default", "1");
        x.attribute("w:styleId", "Normal");
        emptyElement(x, "w:name", { { "w:val", QStringLiteral("Normal") } });
        x.end("w:style");
        x.end("w:styles");
    });
}

QByteArray settingsXml()
{
    return xmlPart([&](XmlBytes& x) {
        wordRoot(x, "w:settings");
        emptyElement(x, "w:defaultTabStop", { { "w:val", QString::number(TypedDocument::kDefaultTabStop) } });
        x.end("w:settings");
    });
}

// The package's core properties: the document's title and author.
QByteArray corePropertiesXml(const QString& title, const QString& author)
{
    return xmlPart([&](XmlBytes& x) {
        x.element("cp:coreProperties");
        x.attribute("xmlns:cp", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties");
        x.attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
        x.attribute("xmlns:dcterms", "http://purl.org/dc/terms/");
        x.attribute("xmlns:xsi", "http://www.w3.org/2001/XMLSchema-instance");
        const std::pair<const char*, QString> values[] = { { "dc:title", title }, { "dc:creator", author } };
        for (const auto& [name, value] : values) {
            x.element(name);
            x.text(value);
            x.end(name);
        }
        x.element("dcterms:created");
        x.attribute("xsi:type", "dcterms:W3CDTF");
        x.text(QDateTime::currentDateTimeUtc().toString(Qt::ISODate));
        x.end("dcterms:created");
        x.end("cp:coreProperties");
    });
}

struct Relationship {
    QString id, type, target;
};

QByteArray relationshipsXml(const std::vector<Relationship>& relationships)
{
    return xmlPart([&](XmlBytes& x) {
        x.element("Relationships");
        x.attribute("xmlns", kPackageRelationships);
        for (const Relationship& r : relationships)
            emptyElement(x, "Relationship",
                { { "Id", r.id }, { "Type", r.type.startsWith(QLatin1String("http")) ? r.type : kRelBase + r.type },
                    { "Target", r.target } });
        x.end("Relationships");
    });
}

// Part names and the content type (after the common prefix) of each.
QByteArray contentTypesXml(const std::vector<std::pair<QString, QString>>& overrides)
{
    return xmlPart([&](XmlBytes& x) {
        x.element("Types");
        x.attribute("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
        emptyElement(x, "Default",
            { { "Extension", QStringLiteral("rels") },
                { "ContentType", QStringLiteral("application/vnd.openxmlformats-package.relationships+xml") } });
        emptyElement(x, "Default",
            { { "Extension", QStringLiteral("xml") }, { "ContentType", QStringLiteral("application/xml") } });
        emptyElement(
            x, "Default", { { "Extension", QStringLiteral("png") }, { "ContentType", QStringLiteral("image/png") } });
        for (const auto& [part, kind] : overrides)
            emptyElement(x, "Override",
                { { "PartName", part },
                    { "ContentType", kind.startsWith(QLatin1String("application/")) ? kind : kContentBase + kind } });
        x.end("Types");
    });
}

constexpr qsizetype kHandOn = 64 * 1024; // XML gathered before it is compressed

}

struct WordDocument::Output {
    explicit Output(const QString& path)
        : file(path)
        , zip(file.tempPath(), path)
        , xml(body)
    {
    }
    // Hands the XML gathered so far on to the zip; with `all` false only
    // once enough has gathered to be worth compressing.
    void handOn(bool all)
    {
        if (body.size() < (all ? 1 : kHandOn))
            return;
        zip.write(body);
        body.resize(0); // keeps the room for the next block
    }

    AtomicFile::Replacement file;
    ZipStream zip;
    QByteArray body;
    XmlBytes xml;
    FormatXml formats;
    Images images;
};

WordDocument::WordDocument(const QString& path)
    : m_out(std::make_unique<Output>(path))
{
    m_out->body.reserve(kHandOn + 4096);
    m_out->zip.beginPart(QStringLiteral("word/document.xml"));
    XmlBytes& x = m_out->xml;
    x.declaration();
    wordRoot(x, "w:document");
    x.attribute("xmlns:wp", kDrawing);
    x.element("w:body");
}

WordDocument::~WordDocument() = default;

void WordDocument::writeParagraph(const Paragraph& paragraph)
{
    ::writeParagraph(m_out->xml, paragraph, m_out->formats, &m_out->images);
    m_out->handOn(false);
}

void WordDocument::writeEnd()
{
    const bool hasHeader = !header().empty();
    const bool hasFooter = !footer().empty();
    const bool titlePage = firstPageDiffers();

    XmlBytes& x = m_out->xml;
    x.element("w:sectPr");
    auto reference = [&](const char* kind, const char* type, const char* id) {
        emptyElement(x, kind, { { "w:type", QString::fromLatin1(type) }, { "r:id", QString::fromLatin1(id) } });
    };
    if (hasHeader) {
        reference("w:headerReference", "default", "rIdHeader1");
        if (titlePage)
            reference("w:headerReference", "first", "rIdHeader2");
    }
    if (hasFooter) {
        reference("w:footerReference", "default", "rIdFooter1");
        if (titlePage)
            reference("w:footerReference", "first", "rIdFooter2");
    }
    x.element("w:pgSz");
    x.attribute("w:w", landscape() ? "16838" : "11906");
    x.attribute("w:h", landscape() ? "11906" : "16838");
    if (landscape())
        x.attribute("w:orient", "landscape");
    x.end("w:pgSz");
    // Three-quarter-inch side margins leave room for a 100-character rule in
    // 14-point type on a landscape page.
    emptyElement(x, "w:pgMar",
        { { "w:top", QStringLiteral("1440") }, { "w:right", QStringLiteral("1080") },
            { "w:bottom", QStringLiteral("1440") }, { "w:left", QStringLiteral("1080") },
            { "w:header", QStringLiteral("720") }, { "w:footer", QStringLiteral("720") },
            { "w:gutter", QStringLiteral("0") } });
    if (titlePage)
        emptyElement(x, "w:titlePg", {});
    x.end("w:sectPr");
    x.end("w:body");
    x.end("w:document");
    m_out->handOn(true);
    ZipStream& zip = m_out->zip;
    zip.endPart();

    std::vector<std::pair<QString, QString>> overrides {
        { QStringLiteral("/word/document.xml"), QStringLiteral("document.main+xml") },
        { QStringLiteral("/word/styles.xml"), QStringLiteral("styles+xml") },
        { QStringLiteral("/word/settings.xml"), QStringLiteral("settings+xml") },
    };
    std::vector<Relationship> relationships {
        { QStringLiteral("rIdStyles"), QStringLiteral("styles"), QStringLiteral("styles.xml") },
        { QStringLiteral("rIdSettings"), QStringLiteral("settings"), QStringLiteral("settings.xml") },
    };
    auto addStory = [&](const QString& file, const char* kind, const QString& id, const QByteArray& xml) {
        overrides.emplace_back(QStringLiteral("/word/") + file, QString::fromLatin1(kind) + QStringLiteral("+xml"));
        relationships.push_back({ id, QString::fromLatin1(kind), file });
        zip.addPart(QStringLiteral("word/") + file, xml);
    };
    if (hasHeader) {
        const QByteArray xml = storyXml("w:hdr", header());
        addStory(QStringLiteral("header1.xml"), "header", QStringLiteral("rIdHeader1"), xml);
        if (titlePage)
            addStory(QStringLiteral("header2.xml"), "header", QStringLiteral("rIdHeader2"),
                storyXml("w:hdr", firstPageHeader()));
    }
    if (hasFooter) {
        addStory(QStringLiteral("footer1.xml"), "footer", QStringLiteral("rIdFooter1"), storyXml("w:ftr", footer()));
        if (titlePage)
            addStory(QStringLiteral("footer2.xml"), "footer", QStringLiteral("rIdFooter2"),
                storyXml("w:ftr", firstPageFooter()));
    }
    for (size_t i = 0; i < m_out->images.size(); ++i) {
        const QString name = QStringLiteral("media/image%1.png").arg(i + 1);
        relationships.push_back({ imageId(i + 1), QStringLiteral("image"), name });
        zip.addPart(QStringLiteral("word/") + name, m_out->images[i]);
    }
    zip.addPart(QStringLiteral("word/styles.xml"), stylesXml());
    zip.addPart(QStringLiteral("word/settings.xml"), settingsXml());
    zip.addPart(QStringLiteral("word/_rels/document.xml.rels"), relationshipsXml(relationships));
    std::vector<Relationship> packageRelationships { { QStringLiteral("rId1"), QStringLiteral("officeDocument"),
        QStringLiteral("word/document.xml") } };
    if (!title().isEmpty() || !author().isEmpty()) {
        packageRelationships.push_back({ QStringLiteral("rId2"),
            QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties"),
            QStringLiteral("docProps/core.xml") });
        overrides.emplace_back(QStringLiteral("/docProps/core.xml"),
            QStringLiteral("application/vnd.openxmlformats-package.core-properties+xml"));
        zip.addPart(QStringLiteral("docProps/core.xml"), corePropertiesXml(title(), author()));
    }
    zip.addPart(QStringLiteral("_rels/.rels"), relationshipsXml(packageRelationships));
    zip.addPart(QStringLiteral("[Content_Types].xml"), contentTypesXml(overrides));
    zip.finish();
    m_out->file.commit();
}
