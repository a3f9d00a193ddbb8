#include "archive/archive_reader.h"
#include "archive/block_writer.h"
#include "store/assessment.h"
#include "store/handoff.h"
#include "store/progress.h"
#include "store/quarrix_error.h"

#include <QDir>
#include <QFile>

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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw QuarrixError(
            QStringLiteral("Cannot read the file '%1': %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    Result parsed;
    // A few batches wait at most: the parser then waits for the writer, so
    // only the stretches of text (a megabyte or a record) those blocks point
    // into are held.
    Handoff<ParsedBlock> handoff(256, 4);
    {
        Store::Transaction tx(a.store());
        // Declared after the transaction, the parser is stopped and joined
        // before a failed load rolls back.
        std::jthread parser([&](std::stop_token stop) {
            try {
                const char* stretch = nullptr;
                parse(file, path, parsed, [&](ParsedBlock&& block) {
                    // A batch holds blocks of one stretch of text, so the
                    // batches waiting hold few stretches alive.
                    if (block.text.constData() != stretch && !handoff.flush())
                        throw Stopped();
                    stretch = block.text.constData();
                    if (stop.stop_requested() || !handoff.put(std::move(block)))
                        throw Stopped();
                });
                handoff.close(nullptr);
            } catch (...) {
                handoff.close(std::current_exception());
            }
        });
        try {
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
        } catch (...) {
            // A parser waiting for room is let go, and stops.
            handoff.giveUp();
            throw;
        }
        tx.commit();
    }
    BlockWriter::showLoaded(a);
    return true;
}

}
