#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

// The text of an archive file in UTF-8, read a piece at a time so that a
// file of any size is never held whole.
//
// The encoding is chosen once for the whole file: UTF-8 behind a byte-order
// mark; UTF-8 when the file is valid UTF-8 (it then holds bytes above 0x7F,
// or it is ASCII, which reads the same either way); otherwise Windows-1252.
// A byte sequence that is not valid in the chosen encoding (a broken UTF-8
// sequence, or a byte Windows-1252 leaves undefined) raises QuarrixError
// naming the file, its line and column.
class ArchiveText {
public:
    enum class Encoding { Ascii, Utf8, Utf8Marked, CodePage1252 };

    // Reads from device, which is open and stays so while this lives; for a
    // file without a mark the device is read through once to choose the
    // encoding, then from its start again. fileName is for messages.
    ArchiveText(QIODevice& device, const QString& fileName);

    Encoding encoding() const { return m_encoding; }

    // The next piece of text, of about `atLeast` bytes or more, ending on a
    // whole character; empty at the end of the file. Raises QuarrixError at a
    // byte that is not valid in the encoding or when the device fails.
    QByteArray next(qsizetype atLeast);

    // Whether the bytes are UTF-8 as this reader judges it.
    static bool isUtf8(QByteArrayView bytes);

    // "The archive 'NAME'" (or "The archive" without a name), for messages.
    static QString where(const QString& fileName);

private:
    QByteArray readRaw(qsizetype size);
    QByteArray decodeNext(qsizetype atLeast);
    [[noreturn]] void refuse(QByteArrayView piece, qsizetype at) const;
    void countLines(QByteArrayView piece);

    QIODevice& m_device;
    QString m_fileName;
    Encoding m_encoding = Encoding::Ascii;
    QByteArray m_carry; // the start of a UTF-8 sequence the last piece cut
    qint64 m_lines = 0; // line ends before the piece being read
    qint64 m_column = 0; // characters after the last line end, before the piece
};
