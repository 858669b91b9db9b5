// The keyboard's lighting engine without threads or clocks: when steps happen, what every mode
// lays on the grid, the colour stream and the selection mask.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardColourStream.h"
#include "devices/KeyboardLightGrid.h"
#include "devices/KeyboardLightingEngine.h"
#include "devices/KeyboardPositionMap.h"
#include "devices/KeyboardStepTimer.h"
#include "devices/LightTables.h"
#include "devices/ReactiveKeys.h"

namespace marlo::devices {
namespace {

using Engine = KeyboardLightingEngine;
constexpr uint64_t kTick = KeyboardStepTimer::kTickUs;

TEST(KeyboardStepTimerTest, PeriodsByModeAndSpeed) {
    struct Case {
        int mode;
        std::array<int, 5> periods;
    };
    const Case cases[] = {
        {1, {10, 8, 5, 3, 1}},  {12, {10, 8, 5, 3, 1}}, {24, {10, 8, 5, 3, 1}},
        {11, {3, 3, 3, 3, 3}},  {13, {3, 3, 3, 3, 3}},  {25, {1, 0, 0, 0, 0}},
        {28, {1, 0, 0, 0, 0}},  {30, {0, 0, 0, 0, 80}}, {29, {-1, -1, -1, -1, -1}},
        {42, {10, 8, 5, 3, 1}},
    };
    for (const Case& c : cases) {
        for (int speed = 0; speed < 5; ++speed) {
            EXPECT_EQ(KeyboardStepTimer::Period(c.mode, speed), c.periods[speed])
                << "mode " << c.mode << " speed " << speed;
        }
    }
    EXPECT_EQ(KeyboardStepTimer::Period(1, 9), 1) << "a speed past 4 counts as 4";
}

TEST(KeyboardStepTimerTest, CountsTicksOnAFakeClock) {
    KeyboardStepTimer timer;
    timer.Restart(1000);
    // Mode 1 at speed 2: every 5 ticks, without drifting when a turn comes late.
    EXPECT_FALSE(timer.Due(1, 2, 1000 + 5 * kTick - 1, false));
    EXPECT_TRUE(timer.Due(1, 2, 1000 + 5 * kTick + 300, false));
    EXPECT_FALSE(timer.Due(1, 2, 1000 + 10 * kTick - 1, false));
    EXPECT_EQ(timer.NextDueUs(1, 2, 1000 + 7 * kTick, false), 1000 + 10 * kTick);
    EXPECT_TRUE(timer.Due(1, 2, 1000 + 10 * kTick, false));
    // A thread that fell far behind counts from now on.
    EXPECT_TRUE(timer.Due(1, 2, 1000 + 40 * kTick, false));
    EXPECT_FALSE(timer.Due(1, 2, 1000 + 44 * kTick, false));

    // Mode 29 steps once more than one tick has passed.
    timer.Restart(0);
    EXPECT_FALSE(timer.Due(29, 0, 2 * kTick - 1, false));
    EXPECT_TRUE(timer.Due(29, 0, 2 * kTick, false));
    // Period 0: every turn while streaming, once a tick otherwise.
    timer.Restart(0);
    EXPECT_TRUE(timer.Due(30, 0, 10, true));
    EXPECT_TRUE(timer.Due(30, 0, 20, true));
    EXPECT_FALSE(timer.Due(30, 0, 30, false));
    EXPECT_TRUE(timer.Due(30, 0, 20 + kTick, false));
}

TEST(KeyboardLightGridTest, EveryCellHoldsADistinctPositionThatMapsBack) {
    std::set<int> seen;
    for (int r = 0; r < KeyboardLightGrid::kRows; ++r) {
        for (int c = 0; c < KeyboardLightGrid::kColumns; ++c) {
            const uint8_t p = KeyboardLightGrid::At(c, r);
            if (p == KeyboardLightGrid::kEmpty) {
                continue;
            }
            EXPECT_TRUE(seen.insert(p).second) << "position " << int{p} << " twice";
            const auto cell = KeyboardLightGrid::CellOf(p);
            ASSERT_TRUE(cell);
            EXPECT_EQ(cell->column, c);
            EXPECT_EQ(cell->row, r);
        }
    }
    EXPECT_GE(seen.size(), 115u) << "the full-size board's keys";
    EXPECT_EQ(KeyboardLightGrid::At(-1, 0), KeyboardLightGrid::kEmpty);
    EXPECT_EQ(KeyboardLightGrid::At(0, 6), KeyboardLightGrid::kEmpty);
    EXPECT_FALSE(KeyboardLightGrid::CellOf(126));
    EXPECT_EQ(KeyboardLightGrid::At(1, 0), 0) << "Esc";
    EXPECT_EQ(KeyboardLightGrid::At(17, 4), 96) << "the up arrow above the down arrow";
    EXPECT_EQ(KeyboardLightGrid::At(17, 5), 114);
}

TEST(KeyboardLightingEngineTest, ModeOneFollowsTheWheelAndTheWave) {
    KeyboardLightSettings s;
    s.mode = 1;
    s.brightness = 3;
    s.multicolour = true;
    Engine engine;
    ReactiveKeys keys;
    engine.Setup(s);
    engine.Step(s, keys);  // the phase moves to 1
    for (int c = 0; c < KeyboardLightGrid::kColumns; ++c) {
        for (int r = 0; r < KeyboardLightGrid::kRows; ++r) {
            const uint8_t p = KeyboardLightGrid::At(c, r);
            if (p == KeyboardLightGrid::kEmpty) {
                continue;
            }
            EXPECT_EQ(engine.elements()[p].colour,
                      LightTables::ColourWheel(static_cast<size_t>(1 + 7 * c)));
            EXPECT_EQ(engine.elements()[p].level, LightTables::Level(3));
        }
    }
    // Without the multicolour flag: the colour, at the wave's level; the other direction
    // moves the phase back, wrapping below 0.
    s.multicolour = false;
    s.direction = 1;
    s.colour = {10, 20, 30};
    engine.Setup(s);
    engine.Step(s, keys);
    EXPECT_EQ(engine.phase(), 191);
    const uint8_t esc = KeyboardLightGrid::At(1, 0);
    EXPECT_EQ(engine.elements()[esc].colour, (Rgb{10, 20, 30}));
    EXPECT_EQ(engine.elements()[esc].level, LightTables::Wave(191 + 7));
}

TEST(KeyboardLightingEngineTest, EveryModeMovesInsideTheGridExceptTheStillOnes) {
    const std::set<int> still = {3, 8, 21};
    std::map<std::set<std::vector<uint8_t>>, int> looks;  // every frame a mode showed
    for (int mode = 1; mode <= 45; ++mode) {
        if (mode >= 31 && mode <= 39) {
            continue;  // not in the mode list
        }
        SCOPED_TRACE("mode " + std::to_string(mode));
        KeyboardLightSettings s;
        s.mode = mode;
        s.multicolour = mode % 2 == 0;
        Engine engine;
        ReactiveKeys keys;
        std::vector<Engine::CustomColour> custom(170, {Rgb{0, 0, 255}, true});
        engine.Setup(s, custom);
        if (mode == 29) {
            std::array<uint8_t, Engine::kBands> bands{};
            bands[3] = 200;
            engine.SetSpectrum(bands);
        }
        std::set<std::vector<uint8_t>> frames;
        for (int step = 0; step < 40; ++step) {
            if (Engine::IsReactive(mode) && step % 10 == 0) {
                keys.Press(KeyboardLightGrid::At(5 + step / 10, 2));
            }
            engine.Step(s, keys);
            std::vector<uint8_t> frame;
            for (size_t p = 0; p < Engine::kLights; ++p) {
                const auto& e = engine.elements()[p];
                frame.insert(frame.end(), {e.colour.red, e.colour.green, e.colour.blue, e.level});
                if (e.level != 0) {
                    EXPECT_TRUE(KeyboardLightGrid::CellOf(p)) << "light " << p << " is off the grid";
                }
            }
            frames.insert(frame);
        }
        if (still.contains(mode)) {
            EXPECT_EQ(frames.size(), 1u);
        } else {
            EXPECT_GT(frames.size(), 2u);
        }
        const auto [other, added] = looks.emplace(frames, mode);
        EXPECT_TRUE(added) << "looks like mode " << other->second;
    }
}

TEST(KeyboardLightingEngineTest, PressedKeysLightOnlyInReactiveModesAndFadeOut) {
    KeyboardLightSettings s;
    s.mode = 6;
    Engine engine;
    ReactiveKeys keys;
    engine.Setup(s);
    const uint8_t a = KeyboardLightGrid::At(3, 3);
    keys.Press(a);
    engine.Step(s, keys);
    EXPECT_EQ(engine.elements()[a].level, 255);
    int steps = 1;
    while (engine.elements()[a].level != 0 && steps < 1000) {
        engine.Step(s, keys);
        ++steps;
    }
    EXPECT_LT(steps, 1000) << "a lit key fades to nothing";
    EXPECT_GT(steps, 10) << "not at once";
    EXPECT_TRUE(Engine::IsReactive(10) && Engine::IsReactive(23) && !Engine::IsReactive(8));
}

TEST(KeyboardLightingEngineTest, TheMusicBarsFollowTheSpectrumAndRestWithoutSound) {
    KeyboardLightSettings s;
    s.mode = 29;
    Engine engine;
    ReactiveKeys keys;
    engine.Setup(s);
    std::array<uint8_t, Engine::kBands> bands{};
    bands[5] = 255;
    engine.SetSpectrum(bands);
    engine.Step(s, keys);
    EXPECT_EQ(engine.elements()[KeyboardLightGrid::At(5, 0)].level, 255) << "a full bar";
    EXPECT_EQ(engine.elements()[KeyboardLightGrid::At(6, 0)].level, 0);
    for (int i = 0; i < 200; ++i) {
        engine.Step(s, keys);
    }
    EXPECT_EQ(engine.elements()[KeyboardLightGrid::At(5, 0)].level, 0) << "the bar fell";
    EXPECT_EQ(engine.elements()[KeyboardLightGrid::At(5, 5)].level, 255 / 8)
        << "the bottom row rests";
}

TEST(KeyboardColourStreamTest, SlotOrderLevelAndTheSelectionMask) {
    // A key table whose slot 0 holds Esc (position 0) and slot 2 holds A (position 64).
    std::vector<uint8_t> table(6 * 3, 0);
    const auto& codes = KeyIdentityCodes();
    const auto put = [&](size_t slot, int position) {
        table[slot * 3] = static_cast<uint8_t>(codes[static_cast<size_t>(position)] >> 16);
        table[slot * 3 + 1] = static_cast<uint8_t>(codes[static_cast<size_t>(position)] >> 8);
        table[slot * 3 + 2] = static_cast<uint8_t>(codes[static_cast<size_t>(position)]);
    };
    put(0, 0);
    put(2, 64);
    const KeyboardPositionMap map = KeyboardPositionMap::Build(table);
    Engine::Elements elements{};
    elements[0] = {Rgb{255, 128, 0}, 128, true};
    elements[64] = {Rgb{10, 20, 30}, 255, false};
    elements[1] = {Rgb{255, 255, 255}, 255, true};  // F1: no slot here
    const std::vector<uint8_t> bytes = KeyboardColourStream::Build(elements, map, 6);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{127, 64, 0, 0, 0, 0, 9, 19, 29, 0, 0, 0, 0, 0, 0, 0,
                                           0, 0}));

    const auto mask = KeyboardColourStream::SelectionMask(elements, map);
    EXPECT_EQ(mask[0], 0x01) << "slot 0: bit 0 of byte 0";
    EXPECT_EQ(std::count(mask.begin(), mask.end(), 0), 20);
}

}  // namespace
}  // namespace marlo::devices
