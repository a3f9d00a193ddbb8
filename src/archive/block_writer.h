#pragma once

#include "archive/archive_reader.h"

#include <map>
#include <memory>
#include <utility>

class Assessment;
class Table;

namespace ArchiveReader {

class BlockInsert;

// Writes the blocks of an archive into the store, in file order, inside the
// caller's transaction: the system blocks into the system record, the report
// details into their own table, the others as new records straight into
// their tables (no cursor moves, no notifications per record). A risk entry gets the row id and name of the
// last application written before it.
class BlockWriter {
public:
    explicit BlockWriter(Assessment& assessment);
    ~BlockWriter();
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;

    void write(const ParsedBlock& parsed);
    // Inserts what is still queued; runs before the transaction commits.
    void finish();

    // After the commit: the open tables re-read the store, and the tables
    // whose moves drive the tabs move to their first record, so the tabs'
    // steps run once for it.
    static void showLoaded(Assessment& assessment);

private:
    Assessment& m_assessment;
    std::map<const ArchiveFormat::Block*, std::unique_ptr<BlockInsert>> m_inserts;
    // The row id and first value of the last record of each block that owns
    // records, for the records that belong to it.
    std::map<const ArchiveFormat::Block*, std::pair<qint64, QByteArrayView>> m_last;
};

}
