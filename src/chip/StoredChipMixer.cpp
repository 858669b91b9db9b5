#include "chip/StoredChipMixer.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace marlo::chip {
namespace {

constexpr double kMinDb = -12.0;
constexpr double kMaxDb = 30.0;
constexpr double kStepDb = 0.5;
constexpr double kStartLevel = 0.75;

const char* LevelKey(IChipMixer::Control control) {
    return control == IChipMixer::Control::kMicrophone ? "mixer.microphone.level"
                                                       : "mixer.monitor.level";
}

const char* MuteKey(IChipMixer::Control control) {
    return control == IChipMixer::Control::kMicrophone ? "mixer.microphone.mute"
                                                       : "mixer.monitor.mute";
}

}  // namespace

std::optional<IChipMixer::Range> StoredChipMixer::GainRange(Control) {
    return Range{kMinDb, kMaxDb, kStepDb};
}

std::optional<double> StoredChipMixer::Level(Control control) {
    const auto text = store_.Get(LevelKey(control), 0);
    return text ? std::clamp(std::strtod(text->c_str(), nullptr), 0.0, 1.0) : kStartLevel;
}

bool StoredChipMixer::SetLevel(Control control, double level) {
    return store_.Set(LevelKey(control), 0, std::to_string(std::clamp(level, 0.0, 1.0)));
}

std::optional<double> StoredChipMixer::Gain(Control control) {
    const auto level = Level(control);
    return level ? std::optional(kMinDb + *level * (kMaxDb - kMinDb)) : std::nullopt;
}

bool StoredChipMixer::SetGain(Control control, double db) {
    return SetLevel(control, (std::clamp(db, kMinDb, kMaxDb) - kMinDb) / (kMaxDb - kMinDb));
}

std::optional<bool> StoredChipMixer::Muted(Control control) {
    const auto text = store_.Get(MuteKey(control), 0);
    return text && *text == "1";
}

bool StoredChipMixer::SetMuted(Control control, bool muted) {
    return store_.Set(MuteKey(control), 0, muted ? "1" : "0");
}

}  // namespace marlo::chip
