#pragma once

#include <optional>

namespace marlo::chip {

// The two volumes of the headset the chip exposes: the microphone as recorded, and the
// microphone as heard in the headphones (the monitor, or side tone). Levels are 0-1, gains in
// dB.
class IChipMixer {
  public:
    enum class Control { kMicrophone, kMonitor };
    struct Range {
        double minDb = 0;
        double maxDb = 0;
        double stepDb = 0;
    };

    virtual ~IChipMixer() = default;
    virtual std::optional<Range> GainRange(Control control) = 0;
    virtual std::optional<double> Level(Control control) = 0;
    virtual bool SetLevel(Control control, double level) = 0;
    virtual std::optional<double> Gain(Control control) = 0;
    virtual bool SetGain(Control control, double db) = 0;
    virtual std::optional<bool> Muted(Control control) = 0;
    virtual bool SetMuted(Control control, bool muted) = 0;
};

}  // namespace marlo::chip
