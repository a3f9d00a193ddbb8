#include "xls_builder.h"

#include <QtEndian>
#include <cstring>

namespace XlsBuilder {

QByteArray u16(int value)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(quint16(value), b.data());
    return b;
}

QByteArray u32(quint32 value)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(value, b.data());
    return b;
}

QByteArray f64(double value)
{
    QByteArray b(8, '\0');
    qToLittleEndian<double>(value, b.data());
    return b;
}

QByteArray record(int type, const QByteArray& body)
{
    return u16(type) + u16(int(body.size())) + body;
}

QByteArray chars(const QString& text, bool wide)
{
    QByteArray b(1, wide ? '\x01' : '\x00');
    for (QChar c : text)
        b += wide ? u16(c.unicode()) : QByteArray(1, char(c.unicode()));
    return b;
}

QByteArray bof(bool globals, int version)
{
    return record(0x0809, u16(version) + u16(globals ? 0x0005 : 0x0010) + QByteArray(12, '\0'));
}

QByteArray eof()
{
    return record(0x000A, {});
}

QByteArray workbookStream(const std::vector<Sheet>& sheets, int activeTab, const QByteArray& globals, int version)
{
    const bool unicode = version == 0x0600;
    auto boundSheet = [&](const Sheet& s, quint32 offset) {
        QByteArray name = unicode ? chars(s.name, false) : s.name.toLatin1();
        return record(0x0085,
            u32(offset) + QByteArray(1, '\0') + QByteArray(1, char(s.type)) + QByteArray(1, char(s.name.size()))
                + name);
    };
    const QByteArray window1 = record(0x003D, QByteArray(10, '\0') + u16(activeTab) + QByteArray(6, '\0'));
    // The offsets depend on the globals' length, which does not depend on the offsets.
    QByteArray head = bof(true, version) + window1 + globals;
    qsizetype length = head.size() + eof().size();
    for (const Sheet& s : sheets)
        length += boundSheet(s, 0).size();
    QByteArray bodies;
    for (const Sheet& s : sheets) {
        head += boundSheet(s, quint32(length + bodies.size()));
        bodies += bof(false, version) + s.records + eof();
    }
    return head + eof() + bodies;
}

QByteArray compoundFile(QByteArray stream)
{
    // Streams under 4096 bytes would live in the mini stream; padding after
    // the last EOF record is never read.
    if (stream.size() < 4096)
        stream += QByteArray(4096 - stream.size(), '\0');
    const quint32 streamSize = quint32(stream.size());
    stream += QByteArray((512 - stream.size() % 512) % 512, '\0');
    const quint32 streamSectors = quint32(stream.size() / 512);
    Q_ASSERT(streamSectors + 2 <= 128); // one FAT sector

    QByteArray header(512, '\0');
    const unsigned char magic[8] = { 0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1 };
    std::memcpy(header.data(), magic, 8);
    auto put16 = [&](int at, int v) { qToLittleEndian<quint16>(quint16(v), header.data() + at); };
    auto put32 = [&](int at, quint32 v) { qToLittleEndian<quint32>(v, header.data() + at); };
    put16(24, 0x003E);
    put16(26, 3);
    put16(28, 0xFFFE);
    put16(30, 9);
    put16(32, 6);
    put32(44, 1); // FAT sectors
    put32(48, 1); // first directory sector
    put32(56, 4096);
    put32(60, 0xFFFFFFFE);
    put32(68, 0xFFFFFFFE);
    for (int i = 0; i < 109; ++i)
        put32(76 + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);

    QByteArray fat;
    fat += u32(0xFFFFFFFD) + u32(0xFFFFFFFE); // the FAT itself, the directory
    for (quint32 s = 0; s < streamSectors; ++s)
        fat += u32(s + 1 < streamSectors ? s + 3 : 0xFFFFFFFE);
    while (fat.size() < 512)
        fat += u32(0xFFFFFFFF);

    auto entry = [](const QString& name, int type, quint32 start, quint32 size, quint32 child) {
        QByteArray e(128, '\0');
        for (int i = 0; i < name.size(); ++i)
            qToLittleEndian<quint16>(name[i].unicode(), e.data() + 2 * i);
        qToLittleEndian<quint16>(quint16(2 * (name.size() + 1)), e.data() + 64);
        e[66] = char(type);
        qToLittleEndian<quint32>(0xFFFFFFFF, e.data() + 68);
        qToLittleEndian<quint32>(0xFFFFFFFF, e.data() + 72);
        qToLittleEndian<quint32>(child, e.data() + 76);
        qToLittleEndian<quint32>(start, e.data() + 116);
        qToLittleEndian<quint32>(size, e.data() + 120);
        return e;
    };
    QByteArray directory = entry(QStringLiteral("Root Entry"), 5, 0xFFFFFFFE, 0, 1)
        + entry(QStringLiteral("Workbook"), 2, 2, streamSize, 0xFFFFFFFF);
    directory += QByteArray(512 - directory.size(), '\0');
    return header + fat + directory + stream;
}

}
