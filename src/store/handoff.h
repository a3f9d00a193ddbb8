#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

// Items passed from a producing thread to a taking one in batches, so that
// the two meet on the lock once per batch rather than per item. A batch the
// taker is done with goes back to the producer with its items, which the
// producer clears before filling it again: memory is freed on the thread that
// allocated it, so the two threads stay off each other's allocator. With a
// limit on the batches waiting, a producer that runs ahead waits for the
// taker, so memory stays bounded however large the work.
template <class Item> class Handoff {
public:
    using Batch = std::vector<Item>;

    // waitingLimit 0: the producer never waits.
    explicit Handoff(size_t batchSize, size_t waitingLimit = 0)
        : m_batchSize(batchSize)
        , m_waitingLimit(waitingLimit)
    {
        m_batch.reserve(m_batchSize);
    }

    // False once the taker gave up: the producer should stop.
    bool put(Item&& item)
    {
        if (m_givenUp)
            return false;
        m_batch.push_back(std::move(item));
        return m_batch.size() < m_batchSize || pass(false);
    }
    // Hands on the items put so far without waiting for a full batch (so that
    // a batch holds items of one kind, such as views of one buffer).
    bool flush()
    {
        if (m_givenUp)
            return false;
        return m_batch.empty() || pass(false);
    }
    // The producer is done, with the error that stopped it if any.
    void close(std::exception_ptr error)
    {
        m_error = std::move(error);
        pass(true);
    }

    // Hands back the batch taken before and waits for the next one; false
    // when the producer is done and every batch was taken.
    bool take(Batch* batch)
    {
        std::unique_lock lock(m_mutex);
        if (batch->capacity() > 0) {
            m_empty.push_back(std::move(*batch));
            m_changed.notify_all();
        }
        m_changed.wait(lock, [&] { return !m_full.empty() || m_closed; });
        if (m_full.empty())
            return false;
        *batch = std::move(m_full.front());
        m_full.pop_front();
        m_changed.notify_all();
        return true;
    }
    // The taker stops taking; a producer waiting for room is let go.
    void giveUp()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_givenUp = true;
            m_full.clear();
        }
        m_changed.notify_all();
    }
    // The producer's error, if it closed with one (read after it is done).
    void rethrow() const
    {
        if (m_error)
            std::rethrow_exception(m_error);
    }

private:
    bool pass(bool closing)
    {
        std::unique_lock lock(m_mutex);
        if (m_waitingLimit > 0)
            m_changed.wait(lock, [&] { return m_full.size() < m_waitingLimit || m_givenUp; });
        if (!m_batch.empty() && !m_givenUp)
            m_full.push_back(std::move(m_batch));
        m_batch = Batch();
        if (!m_empty.empty()) {
            m_batch = std::move(m_empty.back());
            m_empty.pop_back();
        }
        m_batch.clear();
        m_batch.reserve(m_batchSize); // a batch handed back keeps its room
        m_closed = closing;
        const bool taking = !m_givenUp;
        lock.unlock();
        m_changed.notify_all();
        return taking;
    }

    const size_t m_batchSize;
    const size_t m_waitingLimit;
    Batch m_batch; // the producer's own
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_full;
    std::vector<Batch> m_empty;
    bool m_closed = false;
    std::atomic<bool> m_givenUp = false;
    std::exception_ptr m_error; // set before m_closed, read after the producer is joined
};
