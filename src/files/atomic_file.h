#pragma once

#include <QByteArray>
#include <QString>

// Files replaced as a whole or not at all. The new content goes to a
// temporary file beside the target (named after the target and the writing
// process), which is synced to disk and then renamed over the target; on any
// failure the old file (if any) is untouched and the temporary file is
// removed. A temporary left behind by a killed process is removed by the next
// write to the same target.
namespace AtomicFile {

// Writes bytes to path. Raises QuarrixError naming the file and the system's
// reason ("No space left on device") when it cannot.
void write(const QString& path, const QByteArray& bytes);

// A file written in pieces: write() appends to the temporary file, or a
// library that opens the file itself writes into tempPath(); then commit().
// Destroying an uncommitted replacement removes the temporary file.
class Replacement {
public:
    explicit Replacement(const QString& target); // raises when the folder cannot take the file
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    const QString& target() const { return m_target; }
    const QString& tempPath() const { return m_temp; }
    // Raises unless the last bytes written hold the trailer that ends a whole
    // file (PDF's "%%EOF"): for writers that do not report failed writes.
    void requireTrailer(const QByteArray& trailer) const;
    // Appends to the temporary file; raises naming the target and the reason.
    void write(QByteArrayView bytes);
    // Empties the temporary file, to write it again from the start.
    void rewind();
    // Syncs the temporary file and renames it over the target.
    void commit();
    // As commit(), but a file that is already at the target (made by another
    // program meanwhile) stays, and the temporary file is dropped. Returns
    // whether the new file took the target's place.
    bool commitUnlessPresent();

private:
    int descriptor();
    void syncAndClose();

    QString m_target;
    QString m_temp;
    int m_fd = -1; // open once write() was called
    bool m_committed = false;
};

// The system's text for an errno value.
QString systemReason(int error);

}
