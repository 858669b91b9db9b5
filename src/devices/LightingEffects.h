#pragma once

#include <cstdint>

#include "devices/LightTables.h"
#include "devices/LightingFrame.h"

namespace marlo::devices {

// What a profile says of a host-driven effect.
struct EffectSettings {
    Rgb colour;
    int brightness = 4;  // 0-4
    int speed = 2;       // 0-4
    bool rainbow = false;
    bool forward = true;  // the direction the phase moves in
};

// The effects every device page can run on its lighting frame, one step per call, and the
// state they keep between steps: the phase (0-191), a second counter (the rainbow colour, or
// which of the four fixed colours) and, for blinking, the on/off toggle and when it last
// flipped. Each step writes every light of the frame (its colour and level).
class LightingEffects {
  public:
    // Breathing: the phase moves one step within 0-127, wrapping at either end; the level
    // follows the breathing curve. With the rainbow flag the colour is the wheel's at a counter
    // that moves 16 (within 0-191) each time the phase wraps.
    void StepBreathing(LightingFrame& frame, const EffectSettings& settings);
    // As breathing, the colour one of the four fixed colours, the next at each wrap.
    void StepBreathingFourColours(LightingFrame& frame, const EffectSettings& settings);
    static void StepStatic(LightingFrame& frame, const EffectSettings& settings);
    // The phase moves one step within 0-191, wrapping; the colour is the wheel's.
    void StepColourCycle(LightingFrame& frame, const EffectSettings& settings);
    // Every (speed ticks × 200) ms the toggle flips and the phase moves 16; while on the
    // profile colour (the wheel's with the rainbow flag), while off nothing.
    void StepBlink(LightingFrame& frame, const EffectSettings& settings, uint64_t nowMs);
    // As blink, through the four fixed colours, the next at each flip.
    void StepBlinkFourColours(LightingFrame& frame, const EffectSettings& settings, uint64_t nowMs);
    static void StepOff(LightingFrame& frame);

    int phase() const { return phase_; }
    int counter() const { return counter_; }
    bool on() const { return on_; }

  private:
    // Moves the phase one step within [0, steps); true when it wrapped.
    bool Advance(int steps, bool forward);
    // Flips the toggle when its time has come; true when it flipped.
    bool FlipIfDue(const EffectSettings& settings, uint64_t nowMs);

    int phase_ = 0;
    int counter_ = 0;
    bool on_ = false;
    uint64_t lastFlipMs_ = 0;
};

}  // namespace marlo::devices
