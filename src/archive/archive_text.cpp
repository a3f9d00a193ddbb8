#include "archive/archive_text.h"

#include "archive/code_page_1252.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype kScanPiece = 1024 * 1024;
const QByteArray kMark("\xEF\xBB\xBF");

bool isContinuation(unsigned char b)
{
    return (b & 0xC0) == 0x80;
}

// Where the first sequence that is not UTF-8 (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF) begins, or -1. A sequence cut by the
// end of the bytes is not counted as broken when `more` says text follows;
// *whole then tells where the whole sequences end.
qsizetype firstInvalidUtf8(QByteArrayView bytes, bool more, qsizetype* whole = nullptr)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        // Eight bytes at a time while they are ASCII, as most text is.
        if (n - i >= 8) {
            quint64 word;
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ull) == 0) {
                i += 8;
                continue;
            }
        }
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned char low = 0x80, high = 0xBF; // range of the second byte
        if (b >= 0xC2 && b <= 0xDF)
            length = 2;
        else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0;
            else if (b == 0xED)
                high = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;
            else if (b == 0xF4)
                high = 0x8F;
        } else
            return i;
        for (int k = 1; k < length; ++k) {
            if (i + k >= n) {
                if (more) {
                    if (whole)
                        *whole = i;
                    return -1;
                }
                return i;
            }
            const unsigned char c = p[i + k];
            if (k == 1 ? (c < low || c > high) : !isContinuation(c))
                return i;
        }
        i += length;
    }
    if (whole)
        *whole = n;
    return -1;
}

}

bool ArchiveText::isUtf8(QByteArrayView bytes)
{
    return firstInvalidUtf8(bytes, false) < 0;
}

QString ArchiveText::where(const QString& fileName)
{
    return fileName.isEmpty() ? QStringLiteral("The archive")
                              : QStringLiteral("The archive '%1'").arg(QDir::toNativeSeparators(fileName));
}

ArchiveText::ArchiveText(QIODevice& device, const QString& fileName)
    : m_device(device)
    , m_fileName(fileName)
{
    QByteArray head = readRaw(3);
    if (head == kMark) {
        m_encoding = Encoding::Utf8Marked;
        return;
    }
    // Without a mark the whole file decides: it is UTF-8 only when every
    // byte of it is.
    bool ascii = true;
    bool utf8 = true;
    QByteArray carry = head;
    for (;;) {
        QByteArray piece = readRaw(kScanPiece);
        const bool more = !piece.isEmpty() && !m_device.atEnd();
        piece.prepend(carry);
        carry.clear();
        if (ascii && CodePage1252::isAscii(piece)) {
            if (!more)
                break;
            continue;
        }
        ascii = false;
        qsizetype whole = piece.size();
        if (firstInvalidUtf8(piece, more, &whole) >= 0) {
            utf8 = false;
            break;
        }
        if (!more)
            break;
        carry = piece.mid(whole);
    }
    m_encoding = ascii ? Encoding::Ascii : utf8 ? Encoding::Utf8 : Encoding::CodePage1252;
    if (!m_device.seek(0))
        throw QuarrixError(QStringLiteral("Cannot read the file '%1': %2")
                               .arg(QDir::toNativeSeparators(m_fileName), m_device.errorString()));
}

QByteArray ArchiveText::readRaw(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    const qint64 got = m_device.read(bytes.data(), size);
    if (got < 0)
        throw QuarrixError(QStringLiteral("Cannot read the file '%1': %2")
                               .arg(QDir::toNativeSeparators(m_fileName), m_device.errorString()));
    bytes.truncate(got);
    return bytes;
}

void ArchiveText::countLines(QByteArrayView piece)
{
    const qsizetype lastEnd = piece.lastIndexOf('\n');
    m_lines += std::count(piece.begin(), piece.end(), '\n');
    const QByteArrayView tail = lastEnd < 0 ? piece : piece.sliced(lastEnd + 1);
    qint64 characters = tail.size();
    if (m_encoding == Encoding::Utf8 || m_encoding == Encoding::Utf8Marked)
        characters = std::count_if(
            tail.begin(), tail.end(), [](char c) { return !isContinuation(static_cast<unsigned char>(c)); });
    m_column = lastEnd < 0 ? m_column + characters : characters;
}

void ArchiveText::refuse(QByteArrayView piece, qsizetype at) const
{
    const QByteArrayView before = piece.first(at);
    const qsizetype lastEnd = before.lastIndexOf('\n');
    const qint64 line = m_lines + std::count(before.begin(), before.end(), '\n') + 1;
    const QByteArrayView tail = lastEnd < 0 ? before : before.sliced(lastEnd + 1);
    const bool utf8 = m_encoding != Encoding::CodePage1252;
    qint64 column = utf8
        ? std::count_if(tail.begin(), tail.end(), [](char c) { return !isContinuation(static_cast<unsigned char>(c)); })
        : tail.size();
    if (lastEnd < 0)
        column += m_column;
    const QString encoding = m_encoding == Encoding::Utf8Marked
        ? QStringLiteral("UTF-8 (it begins with the UTF-8 mark)")
        : utf8 ? QStringLiteral("UTF-8")
               : QStringLiteral("Windows-1252 (it is not valid UTF-8)");
    throw QuarrixError(QStringLiteral("%1, line %2, column %3: the byte 0x%4 is not valid in %5, the encoding the file "
                                      "is read in. Nothing of it was loaded.")
                           .arg(where(m_fileName), QString::number(line), QString::number(column + 1),
                               QString::number(static_cast<unsigned char>(piece[at]), 16).toUpper(), encoding));
}

QByteArray ArchiveText::next(qsizetype atLeast)
{
    for (;;) {
        const bool more = !m_carry.isEmpty() || !m_device.atEnd();
        QByteArray piece = decodeNext(atLeast);
        // A piece made only of a cut sequence's start waits for the rest.
        if (!piece.isEmpty() || !more || m_carry.isEmpty())
            return piece;
    }
}

QByteArray ArchiveText::decodeNext(qsizetype atLeast)
{
    QByteArray piece = readRaw(atLeast);
    const bool more = !piece.isEmpty() && !m_device.atEnd();
    if (!m_carry.isEmpty()) {
        piece.prepend(m_carry);
        m_carry.clear();
    }
    switch (m_encoding) {
    case Encoding::Ascii:
        break;
    case Encoding::CodePage1252: {
        const qsizetype at = CodePage1252::firstUndefined(piece);
        if (at >= 0)
            refuse(piece, at);
        countLines(piece);
        return CodePage1252::toUtf8(piece);
    }
    case Encoding::Utf8:
    case Encoding::Utf8Marked: {
        qsizetype whole = piece.size();
        const qsizetype at = firstInvalidUtf8(piece, more, &whole);
        if (at >= 0)
            refuse(piece, at);
        if (whole < piece.size()) {
            m_carry = piece.mid(whole);
            piece.truncate(whole);
        }
        break;
    }
    }
    countLines(piece);
    return piece;
}
