#include "docx_reader.h"

#include <QXmlStreamReader>
#include <zip.h>

QString DocxParagraph::text() const
{
    QString out;
    for (const DocxRun& r : runs)
        out += r.text;
    return out;
}

QByteArray Docx::part(const QString& path, const QString& name)
{
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    QByteArray bytes;
    zip_stat_t st;
    if (zip_stat(archive, name.toUtf8().constData(), 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(archive, name.toUtf8().constData(), 0)) {
            bytes.resize(qsizetype(st.size));
            if (zip_fread(f, bytes.data(), st.size) != zip_int64_t(st.size))
                bytes.clear();
            zip_fclose(f);
        }
    }
    zip_close(archive);
    return bytes;
}

namespace {

bool onOff(const QXmlStreamReader& x)
{
    const auto v = x.attributes().value(QStringLiteral("w:val"));
    return v.isEmpty() || (v != u"0" && v != u"false");
}

std::vector<DocxParagraph> parseParagraphs(const QByteArray& xml, QString* error)
{
    std::vector<DocxParagraph> out;
    QXmlStreamReader x(xml);
    DocxParagraph* p = nullptr;
    DocxRun run;
    bool inRun = false, inRunProps = false, inParaProps = false, inText = false, inField = false;
    while (!x.atEnd()) {
        x.readNext();
        const QString name = x.qualifiedName().toString();
        if (x.isStartElement()) {
            if (name == u"w:p") {
                out.emplace_back();
                p = &out.back();
            } else if (name == u"w:pPr") {
                inParaProps = true;
            } else if (name == u"w:fldSimple") {
                inField = true;
                if (p) {
                    DocxRun number;
                    number.text = QStringLiteral("#");
                    p->runs.push_back(number);
                }
            } else if (name == u"w:r" && !inField) {
                inRun = true;
                run = DocxRun {};
            } else if (name == u"w:rPr" && inRun) {
                inRunProps = true;
            } else if (inRunProps) {
                if (name == u"w:rFonts")
                    run.font = x.attributes().value(QStringLiteral("w:ascii")).toString();
                else if (name == u"w:sz")
                    run.size = x.attributes().value(QStringLiteral("w:val")).toDouble() / 2;
                else if (name == u"w:b")
                    run.bold = onOff(x);
                else if (name == u"w:i")
                    run.italic = onOff(x);
                else if (name == u"w:u")
                    run.underline = x.attributes().value(QStringLiteral("w:val")) != u"none";
                else if (name == u"w:color")
                    run.color = x.attributes().value(QStringLiteral("w:val")).toString();
            } else if (inParaProps && p) {
                if (name == u"w:jc")
                    p->alignment = x.attributes().value(QStringLiteral("w:val")).toString();
                else if (name == u"w:ind")
                    p->indent = x.attributes().value(QStringLiteral("w:left")).toInt();
                else if (name == u"w:tab")
                    p->tabStops.push_back(x.attributes().value(QStringLiteral("w:pos")).toInt());
                else if (name == u"w:keepNext")
                    p->keepWithNext = true;
            } else if (inRun) {
                if (name == u"w:t")
                    inText = true;
                else if (name == u"w:tab")
                    run.text += QLatin1Char('\t');
                else if (name == u"w:br")
                    run.text += x.attributes().value(QStringLiteral("w:type")) == u"page" ? QLatin1Char('\f')
                                                                                          : QLatin1Char('\n');
            }
        } else if (x.isCharacters() && inText) {
            run.text += x.text();
        } else if (x.isEndElement()) {
            if (name == u"w:t")
                inText = false;
            else if (name == u"w:rPr")
                inRunProps = false;
            else if (name == u"w:pPr")
                inParaProps = false;
            else if (name == u"w:fldSimple")
                inField = false;
            else if (name == u"w:r" && inRun) {
                inRun = false;
                if (p)
                    p->runs.push_back(run);
            }
        }
    }
    if (x.hasError() && error)
        *error = x.errorString();
    return out;
}

QString relTarget(const QByteArray& rels, const QString& id)
{
    QXmlStreamReader x(rels);
    while (!x.atEnd()) {
        x.readNext();
        if (x.isStartElement() && x.name() == u"Relationship" && x.attributes().value(QStringLiteral("Id")) == id)
            return x.attributes().value(QStringLiteral("Target")).toString();
    }
    return {};
}

}

