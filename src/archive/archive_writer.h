#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class Assessment;

// Writes the whole assessment as an archive file.
namespace ArchiveWriter {

enum class Encoding { CodePage1252, Utf8 };

// The archive's text, lines ended by CR LF. Every record of every archived
// table is written in the table's current order, whatever filter is set; the
// tables' filters and cursors are left as they are.
QString text(Assessment& assessment);

// Windows-1252 when every character fits in it (no byte-order mark, as older
// archives are); otherwise UTF-8 behind a byte-order mark.
QByteArray encode(const QString& text, Encoding* used = nullptr);

// Writes the archive to path, replacing the file as a whole only once the new
// one is safely on disk, marks the work archived, then makes the first driver
// current. The archive holds one state of the store, whatever another program
// changes meanwhile. Raises QuarrixError naming the file when it cannot be
// written; the old file is then untouched and the mark as it was.
Encoding save(Assessment& assessment, const QString& path);

// The file name the save dialog proposes: the assessment's name and ".txt",
// with characters that a file name cannot hold (folder separators among them)
// replaced by '_'; "Assessment.txt" for an empty name, and never a hidden
// file (a leading '.').
QString proposedFileName(const QString& assessmentName);

// The values the format cannot keep, one line each naming the record and
// the field: a multi-line value holding a line equal to the line that ends
// it ("[end]", or the block's closing tag for its last field), which a reader
// takes for the end of the value, so that the rest of the record comes back
// in other fields. Asked before a save, which writes them as they are.
QStringList unkeptValues(Assessment& assessment);
// The question asked before saving them: the first few, how many more, and
// whether to save anyway.
QString unkeptQuestion(const QStringList& unkept);

// Lifts the division filter from Requirements and Drivers and makes their
// first records current, as a save does before writing when a division is
// chosen. The window does this through its division filter box instead.
void liftDivisionFilter(Assessment& assessment);

}
