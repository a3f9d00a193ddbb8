#include "archive/archive_reader.h"
#include "archive/block_writer.h"
#include "store/assessment.h"
#include "store/handoff.h"
#include "store/progress.h"

#include <exception>
#include <stop_token>
#include <thread>

namespace ArchiveReader {

namespace {

// Unwinds the parser when the writer gave up.
struct Stopped { };

}

bool load(Assessment& a, const QString& path)
{
    Result parsed; // its text and joined values outlive both threads' use
    // Unbounded: the parser never waits, so a writer that fails can always stop it.
    Handoff<ParsedBlock> handoff(256);
    {
        Store::Transaction tx(a.store());
        // Declared after the transaction, the parser is stopped and joined
        // before a failed load rolls back.
        std::jthread parser([&](std::stop_token stop) {
            try {
                parse(readFile(path), path, parsed, [&](ParsedBlock&& block) {
                    if (stop.stop_requested())
                        throw Stopped();
                    handoff.put(std::move(block));
                });
                handoff.close(nullptr);
            } catch (...) {
                handoff.close(std::current_exception());
            }
        });
        a.clearDatabase();
        BlockWriter writer(a);
        Handoff<ParsedBlock>::Batch blocks;
        qint64 done = 0;
        while (handoff.take(&blocks))
            for (const ParsedBlock& block : blocks) {
                Progress::step("Loading the archive", ++done, 0);
                writer.write(block);
            }
        parser.join();
        handoff.rethrow();
        if (!parsed.isArchive)
            return false;
        writer.finish();
        tx.commit();
    }
    BlockWriter::showLoaded(a);
    return true;
}

}
