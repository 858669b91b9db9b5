#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

namespace marlo::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(WorkerThreadTest, StopsWithinItsBoundWhenEveryWaitHonoursTheStopEvent) {
    WorkerThread worker;
    std::atomic<int> passes{0};
    ASSERT_TRUE(worker.Start([&](Event& stop) {
        // A poll loop with a long sleep, as discovery does: the sleep ends on the stop event.
        while (!stop.Wait(10000)) {
            ++passes;
        }
    }));
    EXPECT_FALSE(worker.Start([](Event&) {}));
    // Ended within the stop's bound (a wait that ignored the stop event would time out).
    EXPECT_EQ(worker.Stop(1000), WorkerThread::StopResult::kEnded);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.WaitForEnd(0), WorkerThread::StopResult::kNotRunning);
}

TEST(WorkerThreadTest, ReportsATimeoutAndCanBeWaitedForAgain) {
    WorkerThread worker;
    Event release(Event::Reset::kManual);
    ASSERT_TRUE(worker.Start([&](Event&) { release.Wait(kInfinite); }));
    EXPECT_EQ(worker.Stop(20), WorkerThread::StopResult::kTimedOut);
    EXPECT_TRUE(worker.IsRunning());
    release.Set();
    EXPECT_EQ(worker.WaitForEnd(kInfinite), WorkerThread::StopResult::kEnded);
}

TEST(WorkerThreadTest, CanBeStartedAgainAfterItEnded) {
    WorkerThread worker;
    std::atomic<int> runs{0};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(worker.Start([&](Event& stop) {
            ++runs;
            stop.Wait(kInfinite);
        }));
        EXPECT_EQ(worker.Stop(1000), WorkerThread::StopResult::kEnded);
    }
    EXPECT_EQ(runs.load(), 3);
}

TEST(WorkerThreadTest, DestructorStopsARunningWorker) {
    std::atomic<bool> ended{false};
    {
        WorkerThread worker;
        worker.Start([&](Event& stop) {
            stop.Wait(kInfinite);
            ended = true;
        });
    }
    EXPECT_TRUE(ended.load());
}

}  // namespace
}  // namespace marlo::platform
