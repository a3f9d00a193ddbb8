#include "office/pdf_properties.h"

#include "office/xml_bytes.h"

#include <QDateTime>
#include <QRegularExpression>

namespace {

// A PDF text string in UTF-16 with its byte-order mark, as hexadecimal.
QByteArray pdfText(const QString& text)
{
    QByteArray bytes("<FEFF");
    for (const QChar c : text)
        bytes += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return bytes + '>';
}

void element(XmlBytes& x, const char* name, const QString& text)
{
    x.element(name);
    x.text(text);
    x.end(name);
}

}

namespace PdfProperties {

QByteArray xmp(const QString& title, const QString& author, const QString& tool)
{
    QByteArray out("<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n");
    XmlBytes x(out);
    x.element("x:xmpmeta");
    x.attribute("xmlns:x", "adobe:ns:meta/");
    x.element("rdf:RDF");
    x.attribute("xmlns:rdf", "http://www.w3.org/1999/02/22-rdf-syntax-ns#");
    x.element("rdf:Description");
    x.attribute("rdf:about", "");
    x.attribute("xmlns:dc", "http://purl.org/dc/elements/1.1/");
    x.attribute("xmlns:xmp", "http://ns.adobe.com/xap/1.0/");
    x.attribute("xmlns:pdf", "http://ns.adobe.com/pdf/1.3/");
    x.element("dc:title");
    x.element("rdf:Alt");
    x.element("rdf:li");
    x.attribute("xml:lang", "x-default");
    x.text(title);
    x.end("rdf:li");
    x.end("rdf:Alt");
    x.end("dc:title");
    x.element("dc:creator");
    x.element("rdf:Seq");
    element(x, "rdf:li", author);
    x.end("rdf:Seq");
    x.end("dc:creator");
    element(x, "xmp:CreatorTool", tool);
    element(x, "pdf:Producer", tool);
    x.end("rdf:Description");
    x.end("rdf:RDF");
    x.end("x:xmpmeta");
    out += "\n<?xpacket end=\"w\"?>";
    return out;
}

QByteArray infoUpdate(
    QByteArrayView tail, qint64 fileSize, const QString& title, const QString& author, const QString& tool)
{
    const QString text = QString::fromLatin1(tail);
    const qsizetype trailerAt = text.lastIndexOf(QLatin1String("trailer"));
    if (trailerAt < 0)
        return {};
    const QString trailer = text.mid(trailerAt);
    static const QRegularExpression size(QStringLiteral("/Size\\s+(\\d+)"));
    static const QRegularExpression root(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
    static const QRegularExpression start(QStringLiteral("startxref\\s+(\\d+)"));
    const QRegularExpressionMatch sizeMatch = size.match(trailer);
    const QRegularExpressionMatch rootMatch = root.match(trailer);
    const QRegularExpressionMatch startMatch = start.match(trailer);
    if (!sizeMatch.hasMatch() || !rootMatch.hasMatch() || !startMatch.hasMatch())
        return {};
    const qint64 object = sizeMatch.captured(1).toLongLong();

    QByteArray update("\n");
    const qint64 objectAt = fileSize + update.size();
    update += QByteArray::number(object) + " 0 obj\n<<\n/Title " + pdfText(title) + "\n/Author " + pdfText(author)
        + "\n/Creator " + pdfText(tool) + "\n/Producer " + pdfText(tool) + "\n/CreationDate (D:"
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)\n>>\nendobj\n";
    const qint64 xrefAt = fileSize + update.size();
    update += "xref\n" + QByteArray::number(object) + " 1\n" + QByteArray::number(objectAt).rightJustified(10, '0')
        + " 00000 n\r\n";
    update += "trailer\n<<\n/Size " + QByteArray::number(object + 1) + "\n/Root " + rootMatch.captured(1).toLatin1()
        + "\n/Info " + QByteArray::number(object) + " 0 R\n/Prev " + startMatch.captured(1).toLatin1()
        + "\n>>\nstartxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return update;
}

}
