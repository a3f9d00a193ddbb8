#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// The Windows-1252 code page, in which archives were written before Quarrix
// could write UTF-8. decode() maps every byte to one character: the five bytes
// the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) to the control
// characters of the same number. The encoders give those characters no byte,
// and an archive holding one of the bytes is refused (firstUndefined()).
namespace CodePage1252 {
// True when every character of the text has a byte in the code page.
bool canEncode(QStringView text);
// The position of the first byte the code page leaves undefined, or -1.
qsizetype firstUndefined(QByteArrayView bytes);
// Encodes the text; a character without a byte becomes '?'. Check canEncode
// first where that matters.
QByteArray encode(QStringView text);
// Encodes the text into out in one pass; false when a character has no byte
// (out then holds '?' for it).
bool tryEncode(QStringView text, QByteArray* out);
QString decode(QByteArrayView bytes);
// True when every byte is ASCII, which reads the same in the code page and in UTF-8.
bool isAscii(QByteArrayView bytes);
// Decodes the bytes straight to UTF-8.
QByteArray toUtf8(QByteArrayView bytes);
}
