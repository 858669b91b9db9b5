#include "platform/MessageLoop.h"

#include <gtest/gtest.h>
#include <any>
#include <memory>
#include <string>
#include <vector>

#include <atomic>
#include <thread>

#include "platform/MessageRegistry.h"

namespace marlo::platform {
namespace {

TEST(MessageRegistryTest, SameNameSameNumberFromC000) {
    const uint32_t a = MessageRegistry::Register("Marlo Gear test A");
    const uint32_t b = MessageRegistry::Register("Marlo Gear test B");
    EXPECT_GE(a, 0xC000u);
    EXPECT_NE(a, b);
    EXPECT_EQ(MessageRegistry::Register("Marlo Gear test A"), a);
    EXPECT_EQ(MessageRegistry::NameOf(b), "Marlo Gear test B");
    EXPECT_EQ(MessageRegistry::Register(""), 0u);
    EXPECT_TRUE(MessageRegistry::NameOf(0x0C12).empty());
}

TEST(MessageLoopTest, SendFromAnotherThreadWaitsForTheUiThread) {
    MessageLoop loop;
    std::atomic<bool> handled{false};
    const WindowHandle w =
        loop.CreateWindow([&](uint32_t m, uintptr_t wp, intptr_t lp) -> intptr_t {
            EXPECT_TRUE(loop.OnUiThread());
            handled = true;
            return static_cast<intptr_t>(m + wp) + lp;
        });
    intptr_t result = 0;
    std::thread sender([&] {
        result = loop.SendMessage(w, 0xC12, 3, 4);
        EXPECT_TRUE(handled.load()) << "the send returned only after the handler ran";
        loop.Quit(7);
    });
    EXPECT_EQ(loop.Run(), 7);
    sender.join();
    EXPECT_EQ(result, 0xC12 + 3 + 4);
}

TEST(MessageLoopTest, PostDoesNotWaitAndMessagesKeepTheirOrder) {
    MessageLoop loop;
    std::vector<uint32_t> seen;
    const WindowHandle w = loop.CreateWindow([&](uint32_t m, uintptr_t, intptr_t) -> intptr_t {
        seen.push_back(m);
        return 0;
    });
    std::thread poster([&] {
        for (uint32_t m = 1; m <= 5; ++m) {
            EXPECT_TRUE(loop.PostMessage(w, m, 0, 0));
        }
    });
    poster.join();  // every post returned without the loop running
    EXPECT_TRUE(seen.empty());
    loop.ProcessPending();
    EXPECT_EQ(seen, (std::vector<uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(loop.SendMessage(w, 9, 0, 0), 0) << "a send on the UI thread runs at once";
    EXPECT_EQ(seen.back(), 9u);
}

TEST(MessageLoopTest, SendsThatCannotBeHandledReturnZero) {
    MessageLoop loop;
    const WindowHandle w =
        loop.CreateWindow([](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 5; });
    loop.DestroyWindow(w);
    EXPECT_FALSE(loop.IsWindow(w));
    EXPECT_FALSE(loop.PostMessage(w, 1, 0, 0));

    const WindowHandle live =
        loop.CreateWindow([](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 5; });
    // A sender whose cancel event fires stops waiting for a UI thread that is not running.
    Event cancel(Event::Reset::kManual);
    intptr_t result = -1;
    std::thread sender([&] { result = loop.SendMessage(live, 1, 0, 0, &cancel); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    cancel.Set();
    sender.join();
    EXPECT_EQ(result, 0);
    // A sender waiting when the loop ends is answered with 0.
    std::thread late([&] { result = loop.SendMessage(live, 1, 0, 0); });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    loop.Quit();
    loop.Run();
    late.join();
    EXPECT_EQ(result, 0);
}

TEST(MessageLoopTest, AWithdrawnSendOrCallNeverRunsLater) {
    MessageLoop loop;
    std::atomic<int> handled{0};
    const WindowHandle window = loop.CreateWindow([&](uint32_t, uintptr_t, intptr_t) -> intptr_t {
        ++handled;
        return 7;
    });
    Event cancel(Event::Reset::kManual);
    std::thread other([&] {
        // The UI thread is not pumping: both give up before anything starts.
        EXPECT_FALSE(loop.CallWithin([&]() -> intptr_t { return ++handled; }, 30));
        cancel.Set();
        EXPECT_EQ(loop.SendMessage(window, 0xC100, 0, 0, &cancel), 0);
    });
    other.join();
    loop.ProcessPending();
    EXPECT_EQ(handled, 0) << "what was withdrawn is not delivered afterwards";

    // Once started, a send that is cancelled still waits and gets the handler's result.
    Event never(Event::Reset::kManual);
    intptr_t result = 0;
    std::thread sender([&] { result = loop.SendMessage(window, 0xC100, 0, 0, &never); });
    while (handled == 0) {
        loop.RunFor(5);
    }
    sender.join();
    EXPECT_EQ(result, 7);
}

TEST(MessageLoopTest, PayloadsAreOwnedAndSeenOnlyByTheirHandler) {
    auto loop = std::make_unique<MessageLoop>();
    std::vector<std::string> seen;
    const WindowHandle window =
        loop->CreateWindow([&](uint32_t, uintptr_t w, intptr_t l) -> intptr_t {
            const std::any* payload = loop->CurrentPayload();
            seen.push_back(payload != nullptr
                               ? std::any_cast<std::string>(*payload)
                               : "none " + std::to_string(w + static_cast<uintptr_t>(l)));
            return 0;
        });
    ASSERT_TRUE(loop->PostPayload(window, 0xC100, std::string(1000, 'p')));
    ASSERT_TRUE(loop->PostMessage(window, 0xC101, 1, 2));
    loop->ProcessPending();
    EXPECT_EQ(seen, (std::vector<std::string>{std::string(1000, 'p'), "none 3"}));
    // A payload still queued when the loop ends goes with it (the sanitizers see a leak else).
    ASSERT_TRUE(loop->PostPayload(window, 0xC100, std::string(1000, 'q')));
    loop.reset();
}

}  // namespace
}  // namespace marlo::platform
