#include "devices/LightTables.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace marlo::devices {
namespace {

constexpr std::array<uint8_t, 64> kRising = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

// Fade steps by the value's top three bits.
// Mode 0 fades a key in about 28 steps, the music bars in about 14, the others in about 20.
constexpr std::array<uint8_t, 8> kFadeMode0 = {4, 6, 8, 10, 12, 16, 20, 24};
constexpr std::array<uint8_t, 8> kFadeMusic = {8, 10, 12, 16, 20, 24, 28, 32};
constexpr std::array<uint8_t, 8> kFadeOther = {6, 8, 10, 12, 16, 20, 24, 28};

constexpr std::array<int, 5> kSpeedTicks = {8, 6, 4, 2, 1};
constexpr std::array<uint8_t, 5> kLevels = {0, 80, 135, 195, 255};

}  // namespace

uint8_t LightTables::BreathingCurve(size_t phase) {
    phase %= kBreathingSteps;
    return phase < kRising.size() ? kRising[phase] : kRising[kBreathingSteps - 1 - phase];
}

Rgb LightTables::ColourWheel(size_t phase) {
    phase %= kWheelSteps;
    const auto k = static_cast<uint8_t>(phase % 32);
    const auto rising = static_cast<uint8_t>(1 + 8 * k);
    const auto falling = static_cast<uint8_t>(248 - 8 * k);
    switch (phase / 32) {
        case 0:
            return {255, rising, 0};  // red → yellow
        case 1:
            return {falling, 255, 0};  // yellow → green
        case 2:
            return {0, 255, rising};  // green → cyan
        case 3:
            return {0, falling, 255};  // cyan → blue
        case 4:
            return {rising, 0, 255};  // blue → magenta
        default:
            return {255, 0, falling};  // magenta → red
    }
}

uint8_t LightTables::Wave(size_t phase) {
    // (1 - cos) / 2 over one period, as integers.
    static const std::array<uint8_t, kWaveSteps> wave = [] {
        std::array<uint8_t, kWaveSteps> w{};
        for (size_t i = 0; i < kWaveSteps; ++i) {
            const double c = std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                      static_cast<double>(kWaveSteps));
            w[i] = static_cast<uint8_t>(std::lround(127.5 * (1.0 - c)));
        }
        return w;
    }();
    return wave[phase % kWaveSteps];
}

uint8_t LightTables::FadeStep(uint8_t value, int fadeMode) {
    const auto& table = fadeMode == 0 ? kFadeMode0 : fadeMode == 29 ? kFadeMusic : kFadeOther;
    return std::min(value, table[value >> 5]);
}

int LightTables::SpeedTicks(int speedLevel) {
    return kSpeedTicks[static_cast<size_t>(std::clamp(speedLevel, 0, kSpeedLevels - 1))];
}

uint8_t LightTables::Level(int brightnessLevel) {
    return kLevels[static_cast<size_t>(std::clamp(brightnessLevel, 0, kBrightnessLevels - 1))];
}

const std::array<Rgb, 4>& LightTables::FourColours() {
    static const std::array<Rgb, 4> colours = {Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255},
                                               Rgb{255, 0, 0}};
    return colours;
}

}  // namespace marlo::devices
