#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file as a whole or not at all: the bytes go to a temporary file
// in the same folder, which is flushed to disk and then renamed over the
// target. On any failure the old file (if any) is untouched, the temporary
// file is removed and a QuarrixError naming the file is raised.
namespace AtomicFile {
void write(const QString& path, const QByteArray& bytes);
}
