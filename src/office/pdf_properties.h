#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// A PDF's title and author. Qt's PDF writer sets the title but has no author,
// so the finished file gets an incremental update: a new document information
// dictionary naming both, which readers take in place of the first. The XMP
// metadata, which some readers prefer, says the same.
namespace PdfProperties {

// The XMP metadata packet for the writer.
QByteArray xmp(const QString& title, const QString& author, const QString& tool);

// The bytes to append to a complete PDF of fileSize bytes whose last bytes
// are `tail` (its trailer and startxref among them); empty when the tail
// cannot be read as such.
QByteArray infoUpdate(
    QByteArrayView tail, qint64 fileSize, const QString& title, const QString& author, const QString& tool);

}
