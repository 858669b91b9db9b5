// The outside hook: an input device's event stream turned into keys, buttons and movement,
// read from its node on a thread of its own, and handed to the hook's window as messages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "hook/DeviceHook.h"
#include "hook/EvdevInput.h"
#include "hook/OutsideQueue.h"
#include "hook/InputEventTranslator.h"
#include "hook/OutsideRoute.h"
#include "platform/MessageRegistry.h"
#include "support/TempDir.h"
#include "ui/HeadlessBackend.h"

namespace marlo::hook {
namespace {

using Kind = OutsideInput::Kind;

struct Raw {
    uint16_t type;
    uint16_t code;
    int32_t value;
};

std::vector<OutsideInput> Translate(const std::vector<Raw>& events) {
    CInputEventTranslator translator;
    std::vector<OutsideInput> out;
    for (const Raw& event : events) {
        if (auto input = translator.Feed(event.type, event.code, event.value)) {
            out.push_back(*input);
        }
    }
    return out;
}

TEST(InputEventTranslatorTest, KeysButtonsAndMovementOfAReportStream) {
    struct Case {
        const char* what;
        std::vector<Raw> events;
        std::vector<OutsideInput> expected;
    };
    const std::vector<Case> cases = {
        {"a key down, held (repeat) and up",
         {{EV_MSC, MSC_SCAN, 4}, {EV_KEY, KEY_A, 1}, {EV_SYN, SYN_REPORT, 0},
          {EV_KEY, KEY_A, 2}, {EV_KEY, KEY_A, 0}},
         {{Kind::kKey, 'A', true}, {Kind::kKey, 'A', true}, {Kind::kKey, 'A', false}}},
        {"keys of every run of the table",
         {{EV_KEY, KEY_M, 1}, {EV_KEY, KEY_0, 1}, {EV_KEY, KEY_F12, 1}, {EV_KEY, KEY_F13, 1},
          {EV_KEY, KEY_RIGHTCTRL, 1}, {EV_KEY, KEY_KP7, 1}, {EV_KEY, KEY_CAPSLOCK, 1}},
         {{Kind::kKey, 'M', true}, {Kind::kKey, '0', true}, {Kind::kKey, 0x7B, true},
          {Kind::kKey, 0x7C, true}, {Kind::kKey, 0xA3, true}, {Kind::kKey, 0x67, true},
          {Kind::kKey, 0x14, true}}},
        {"keys without a virtual-key code and odd values say nothing",
         {{EV_KEY, KEY_MACRO1, 1}, {EV_KEY, KEY_A, 7}, {EV_KEY, KEY_A, -1}},
         {}},
        {"buttons; a button's repeat is no press",
         {{EV_KEY, BTN_LEFT, 1}, {EV_KEY, BTN_LEFT, 2}, {EV_KEY, BTN_LEFT, 0},
          {EV_KEY, BTN_RIGHT, 1}, {EV_KEY, BTN_MIDDLE, 1}, {EV_KEY, BTN_SIDE, 1},
          {EV_KEY, BTN_EXTRA, 0}},
         {{Kind::kButton, 0x01, true}, {Kind::kButton, 0x01, false},
          {Kind::kButton, 0x02, true}, {Kind::kButton, 0x04, true},
          {Kind::kButton, 0x05, true}, {Kind::kButton, 0x06, false}}},
        {"movement is summed over its report; a report without movement says nothing",
         {{EV_REL, REL_X, 3}, {EV_REL, REL_Y, -2}, {EV_REL, REL_X, 4}, {EV_SYN, SYN_REPORT, 0},
          {EV_REL, REL_WHEEL, 1}, {EV_SYN, SYN_REPORT, 0}},
         {{Kind::kMove, 0, false, 7, -2}}},
        {"a dropped stretch is ignored up to the end of the next report",
         {{EV_REL, REL_X, 5}, {EV_SYN, SYN_DROPPED, 0}, {EV_KEY, KEY_B, 1}, {EV_REL, REL_X, 9},
          {EV_SYN, SYN_REPORT, 0}, {EV_REL, REL_Y, 1}, {EV_SYN, SYN_REPORT, 0}},
         {{Kind::kMove, 0, false, 0, 1}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Translate(c.events), c.expected) << c.what;
    }
}

// Inputs handed over by the reader's thread.
class Collected {
  public:
    void Add(const OutsideInput& input) {
        std::lock_guard lock(mutex_);
        inputs_.push_back(input);
        changed_.notify_all();
    }
    std::vector<OutsideInput> WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return inputs_.size() >= count; });
        return inputs_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<OutsideInput> inputs_;
};

void WriteEvents(int fd, const std::vector<Raw>& events) {
    std::vector<input_event> out;
    for (const Raw& event : events) {
        input_event e{};
        e.type = event.type;
        e.code = event.code;
        e.value = event.value;
        out.push_back(e);
    }
    const auto* bytes = reinterpret_cast<const char*>(out.data());
    const size_t size = out.size() * sizeof(input_event);
    // Split inside an event: the reader puts the halves together.
    ASSERT_EQ(write(fd, bytes, 10), 10);
    ASSERT_EQ(write(fd, bytes + 10, size - 10), static_cast<ssize_t>(size - 10));
}

TEST(EvdevInputTest, ReadsEveryStreamOnItsThreadAndClosesThemOnStop) {
    int first[2];
    int second[2];
    ASSERT_EQ(pipe2(first, O_NONBLOCK | O_CLOEXEC), 0);
    ASSERT_EQ(pipe2(second, O_NONBLOCK | O_CLOEXEC), 0);
    Collected collected;
    CEvdevInput input("/nonexistent");
    ASSERT_EQ(input.StartWith({first[0], second[0]},
                              [&](const OutsideInput& in) { collected.Add(in); }),
              2u);
    WriteEvents(first[1], {{EV_KEY, KEY_A, 1}, {EV_KEY, KEY_A, 0}});
    // The first stream ends (a device unplugged): the other is still read.
    close(first[1]);
    WriteEvents(second[1], {{EV_REL, REL_X, 2}, {EV_SYN, SYN_REPORT, 0}});
    std::vector<OutsideInput> got = collected.WaitFor(3);
    // Each stream in its order; the two streams in either.
    std::stable_partition(got.begin(), got.end(),
                          [](const OutsideInput& in) { return in.kind == Kind::kKey; });
    const std::vector<OutsideInput> expected = {{Kind::kKey, 'A', true},
                                                {Kind::kKey, 'A', false},
                                                {Kind::kMove, 0, false, 2, 0}};
    EXPECT_EQ(got, expected);

    input.Stop();
    EXPECT_FALSE(input.running());
    EXPECT_EQ(fcntl(second[0], F_GETFD), -1) << "the stream is closed when the hook goes";
    close(second[1]);
}

// A fast mouse: the movement of one read goes on as one input, in its place between keys.
TEST(EvdevInputTest, MovementOfOneReadIsSummedAroundTheKeys) {
    int stream[2];
    ASSERT_EQ(pipe2(stream, O_NONBLOCK | O_CLOEXEC), 0);
    Collected collected;
    CEvdevInput input("/nonexistent");
    ASSERT_EQ(input.StartWith({stream[0]}, [&](const OutsideInput& in) { collected.Add(in); }), 1u);
    std::vector<input_event> events;
    const auto add = [&](uint16_t type, uint16_t code, int32_t value) {
        input_event e{};
        e.type = type;
        e.code = code;
        e.value = value;
        events.push_back(e);
    };
    for (int i = 0; i < 20; ++i) {
        add(EV_REL, REL_X, 1);
        add(EV_SYN, SYN_REPORT, 0);
    }
    add(EV_KEY, KEY_A, 1);
    add(EV_REL, REL_Y, -3);
    add(EV_SYN, SYN_REPORT, 0);
    // One write below the pipe's atomic size: one read.
    const size_t size = events.size() * sizeof(input_event);
    ASSERT_EQ(write(stream[1], events.data(), size), static_cast<ssize_t>(size));
    const std::vector<OutsideInput> expected = {{Kind::kMove, 0, false, 20, 0},
                                                {Kind::kKey, 'A', true},
                                                {Kind::kMove, 0, false, 0, -3}};
    EXPECT_EQ(collected.WaitFor(3), expected);
    input.Stop();
    close(stream[1]);
}

// On the way to the UI thread: movement after movement is one entry, keys keep their order, and
// what waits is bounded.
TEST(OutsideQueueTest, SumsMovementKeepsKeysInOrderAndStaysBounded) {
    COutsideQueue queue;
    EXPECT_TRUE(queue.Push({Kind::kMove, 0, false, 5, 1})) << "the first asks for a call";
    EXPECT_FALSE(queue.Push({Kind::kMove, 0, false, INT32_MAX, -2}));
    EXPECT_FALSE(queue.Push({Kind::kKey, 'B', true}));
    EXPECT_FALSE(queue.Push({Kind::kMove, 0, false, 1, 1}));
    const std::vector<OutsideInput> expected = {{Kind::kMove, 0, false, INT32_MAX, -1},
                                                {Kind::kKey, 'B', true},
                                                {Kind::kMove, 0, false, 1, 1}};
    EXPECT_EQ(queue.Take(), expected);
    EXPECT_TRUE(queue.Take().empty());

    for (size_t i = 0; i < COutsideQueue::kMax + 10; ++i) {
        queue.Push({Kind::kKey, 'C', i % 2 == 0});
    }
    EXPECT_EQ(queue.Take().size(), COutsideQueue::kMax);
    EXPECT_EQ(queue.dropped(), 10u);
}

TEST(EvdevInputTest, WithoutReadableInputDevicesNothingRunsAndTheOwnHookStillWorks) {
    test::TempDir dir;
    std::ofstream(dir.path() / "event0") << "not an input device";
    std::ofstream(dir.path() / "mice") << "";
    CEvdevInput input(dir.path().string());
    EXPECT_EQ(input.Start([](const OutsideInput&) {}), 0u);
    EXPECT_FALSE(input.running());

    ui::HeadlessBackend backend;
    const platform::WindowHandle target =
        backend.loop().CreateWindow([](uint32_t, uintptr_t, intptr_t) -> intptr_t { return 0; });
    CDeviceHook hook(dir.path().string());
    EXPECT_EQ(hook.Install(0, 0x1, target, true, true), 1);
    EXPECT_FALSE(hook.outsideReading());
    EXPECT_TRUE(backend.HookKey({'A', true})) << "the own hook still keeps the key";
    hook.Uninstall();
    backend.loop().DestroyWindow(target);
}

TEST(OutsideRouteTest, KeysButtonsAndMovementReachTheWindowAsTheirMessages) {
    ui::HeadlessBackend backend;
    struct Received {
        std::string name;
        std::any payload;
    };
    std::vector<Received> received;
    const platform::WindowHandle target =
        backend.loop().CreateWindow([&](uint32_t message, uintptr_t, intptr_t) -> intptr_t {
            received.push_back({std::string(platform::MessageRegistry::NameOf(message)),
                                *backend.loop().CurrentPayload()});
            return 0;
        });

    const COutsideRoute route(target, 0x4, true);
    backend.SetKeyFocus(true);
    route.Deliver({Kind::kKey, 'A', true}, backend);
    EXPECT_TRUE(received.empty()) << "a key of the program's own window is the own hook's";
    backend.SetKeyFocus(false);
    route.Deliver({Kind::kKey, 'A', true}, backend);
    route.Deliver({Kind::kButton, 0x01, true}, backend);
    route.Deliver({Kind::kButton, 0x01, false}, backend);
    route.Deliver({Kind::kButton, 0x04, true}, backend);
    route.Deliver({Kind::kButton, 0x02, false}, backend);
    route.Deliver({Kind::kMove, 0, false, -3, 8}, backend);
    ASSERT_EQ(received.size(), 6u);
    EXPECT_EQ(received[0].name, "WM_HOOK_KEY_KBMACRO_MSG");
    const auto key = std::any_cast<LowLevelKeyRecord>(received[0].payload);
    EXPECT_EQ(key.vkCode, uint32_t{'A'});
    EXPECT_EQ(key.message, LowLevelKeyRecord::kWmKeyDown);
    const std::vector<std::string> names = {
        "UWM_MOUSELBUTTONDOWN_USER_MSG", "UWM_MOUSELBUTTONUP_USER_MSG",
        "UWM_MOUSERBUTTONDOWN_USER_MSG", "UWM_MOUSERBUTTONUP_USER_MSG",
        "UWM_MOUSEMOVE_USER_MSG"};
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(received[i + 1].name, names[i]);
    }
    const auto middle = std::any_cast<MouseHookRecord>(received[3].payload);
    EXPECT_EQ(middle.virtualKey, 0x04u) << "the record tells which button it is";
    EXPECT_TRUE(middle.down);
    const auto move = std::any_cast<MouseHookRecord>(received[5].payload);
    EXPECT_EQ(move.dx, -3);
    EXPECT_EQ(move.dy, 8);

    // Outside alone, every key goes, focus or not; a mode that sends nothing sends no key.
    backend.SetKeyFocus(true);
    COutsideRoute(target, 0x1, false).Deliver({Kind::kKey, 'B', false}, backend);
    COutsideRoute(target, 0x800, false).Deliver({Kind::kKey, 'B', false}, backend);
    ASSERT_EQ(received.size(), 7u);
    EXPECT_EQ(received[6].name, "WM_HOOK_KEY_SINGLEKEY_MSG");
    backend.loop().DestroyWindow(target);
}

}  // namespace
}  // namespace marlo::hook
