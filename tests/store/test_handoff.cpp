#include "store/handoff.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Takes everything on this thread while a producer puts `count` numbers.
std::vector<int> takeAll(Handoff<int>& handoff)
{
    std::vector<int> taken;
    Handoff<int>::Batch batch;
    while (handoff.take(&batch))
        taken.insert(taken.end(), batch.begin(), batch.end());
    return taken;
}

}

TEST(Handoff, EveryItemArrivesInOrderWhetherTheProducerWaitsOrNot)
{
    struct Case {
        const char* name;
        size_t batchSize;
        size_t waitingLimit;
        int count;
    } cases[] = {
        { "unbounded", 4, 0, 1001 },
        { "a producer held to one waiting batch", 4, 1, 1001 },
        { "fewer items than a batch", 64, 2, 3 },
        { "nothing at all", 8, 1, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Handoff<int> handoff(c.batchSize, c.waitingLimit);
        std::jthread producer([&] {
            for (int i = 0; i < c.count; ++i)
                ASSERT_TRUE(handoff.put(int(i)));
            handoff.close(nullptr);
        });
        const std::vector<int> taken = takeAll(handoff);
        producer.join();
        ASSERT_EQ(int(taken.size()), c.count);
        for (int i = 0; i < c.count; ++i)
            ASSERT_EQ(taken[size_t(i)], i);
        EXPECT_NO_THROW(handoff.rethrow());
    }
}

TEST(Handoff, ATakerThatGivesUpReleasesAProducerWaitingForRoom)
{
    Handoff<int> handoff(2, 1);
    int refusedAt = -1;
    std::jthread producer([&] {
        for (int i = 0; i < 100000 && refusedAt < 0; ++i)
            if (!handoff.put(int(i)))
                refusedAt = i;
        handoff.close(nullptr);
    });
    Handoff<int>::Batch batch;
    ASSERT_TRUE(handoff.take(&batch));
    handoff.giveUp();
    producer.join(); // would hang if the producer still waited for room
    EXPECT_GE(refusedAt, 2);
    EXPECT_LT(refusedAt, 100);
}

TEST(Handoff, TheProducersErrorReachesTheTakerAfterTheLastBatch)
{
    Handoff<int> handoff(3, 1);
    std::jthread producer([&] {
        try {
            for (int i = 0; i < 10; ++i)
                handoff.put(int(i));
            throw std::runtime_error("the store could not be read");
        } catch (...) {
            handoff.close(std::current_exception());
        }
    });
    const std::vector<int> taken = takeAll(handoff);
    producer.join();
    EXPECT_EQ(taken.size(), 10u);
    EXPECT_THROW(handoff.rethrow(), std::runtime_error);
}
