#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace marlo::devices {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The tables the host-driven lighting effects are made of.
class LightTables {
  public:
    static constexpr size_t kBreathingSteps = 128;
    static constexpr size_t kWheelSteps = 192;
    static constexpr int kSpeedLevels = 5;
    static constexpr int kBrightnessLevels = 5;

    // The breathing curve: 0 rising to 255 over entries 0-63, falling back over 64-127.
    static uint8_t BreathingCurve(size_t phase);
    // The colour wheel: red → yellow → green → cyan → blue → magenta → red in 192 steps of
    // 32 per sixth; a rising channel is 1 + 8k, a falling one 248 - 8k.
    static Rgb ColourWheel(size_t phase);
    // Lighting-thread ticks (of 1 ms) per effect step, by speed level 0-4: 8, 6, 4, 2, 1.
    // Levels outside 0-4 count as the nearest one.
    static int SpeedTicks(int speedLevel);
    // The frame level of a brightness level 0-4: 0, 80, 135, 195, 255.
    static uint8_t Level(int brightnessLevel);
    // A smooth wave of 96 entries between 0 and 255 (0 at entry 0, 255 at entry 48).
    static uint8_t Wave(size_t phase);
    static constexpr size_t kWaveSteps = 96;
    // How much a reactive key's value fades in one step: by its high bits (bright keys fade
    // fast, dim ones slowly) and the fade mode (0, 29 for the music bars, any other).
    static uint8_t FadeStep(uint8_t value, int fadeMode);
    // The four fixed colours of the four-colour effects.
    static const std::array<Rgb, 4>& FourColours();
};

}  // namespace marlo::devices
