#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/LightTables.h"
#include "devices/ReactiveKeys.h"

namespace marlo::devices {

// What the keyboard's lighting is set to, as the lighting thread steps it.
struct KeyboardLightSettings {
    int mode = 1;         // the keyboard's own mode value (1-45)
    int brightness = 4;   // 0-4
    int deviceSpeed = 2;  // 0-4, 4 the fastest (the block's speed byte)
    int direction = 0;    // 0 one way, anything else the other
    bool multicolour = false;
    Rgb colour{255, 255, 255};
    bool operator==(const KeyboardLightSettings&) const = default;
};

// The keyboard's light element list and the effects that animate it, one step per call: the
// engine of the lighting thread, free of threads and clocks so that every mode can be stepped
// and looked at on its own. Effects lay their colours through the light grid (23 × 6).
class KeyboardLightingEngine {
  public:
    static constexpr size_t kLights = 170;
    static constexpr size_t kBands = 23;  // mode 29's bars, one per grid column

    struct Element {
        Rgb colour;
        uint8_t level = 0;
        bool selected = false;
        bool operator==(const Element&) const = default;
    };
    using Elements = std::array<Element, kLights>;
    // A custom group's colour for one light (mode 21): shown when `on`.
    struct CustomColour {
        Rgb colour;
        bool on = false;
    };

    // Key presses light keys in these modes.
    static bool IsReactive(int mode);
    // The modes that stand still once set up (a step draws the same again).
    static bool IsStill(int mode) { return mode == 0 || mode == 3 || (mode >= 31 && mode <= 39); }
    // The modes whose frames the host streams to the keyboard.
    static bool IsHostStreamed(int mode) { return mode == 29 || mode == 30; }

    // Applying a mode: every element black, the step counter 0, then the mode's set-up. Mode
    // 21 takes the custom group's colours (light by light).
    void Setup(const KeyboardLightSettings& settings,
               const std::vector<CustomColour>& custom = {});
    // One step of the mode.
    void Step(const KeyboardLightSettings& settings, ReactiveKeys& keys);
    // The sound's spectrum for mode 29, 0-255 per band; without one the bars fall and rest.
    void SetSpectrum(const std::array<uint8_t, kBands>& bands) { spectrum_ = bands; }

    const Elements& elements() const { return elements_; }
    // Mode 21 paints single lights.
    void SetElement(size_t light, const Element& element);
    uint32_t steps() const { return steps_; }
    int phase() const { return phase_; }

  private:
    struct Spot {  // a ripple, firework or meteor
        int column = 0;
        int row = 0;
        int age = 0;
        uint8_t hue = 0;
    };

    // Moves the phase one step within [0, steps); true when it wrapped.
    bool Advance(int steps, bool forward);
    uint32_t Random();
    void Put(size_t light, Rgb colour, uint8_t level);
    void PutCell(int column, int row, Rgb colour, uint8_t level);
    void FillAll(Rgb colour, uint8_t level);
    void DimAll(int numerator, int denominator);
    // The profile's colour, or with the multicolour flag the wheel's at `hue`.
    Rgb ColourOr(const KeyboardLightSettings& s, size_t hue) const;

    void StepWave(const KeyboardLightSettings& s);
    void StepBreathing(const KeyboardLightSettings& s);
    void StepStatic(const KeyboardLightSettings& s);
    void StepBlink(const KeyboardLightSettings& s);
    void StepRipple(const KeyboardLightSettings& s);
    void StepReactive(const KeyboardLightSettings& s, ReactiveKeys& keys);
    void StepRain(const KeyboardLightSettings& s);
    void StepFade(const KeyboardLightSettings& s, ReactiveKeys& keys);
    void StepSpiral(const KeyboardLightSettings& s);
    void StepCross(const KeyboardLightSettings& s);
    void StepRadar(const KeyboardLightSettings& s);
    void StepAurora(const KeyboardLightSettings& s);
    void StepHeartbeat(const KeyboardLightSettings& s);
    void StepFireworks(const KeyboardLightSettings& s);
    void StepFlow(const KeyboardLightSettings& s);
    void StepTide(const KeyboardLightSettings& s);
    void StepCustom(const KeyboardLightSettings& s);
    void StepScan(const KeyboardLightSettings& s);
    void StepReactiveRipple(const KeyboardLightSettings& s, ReactiveKeys& keys);
    void StepColourCycle(const KeyboardLightSettings& s);
    void StepLightning(const KeyboardLightSettings& s);
    void StepMusic(const KeyboardLightSettings& s);
    void StepHostAnimation(const KeyboardLightSettings& s);
    void StepMeteor(const KeyboardLightSettings& s);
    void StepSine(const KeyboardLightSettings& s);
    void StepCentreWave(const KeyboardLightSettings& s);
    void StepTwinkle(const KeyboardLightSettings& s);
    void StepPulse(const KeyboardLightSettings& s);
    void StepKaleidoscope(const KeyboardLightSettings& s);
    // The modes without a routine of their own (starlight, snake, game zones, the unnamed).
    void StepCommon(const KeyboardLightSettings& s);

    Elements elements_{};
    uint32_t steps_ = 0;
    int phase_ = 0;
    int counter_ = 0;
    int position_ = 0;
    int heading_ = 1;
    static constexpr uint32_t kSeed = 0x2545F491u;
    uint32_t random_ = kSeed;
    std::vector<Spot> spots_;
    std::array<uint8_t, kBands> spectrum_{};
    std::array<uint8_t, kBands> bars_{};
};

}  // namespace marlo::devices
