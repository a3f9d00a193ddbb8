#pragma once

#include "archive/archive_format.h"

#include <QByteArray>
#include <QString>
#include <QVarLengthArray>
#include <deque>
#include <functional>
#include <vector>

class Assessment;

// Reads archive files. The reader is line-driven and tolerant: blocks may come
// in any order, any number of times, or not at all; lines outside blocks are
// ignored; the closing tag after a block's single-line values is skipped
// without being checked; reading ends at "</Analysis>" or "</Analyis>". A
// risk entry belongs to the last application block before it.
//
// Loading is all or nothing: read() reads and checks the whole file first,
// and apply() replaces the assessment in one transaction.
namespace ArchiveReader {

inline const QString kNotAnArchive = QStringLiteral("This is not a saved analysis");

struct ParsedBlock {
    const ArchiveFormat::Block* block = nullptr;
    // UTF-8, one per field of the block, in field order; they point into the
    // Result they came with and live as long as it does.
    QVarLengthArray<QByteArrayView, 9> values;
};

struct Result {
    bool isArchive = false; // the first line is "<Analysis>"
    std::vector<ParsedBlock> blocks; // in file order
    // The file's text in UTF-8 and the multi-line values that are not a
    // stretch of it as they stand, which the values point into.
    QByteArray text;
    std::deque<QByteArray> joined;
};

// Text of an archive file: UTF-8 behind a byte-order mark, otherwise
// Windows-1252. The mark is not part of the text.
QString decode(const QByteArray& bytes);

// Reads the blocks of an archive file's bytes (encoded as decode() reads
// them). Raises QuarrixError naming the line
// when the text ends before its last line or inside a block, when a priority
// is not a whole number from 0 to 65535, or when a risk entry follows no
// application. fileName is only used in messages.
Result parse(const QByteArray& bytes, const QString& fileName);

// As parse() above, into result, handing each block to take() as soon as it
// is read instead of keeping it in result.blocks. result's text and joined
// values are what the blocks point into.
using BlockSink = std::function<void(ParsedBlock&&)>;
void parse(const QByteArray& bytes, const QString& fileName, Result& result, const BlockSink& take);

// The bytes of a file; raises QuarrixError naming the file when it cannot be
// read.
QByteArray readFile(const QString& path);

// Reads and parses a file; raises QuarrixError naming the file when it cannot
// be read or parsed.
Result read(const QString& path);

// Replaces the assessment by the blocks read, in one transaction: the
// assessment is cleared (as Clear Database does, without the archive step)
// and the blocks are written in file order; then the open tables re-read the
// store and show their first records. Nothing changes if it fails.
void apply(Assessment& assessment, const std::vector<ParsedBlock>& blocks);

// read() and apply() at once, for a caller that has nothing to ask between
// them: the file is read and parsed on a second thread while this one
// empties the store and writes the blocks parsed so far, all in the one
// transaction. Returns false when the file is not an archive and raises as
// read() does; either way the store keeps what it had.
bool load(Assessment& assessment, const QString& path);

}
