#include "common/worker/background_worker.h"

#include <gtest/gtest.h>
#include <memory>
#include <semaphore>
#include <thread>

namespace {

using common::BackgroundWorker;

TEST(BackgroundWorker, StopReachesAJobThatPollsAndOneOfItsOwnThroughTheRelay)
{
    BackgroundWorker w;
    std::binary_semaphore begun(0);
    std::atomic<bool> core_flag{false}; // a core's own cancel, as the copy engine has
    bool saw_stop = false;
    bool waited_for_itself = true;
    ASSERT_TRUE(w.start(
        [&](const std::atomic<bool>& stop) {
            waited_for_itself = w.wait(0) || w.wait();
            begun.release();
            while (!stop.load() || !core_flag.load())
                std::this_thread::yield();
            saw_stop = true;
        },
        [&] { core_flag = true; }));
    begun.acquire();
    EXPECT_TRUE(w.active());
    EXPECT_TRUE(w.stop());
    EXPECT_TRUE(saw_stop);
    EXPECT_FALSE(waited_for_itself) << "a job never joins its own thread";
    EXPECT_TRUE(w.stop_requested());
    EXPECT_TRUE(w.finished());
    EXPECT_FALSE(w.active());
    // The next run starts with its flag down.
    ASSERT_TRUE(w.start([](const std::atomic<bool>&) {}));
    EXPECT_FALSE(w.stop_requested());
    EXPECT_TRUE(w.wait());
}

TEST(BackgroundWorker, AWaitThatExpiresLeavesTheJobAndWhatItHoldsAlone)
{
    BackgroundWorker w;
    std::binary_semaphore go_on(0);
    bool released_before_end = false;
    auto buffer = std::shared_ptr<int>(new int(7), [&](int* p) {
        released_before_end = !w.finished();
        delete p;
    });
    std::weak_ptr<int> watch = buffer;
    // A job stuck where it cannot poll, as a transfer in a write that does not return.
    ASSERT_TRUE(w.start([&go_on, buffer = std::move(buffer)](const std::atomic<bool>&) { go_on.acquire(); }));
    EXPECT_FALSE(w.wait(20));
    EXPECT_FALSE(w.stop(20));
    EXPECT_TRUE(w.active());
    EXPECT_FALSE(w.finished());
    EXPECT_FALSE(watch.expired());
    EXPECT_FALSE(w.start([](const std::atomic<bool>&) {})) << "one job at a time";

    go_on.release();
    ASSERT_TRUE(w.wait());
    EXPECT_TRUE(released_before_end) << "what the job held goes before it counts as ended";
}

TEST(BackgroundWorker, TheOwnerSeesTheEndByLookingAndTheDestructorStopsAndJoins)
{
    int result = 0; // plain: only finished() makes it safe to read
    {
        BackgroundWorker w;
        ASSERT_TRUE(w.start([&result](const std::atomic<bool>&) { result = 42; }));
        while (!w.finished()) // as a window's timer would look
            std::this_thread::yield();
        EXPECT_EQ(result, 42);
    }

    bool ended = false;
    std::binary_semaphore begun(0);
    {
        BackgroundWorker w;
        ASSERT_TRUE(w.start([&](const std::atomic<bool>& stop) {
            begun.release();
            while (!stop.load())
                std::this_thread::yield();
            ended = true;
        }));
        begun.acquire();
    }
    EXPECT_TRUE(ended);
}

} // namespace
