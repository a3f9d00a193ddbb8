#include "archive/code_page_1252.h"

#include <algorithm>
#include <cstring>

namespace {

// Characters of the bytes 0x80 to 0x9F; everything else is the Latin-1 code point.
constexpr char16_t kHigh[32] = { 0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
    0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178 };

bool undefinedByte(unsigned char b)
{
    return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

// The byte of a character, or -1 when the code page has none. The bytes it
// leaves undefined are written by nobody: a text needing them is not encoded.
int byteOf(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c && !undefinedByte(0x80 + i))
            return 0x80 + i;
    return -1;
}

// Encodes into out, which has room for text.size() bytes; a character
// without a byte becomes '?'. Returns whether every character had one.
bool encodeInto(QStringView text, char* out)
{
    const char16_t* p = text.utf16();
    const qsizetype n = text.size();
    bool all = true;
    qsizetype i = 0;
    while (i < n) {
        // Four characters at a time while they are ASCII, as most text is.
        quint64 four = 0;
        if (i + 4 <= n && (std::memcpy(&four, p + i, sizeof four), (four & 0xFF80FF80FF80FF80ull) == 0)) {
            for (int k = 0; k < 4; ++k, ++i)
                out[i] = char(p[i]);
            continue;
        }
        const int b = byteOf(p[i]);
        all = all && b >= 0;
        out[i++] = b < 0 ? '?' : char(b);
    }
    return all;
}

}

namespace CodePage1252 {

bool canEncode(QStringView text)
{
    for (QChar c : text)
        if (byteOf(c.unicode()) < 0)
            return false;
    return true;
}

QByteArray encode(QStringView text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    encodeInto(text, out.data());
    return out;
}

bool tryEncode(QStringView text, QByteArray* out)
{
    out->resize(text.size());
    return encodeInto(text, out->data());
}

QString decode(QByteArrayView bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *p++ = QChar(b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b));
    }
    return out;
}

qsizetype firstUndefined(QByteArrayView bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i)
        if (undefinedByte(static_cast<unsigned char>(bytes[i])))
            return i;
    return -1;
}

bool isAscii(QByteArrayView bytes)
{
    // Eight bytes at a time: a file's worth of text is checked in a fraction
    // of the time it takes to read it.
    const char* p = bytes.data();
    const char* end = p + bytes.size();
    quint64 high = 0;
    for (; end - p >= 64; p += 64) {
        for (int k = 0; k < 8; ++k) {
            quint64 word;
            std::memcpy(&word, p + 8 * k, sizeof word);
            high |= word;
        }
        if (high & 0x8080808080808080ull)
            return false;
    }
    for (; p != end; ++p)
        high |= static_cast<unsigned char>(*p);
    return (high & 0x8080808080808080ull) == 0;
}

QByteArray toUtf8(QByteArrayView bytes)
{
    const auto ascii = [](char ch) { return static_cast<unsigned char>(ch) < 0x80; };
    const char* firstHigh = std::find_if_not(bytes.begin(), bytes.end(), ascii);
    if (firstHigh == bytes.end())
        return bytes.toByteArray();
    // A character of the code page takes at most three bytes in UTF-8.
    QByteArray out(bytes.size() * 3, Qt::Uninitialized);
    const qsizetype head = firstHigh - bytes.begin();
    std::memcpy(out.data(), bytes.data(), size_t(head));
    char* o = out.data() + head;
    for (const char* p = firstHigh; p != bytes.end(); ++p) {
        const auto b = static_cast<unsigned char>(*p);
        const char16_t c = b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t(b);
        if (c < 0x80) {
            *o++ = char(c);
        } else if (c < 0x800) {
            *o++ = char(0xC0 | (c >> 6));
            *o++ = char(0x80 | (c & 0x3F));
        } else {
            *o++ = char(0xE0 | (c >> 12));
            *o++ = char(0x80 | ((c >> 6) & 0x3F));
            *o++ = char(0x80 | (c & 0x3F));
        }
    }
    out.truncate(o - out.data());
    return out;
}

}
