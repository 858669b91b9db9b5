#include "platform/Event.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace marlo::platform {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TEST(EventTest, FirstSignalledOfSeveralWinsByLowestIndex) {
    Event cancel(Event::Reset::kAuto);
    Event done(Event::Reset::kAuto);
    Event other(Event::Reset::kManual);

    done.Set();
    EXPECT_EQ(WaitAny({&cancel, &done, &other}, 0), 1u);
    // The auto-reset event was consumed by that wait.
    EXPECT_FALSE(WaitAny({&cancel, &done, &other}, 0).has_value());

    done.Set();
    cancel.Set();
    EXPECT_EQ(WaitAny({&cancel, &done}, 0), 0u);
    EXPECT_EQ(WaitAny({&cancel, &done}, 0), 1u);
}

TEST(EventTest, ManualResetStaysSignalledUntilReset) {
    Event e(Event::Reset::kManual);
    e.Set();
    e.Set();
    EXPECT_TRUE(e.Wait(0));
    EXPECT_TRUE(e.Wait(0));
    e.ResetEvent();
    EXPECT_FALSE(e.Wait(0));
    Event initially(Event::Reset::kManual, true);
    EXPECT_TRUE(initially.Wait(0));
}

TEST(EventTest, TimesOutAfterAboutTheTimeout) {
    Event e(Event::Reset::kAuto);
    const auto start = steady_clock::now();
    EXPECT_FALSE(e.Wait(30));
    EXPECT_GE(steady_clock::now() - start, milliseconds(29));
}

TEST(EventTest, SignalFromAnotherThreadWakesAnUnlimitedWait) {
    Event device(Event::Reset::kAuto);
    Event cancel(Event::Reset::kAuto);
    std::thread signaller([&] {
        std::this_thread::sleep_for(milliseconds(20));
        cancel.Set();
    });
    EXPECT_EQ(WaitAny({&cancel, &device}, kInfinite), 0u);
    signaller.join();
}

TEST(EventTest, AutoResetReleasesExactlyOneOfTwoWaiters) {
    Event e(Event::Reset::kAuto);
    Event stop(Event::Reset::kManual);
    std::atomic<int> released{0};
    auto waiter = [&] {
        if (WaitAny({&e, &stop}, kInfinite) == 0u) {
            ++released;
        }
    };
    std::thread a(waiter);
    std::thread b(waiter);
    std::this_thread::sleep_for(milliseconds(20));
    e.Set();
    std::this_thread::sleep_for(milliseconds(50));
    stop.Set();
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 1);
}

TEST(EventTest, RemainingMsCountsDownAndKeepsInfinite) {
    EXPECT_EQ(RemainingMs(kInfinite, 0), kInfinite);
    EXPECT_EQ(RemainingMs(10, MonotonicMs() - 50), 0u);
    EXPECT_GT(RemainingMs(10000, MonotonicMs()), 9000u);
}

}  // namespace
}  // namespace marlo::platform
