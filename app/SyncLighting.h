#pragma once

#include <atomic>
#include <cstdint>

#include "platform/Event.h"

namespace marlo::app {

class CDeviceList;

// Synchronised lighting: one effect played on every device whose synchronised-lighting
// option is on, as long as one of them is connected. The effect comes from the current
// device's lighting when the person asks for it ("deng_same_mode").
class SyncLighting {
  public:
    enum Effect : int { kBreathing = 0, kSteady = 1, kFlashing = 2, kColourCycle = 3, kOff = 4 };
    struct Settings {
        int effect = kSteady;
        int speed = 2;       // 0-4
        int brightness = 4;  // 0-4
        bool colourCycle = false;
        uint32_t colour = 0xFFFFFF;  // 0xRRGGBB
    };

    // The effect that stands for a device's lighting mode (the mode values the devices share:
    // colour cycle 1, breathing 2, static 3, blinking 4, off 8); any other mode plays steady.
    static int EffectOf(int modeValue);
    // Steps (of about 1 ms) between two frames, by speed level 0-4.
    static int Threshold(int speed);
    // Frame `step` of an effect: red | green << 8 | blue << 16 | level << 24; 0 for "off".
    static uint32_t Frame(const Settings& settings, uint32_t step);

    explicit SyncLighting(const CDeviceList& devices) : devices_(devices) {}

    // The effect to play from now on; the thread, resting while no device takes part, looks
    // again.
    void SetSettings(const Settings& settings);
    Settings settings() const;

    // The thread's body: ends at `stop` with its debug line.
    void Run(platform::Event& stop);

  private:
    // Whether a connected device takes part; `anyOption` says whether any device has the
    // option on at all (connected or not).
    bool AnyTakesPart(bool* anyOption) const;
    void Hand(uint32_t frame) const;

    const CDeviceList& devices_;
    std::atomic<int> effect_{kSteady};
    std::atomic<int> speed_{2};
    std::atomic<int> brightness_{4};
    std::atomic<bool> colourCycle_{false};
    std::atomic<uint32_t> colour_{0xFFFFFF};
    platform::Event settingsChanged_{platform::Event::Reset::kAuto};
};

}  // namespace marlo::app