Docx Docx::read(const QString& path)
{
    Docx d;
    int error = 0;
    zip_t* archive = zip_open(path.toUtf8().constData(), ZIP_RDONLY, &error);
    if (!archive) {
        d.error = QStringLiteral("not a zip package");
        return d;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i)
        d.partNames << QString::fromUtf8(zip_get_name(archive, zip_uint64_t(i), 0));
    zip_close(archive);

    const QByteArray document = part(path, QStringLiteral("word/document.xml"));
    if (document.isEmpty()) {
        d.error = QStringLiteral("no word/document.xml");
        return d;
    }
    d.body = parseParagraphs(document, &d.error);
    // The section properties name the header and footer parts.
    const QByteArray rels = part(path, QStringLiteral("word/_rels/document.xml.rels"));
    QXmlStreamReader x(document);
    while (!x.atEnd()) {
        x.readNext();
        if (!x.isStartElement())
            continue;
        const QString name = x.qualifiedName().toString();
        if (name == u"w:pgSz") {
            d.landscape = x.attributes().value(QStringLiteral("w:orient")) == u"landscape";
        } else if (name == u"w:titlePg") {
            d.titlePage = true;
        } else if (name == u"w:headerReference" || name == u"w:footerReference") {
            const QString target = relTarget(rels, x.attributes().value(QStringLiteral("r:id")).toString());
            const QByteArray xml = part(path, QStringLiteral("word/") + target);
            const bool first = x.attributes().value(QStringLiteral("w:type")) == u"first";
            auto paragraphs = parseParagraphs(xml, &d.error);
            if (name == u"w:headerReference")
                (first ? d.firstHeader : d.header) = paragraphs;
            else if (name == u"w:footerReference")
                (first ? d.firstFooter : d.footer) = paragraphs;
        }
    }
    // Runs without their own font or size take the document defaults, and
    // paragraphs without an alignment are left-aligned, as a reader shows them.
    QString defaultFont;
    double defaultSize = 0;
    QXmlStreamReader styles(part(path, QStringLiteral("word/styles.xml")));
    bool inDefaults = false;
    while (!styles.atEnd()) {
        styles.readNext();
        const QString name = styles.qualifiedName().toString();
        if (name == u"w:rPrDefault")
            inDefaults = styles.isStartElement();
        else if (inDefaults && styles.isStartElement() && name == u"w:rFonts")
            defaultFont = styles.attributes().value(QStringLiteral("w:ascii")).toString();
        else if (inDefaults && styles.isStartElement() && name == u"w:sz")
            defaultSize = styles.attributes().value(QStringLiteral("w:val")).toDouble() / 2;
    }
    for (auto* story : { &d.body, &d.header, &d.footer, &d.firstHeader, &d.firstFooter })
        for (DocxParagraph& p : *story) {
            if (p.alignment.isEmpty())
                p.alignment = QStringLiteral("left");
            for (DocxRun& r : p.runs) {
                if (r.font.isEmpty())
                    r.font = defaultFont;
                if (r.size == 0)
                    r.size = defaultSize;
            }
        }
    d.ok = d.error.isEmpty();
    return d;
}

QString Docx::text(const std::vector<DocxParagraph>& paragraphs)
{
    QStringList lines;
    for (const DocxParagraph& p : paragraphs)
        lines << p.text();
    return lines.join(QLatin1Char('\n'));
}

int Docx::find(const QString& text, int from) const
{
    for (int i = from; i < int(body.size()); ++i)
        if (body[size_t(i)].text() == text)
            return i;
    return -1;
}
