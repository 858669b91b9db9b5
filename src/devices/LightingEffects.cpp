#include "devices/LightingEffects.h"

namespace marlo::devices {
namespace {

constexpr int kBreathingSteps = static_cast<int>(LightTables::kBreathingSteps);
constexpr int kWheelSteps = static_cast<int>(LightTables::kWheelSteps);
constexpr int kWheelJump = 16;
constexpr uint64_t kBlinkMsPerTick = 200;

uint8_t BreathingLevel(int phase, int brightness) {
    return static_cast<uint8_t>(LightTables::BreathingCurve(static_cast<size_t>(phase)) *
                                LightTables::Level(brightness) / 256);
}

}  // namespace

bool LightingEffects::Advance(int steps, bool forward) {
    phase_ %= steps;  // another effect may have left it past this one's range
    if (forward) {
        if (++phase_ < steps) {
            return false;
        }
        phase_ = 0;
        return true;
    }
    if (--phase_ >= 0) {
        return false;
    }
    phase_ = steps - 1;
    return true;
}

void LightingEffects::StepBreathing(LightingFrame& frame, const EffectSettings& settings) {
    if (Advance(kBreathingSteps, settings.forward)) {
        counter_ = (counter_ + kWheelJump) % kWheelSteps;
    }
    const Rgb colour = settings.rainbow
                           ? LightTables::ColourWheel(static_cast<size_t>(counter_ % kWheelSteps))
                           : settings.colour;
    frame.Fill(colour, BreathingLevel(phase_, settings.brightness));
}

void LightingEffects::StepBreathingFourColours(LightingFrame& frame,
                                               const EffectSettings& settings) {
    if (Advance(kBreathingSteps, settings.forward)) {
        counter_ = (counter_ + 1) % 4;
    }
    frame.Fill(LightTables::FourColours()[static_cast<size_t>(counter_ % 4)],
               BreathingLevel(phase_, settings.brightness));
}

void LightingEffects::StepStatic(LightingFrame& frame, const EffectSettings& settings) {
    frame.Fill(settings.colour, LightTables::Level(settings.brightness));
}

void LightingEffects::StepColourCycle(LightingFrame& frame, const EffectSettings& settings) {
    Advance(kWheelSteps, settings.forward);
    frame.Fill(LightTables::ColourWheel(static_cast<size_t>(phase_)),
               LightTables::Level(settings.brightness));
}

bool LightingEffects::FlipIfDue(const EffectSettings& settings, uint64_t nowMs) {
    const uint64_t interval =
        static_cast<uint64_t>(LightTables::SpeedTicks(settings.speed)) * kBlinkMsPerTick;
    if (nowMs - lastFlipMs_ < interval) {
        return false;
    }
    lastFlipMs_ = nowMs;
    on_ = !on_;
    return true;
}

void LightingEffects::StepBlink(LightingFrame& frame, const EffectSettings& settings,
                                uint64_t nowMs) {
    if (FlipIfDue(settings, nowMs)) {
        phase_ = (phase_ + kWheelJump) % kWheelSteps;
    }
    if (!on_) {
        frame.Fill({}, 0);
        return;
    }
    const Rgb colour =
        settings.rainbow ? LightTables::ColourWheel(static_cast<size_t>(phase_)) : settings.colour;
    frame.Fill(colour, LightTables::Level(settings.brightness));
}

void LightingEffects::StepBlinkFourColours(LightingFrame& frame, const EffectSettings& settings,
                                           uint64_t nowMs) {
    if (FlipIfDue(settings, nowMs)) {
        counter_ = (counter_ + 1) % 4;
    }
    if (!on_) {
        frame.Fill({}, 0);
        return;
    }
    frame.Fill(LightTables::FourColours()[static_cast<size_t>(counter_ % 4)],
               LightTables::Level(settings.brightness));
}

void LightingEffects::StepOff(LightingFrame& frame) {
    frame.Fill({}, 0);
}

}  // namespace marlo::devices
