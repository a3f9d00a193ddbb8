#include "archive/archive_reader.h"
#include "archive/block_writer.h"
#include "store/assessment.h"
#include "store/progress.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stop_token>
#include <thread>

namespace ArchiveReader {

namespace {

// Blocks passed from the parsing thread to the writing one in batches, so
// that the two meet on the lock once per batch rather than per block. A batch
// the writer is done with goes back to the parser to be filled again, so a
// load lays out memory only for the blocks parsed and not yet written.
class Handoff {
public:
    using Batch = std::vector<ParsedBlock>;

    Handoff() { m_batch.reserve(kBatch); }

    void put(ParsedBlock&& parsed)
    {
        m_batch.push_back(std::move(parsed));
        if (m_batch.size() == kBatch)
            pass(false);
    }
    // The parser is done, with the error that stopped it if any.
    void close(std::exception_ptr error)
    {
        m_error = std::move(error);
        pass(true);
    }

    // Hands back the batch written and waits for the next one; false when
    // the parser is done and every batch was taken.
    bool take(Batch* batch)
    {
        std::unique_lock lock(m_mutex);
        if (batch->capacity() > 0) {
            batch->clear();
            m_empty.push_back(std::move(*batch));
        }
        m_changed.wait(lock, [&] { return !m_full.empty() || m_closed; });
        if (m_full.empty())
            return false;
        *batch = std::move(m_full.front());
        m_full.pop_front();
        return true;
    }
    void rethrow() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    static constexpr size_t kBatch = 256;

    void pass(bool closing)
    {
        {
            const std::lock_guard lock(m_mutex);
            if (!m_batch.empty())
                m_full.push_back(std::move(m_batch));
            m_batch = Batch();
            if (!m_empty.empty()) {
                m_batch = std::move(m_empty.back());
                m_empty.pop_back();
            }
            m_batch.reserve(kBatch); // a batch handed back keeps its room
            m_closed = closing;
        }
        m_changed.notify_one();
    }

    Batch m_batch; // the parser's own
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_full;
    std::vector<Batch> m_empty;
    bool m_closed = false;
    std::exception_ptr m_error; // set before m_closed, read after the join
};

// Unwinds the parser when the writer gave up.
struct Stopped { };

}

bool load(Assessment& a, const QString& path)
{
    Result parsed; // its text and joined values outlive both threads' use
    Handoff handoff;
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
        Handoff::Batch blocks;
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
