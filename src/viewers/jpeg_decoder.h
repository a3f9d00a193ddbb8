#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes a JPEG image with libjpeg. A damaged image gives a null QImage and
// a message in *error; it never ends the process.
QImage decodeJpeg(const QByteArray& data, QString* error = nullptr);
