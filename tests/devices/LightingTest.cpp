#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "devices/LightTables.h"
#include "devices/LightingEffects.h"
#include "devices/LightingFrame.h"
#include "devices/ThreadStop.h"
#include "platform/DebugOutput.h"

namespace marlo::devices {
namespace {

TEST(LightTablesTest, CurveWheelSpeedsAndLevels) {
    EXPECT_EQ(LightTables::BreathingCurve(0), 0);
    EXPECT_EQ(LightTables::BreathingCurve(10), 10);
    EXPECT_EQ(LightTables::BreathingCurve(11), 12);
    EXPECT_EQ(LightTables::BreathingCurve(63), 255);
    for (size_t i = 0; i < 64; ++i) {
        EXPECT_EQ(LightTables::BreathingCurve(127 - i), LightTables::BreathingCurve(i));
        if (i > 0) {
            EXPECT_GT(LightTables::BreathingCurve(i), LightTables::BreathingCurve(i - 1));
        }
    }
    EXPECT_EQ(LightTables::ColourWheel(0), (Rgb{255, 1, 0}));
    EXPECT_EQ(LightTables::ColourWheel(63), (Rgb{0, 255, 0}));
    EXPECT_EQ(LightTables::ColourWheel(191), (Rgb{255, 0, 0}));
    // Around the whole wheel, one step never jumps: each channel moves by at most 8.
    for (size_t i = 0; i < LightTables::kWheelSteps; ++i) {
        const Rgb a = LightTables::ColourWheel(i);
        const Rgb b = LightTables::ColourWheel((i + 1) % LightTables::kWheelSteps);
        EXPECT_LE(std::max({std::abs(a.red - b.red), std::abs(a.green - b.green),
                            std::abs(a.blue - b.blue)}),
                  8)
            << i;
    }
    const int ticks[] = {8, 6, 4, 2, 1};
    const int levels[] = {0, 80, 135, 195, 255};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(LightTables::SpeedTicks(i), ticks[i]);
        EXPECT_EQ(LightTables::Level(i), levels[i]);
    }
    EXPECT_EQ(LightTables::SpeedTicks(9), 1) << "a level from a file past the table";
    EXPECT_EQ(LightTables::Level(-3), 0);
}

TEST(LightingFrameTest, CountClearsEntriesAndRecordsAndIndexesAreBounded) {
    LightingFrame frame;
    frame.SetLightCount(15);
    const LightEntry lit{1, 2, 3, 4, {5, 6, 7, 8}};
    EXPECT_TRUE(frame.SetLight(14, lit));
    EXPECT_FALSE(frame.SetLight(15, lit));
    EXPECT_EQ(frame.GetLight(14), lit) << "all eight bytes move";
    EXPECT_EQ(frame.GetLight(99), LightEntry{});
    frame.SetLightCount(15);
    EXPECT_EQ(frame.GetLight(14), LightEntry{}) << "the same count still clears";
    EXPECT_EQ(frame.GetEffectRecord(14), LightingFrame::EffectRecord{});
}

TEST(LightingFrameTest, OnlyARealChangeMovesTheFrameOnAndWakesAParkedPresenter) {
    LightingFrame frame;
    int wakes = 0;
    frame.SetChangeHandler([&wakes] { ++wakes; });
    frame.SetLightCount(4);
    const uint64_t start = frame.generation();
    frame.Fill({0, 0, 0}, 0);
    frame.Clear();
    frame.SetLight(2, LightEntry{});
    EXPECT_EQ(frame.generation(), start) << "writing what is there changes nothing";
    EXPECT_FALSE(frame.Park(start - 1)) << "a presenter behind the frame may not park";
    ASSERT_TRUE(frame.Park(start));
    EXPECT_EQ(wakes, 0);
    frame.Fill({9, 9, 9}, 200);
    frame.SetLight(0, LightEntry{1, 1, 1, 1, {}});
    EXPECT_EQ(wakes, 1) << "the first change after parking wakes, once";
    EXPECT_GT(frame.generation(), start);
}

TEST(LightingFrameTest, StreamScalesByLevelLeavesLight170OutAndStopsAt512Bytes) {
    LightingFrame frame;
    frame.SetLightCount(200);
    frame.Fill({200, 100, 255}, 128);
    const auto bytes = frame.StreamBytes();
    ASSERT_EQ(bytes.size(), 512u);
    EXPECT_EQ(bytes[0], 100);
    EXPECT_EQ(bytes[1], 50);
    EXPECT_EQ(bytes[2], 127);
    EXPECT_EQ(bytes[169 * 3], 100);
    EXPECT_EQ(bytes[170 * 3], 0) << "light 170 has no place";
    frame.SetLightCount(15);
    EXPECT_EQ(frame.StreamBytes().size(), 45u);
}

TEST(LightingEffectsTest, BreathingWrapsEitherWayAndMovesTheRainbow) {
    LightingFrame frame;
    frame.SetLightCount(4);
    LightingEffects effects;
    EffectSettings settings;
    settings.rainbow = true;
    settings.brightness = 4;
    for (int i = 0; i < 63; ++i) {
        effects.StepBreathing(frame, settings);
    }
    EXPECT_EQ(effects.phase(), 63);
    EXPECT_EQ(frame.GetLight(3).level, 255 * 255 / 256) << "the top of the curve";
    EXPECT_EQ(frame.GetLight(0).red, 255);
    EXPECT_EQ(frame.GetLight(0).green, 1) << "the wheel's first colour";
    for (int i = 0; i < 65; ++i) {
        effects.StepBreathing(frame, settings);
    }
    EXPECT_EQ(effects.phase(), 0);
    EXPECT_EQ(effects.counter(), 16) << "each wrap moves the rainbow on";
    EXPECT_EQ(frame.GetLight(0).level, 0);
    settings.forward = false;
    effects.StepBreathing(frame, settings);
    EXPECT_EQ(effects.phase(), 127) << "backwards it wraps at the bottom";
    EXPECT_EQ(effects.counter(), 32);

    LightingEffects four;
    for (int wrap = 1; wrap <= 4; ++wrap) {
        for (int i = 0; i < 128; ++i) {
            four.StepBreathingFourColours(frame, EffectSettings{});
        }
        EXPECT_EQ(four.counter(), wrap % 4);
    }
}

TEST(LightingEffectsTest, StaticCycleBlinkAndOff) {
    LightingFrame frame;
    frame.SetLightCount(2);
    EffectSettings settings;
    settings.colour = {10, 20, 30};
    settings.brightness = 2;
    LightingEffects::StepStatic(frame, settings);
    EXPECT_EQ(frame.GetLight(1), (LightEntry{10, 20, 30, 135, {}}));

    LightingEffects cycle;
    for (int i = 0; i < 63; ++i) {
        cycle.StepColourCycle(frame, settings);
    }
    EXPECT_EQ(frame.GetLight(0).green, 255);
    EXPECT_EQ(frame.GetLight(0).red, 0) << "a third of the way round: green";
    for (int i = 0; i < 129; ++i) {
        cycle.StepColourCycle(frame, settings);
    }
    EXPECT_EQ(cycle.phase(), 0);

    // Speed 4 is one tick: the toggle flips every 200 ms.
    settings.speed = 4;
    LightingEffects blink;
    blink.StepBlink(frame, settings, 100);
    EXPECT_FALSE(blink.on());
    EXPECT_EQ(frame.GetLight(0).level, 0);
    blink.StepBlink(frame, settings, 200);
    EXPECT_TRUE(blink.on());
    EXPECT_EQ(frame.GetLight(0), (LightEntry{10, 20, 30, 135, {}}));
    EXPECT_EQ(blink.phase(), 16);
    blink.StepBlink(frame, settings, 399);
    EXPECT_TRUE(blink.on()) << "not yet";
    blink.StepBlink(frame, settings, 400);
    EXPECT_FALSE(blink.on());
    EXPECT_EQ(frame.GetLight(0).red, 0);

    LightingEffects::StepOff(frame);
    EXPECT_EQ(frame.GetLight(1), LightEntry{});
}

TEST(ThreadStopTest, SaysHowTheThreadEndedAndNeverLeavesItRunning) {
    platform::DebugOutput::Capture capture;
    platform::WorkerThread honours;
    honours.Start([](platform::Event& stop) { stop.Wait(platform::kInfinite); });
    StopDeviceThread(honours);
    EXPECT_FALSE(honours.IsRunning());
    EXPECT_TRUE(capture.Contains("线程退出：：对象处于激发状态\n"));

    // A thread that ignores its stop event for a while: the time-out line, then it is waited
    // for rather than killed.
    std::atomic<bool> finished{false};
    platform::WorkerThread slow;
    slow.Start([&finished](platform::Event&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1300));
        finished = true;
    });
    StopDeviceThread(slow);
    EXPECT_TRUE(capture.Contains("线程退出：：对象处于非激发状态，超时\n"));
    EXPECT_TRUE(finished);
    EXPECT_FALSE(slow.IsRunning());
}

}  // namespace
}  // namespace marlo::devices
