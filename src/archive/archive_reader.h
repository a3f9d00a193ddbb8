#pragma once

#include "archive/archive_format.h"

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QVarLengthArray>
#include <functional>
#include <vector>

class Assessment;

// Reads archive files. The reader is line-driven and tolerant: blocks may come
// in any order, any number of times, or not at all; lines outside blocks are
// ignored; the closing tag after a block's single-line values is skipped
// without being checked; reading ends at "</Analysis>" or "</Analyis>". A
// risk entry belongs to the last application block before it.
//
// Loading is all or nothing: load() reads the file while it replaces the
// assessment in one transaction, which a problem anywhere in the file rolls
// back; read() and apply() do the same in two steps. Only a stretch of the
// file and the blocks being written are held at a time by load().
namespace ArchiveReader {

inline const QString kNotAnArchive = QStringLiteral("This is not a saved analysis");

struct ParsedBlock {
    const ArchiveFormat::Block* block = nullptr;
    // UTF-8, one per field of the block, in field order; views of the text
    // and joined values below, which live as long as the block does.
    QVarLengthArray<QByteArrayView, 9> values;
    QByteArray text; // the stretch of the file's text the block was read from (shared)
    std::vector<QByteArray> joined; // multi-line values that are not a stretch of it as they stand
};

struct Result {
    bool isArchive = false; // the first line is "<Analysis>"
    std::vector<ParsedBlock> blocks; // in file order
};

// Text of an archive file's bytes, decoded as the reader decodes them (see
// archive_text.h); raises QuarrixError at a byte not valid in the encoding.
QString decode(const QByteArray& bytes);

// Reads the blocks of an archive file from device, a stretch at a time,
// handing each block to take() as soon as it is read. Raises QuarrixError
// naming the line (and for a byte not valid in the file's encoding, the
// column) when the text ends before its last line or inside a block, when a
// priority is not a whole number from 0 to 65535, or when a risk entry
// follows no application. fileName is only used in messages.
using BlockSink = std::function<void(ParsedBlock&&)>;
void parse(QIODevice& device, const QString& fileName, Result& result, const BlockSink& take);

// Reads the blocks of an archive file's bytes into a Result.
Result parse(const QByteArray& bytes, const QString& fileName);

// Reads and parses a file whole; raises QuarrixError naming the file when it
// cannot be read or parsed.
Result read(const QString& path);

// Reads a file through as read() does without keeping it: whether it is an
// archive; raises as read() does.
bool check(const QString& path);

// The notice for a file that is not an archive, naming it.
QString notAnArchive(const QString& path);

// Replaces the assessment by the blocks read, in one transaction: the
// assessment is cleared (as Clear Database does, without the archive step)
// and the blocks are written in file order; then the open tables re-read the
// store and show their first records. Nothing changes if it fails.
void apply(Assessment& assessment, const std::vector<ParsedBlock>& blocks);

// read() and apply() at once, for a caller that has nothing to ask between
// them: the file is read and parsed on a second thread while this one
// empties the store and writes the blocks parsed so far, all in the one
// transaction; the parser waits while a few batches of blocks wait to be
// written, so memory stays bounded whatever the file's size. Returns false
// when the file is not an archive and raises as read() does; either way the
// store keeps what it had.
bool load(Assessment& assessment, const QString& path);

}
