#include "chip/AlsaChipMixer.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <array>
#include <span>
#include <cmath>
#include <string>
#include <string_view>

namespace marlo::chip {
namespace {

using Control = IChipMixer::Control;

constexpr std::array<std::string_view, 4> kMicrophoneNames = {"Mic", "Headset", "Capture",
                                                             "Mic Capture"};
constexpr std::array<std::string_view, 3> kMonitorNames = {"Mic", "Sidetone", "Mic Playback"};

bool IsMicrophone(Control control) { return control == Control::kMicrophone; }

bool HasVolume(snd_mixer_elem_t* elem, Control control) {
    return IsMicrophone(control) ? snd_mixer_selem_has_capture_volume(elem) != 0
                                 : snd_mixer_selem_has_playback_volume(elem) != 0;
}

}  // namespace

AlsaChipMixer::AlsaChipMixer(int card) {
    snd_mixer_t* mixer = nullptr;
    if (snd_mixer_open(&mixer, 0) < 0) {
        return;
    }
    const std::string name = "hw:" + std::to_string(card);
    if (snd_mixer_attach(mixer, name.c_str()) < 0 ||
        snd_mixer_selem_register(mixer, nullptr, nullptr) < 0 || snd_mixer_load(mixer) < 0) {
        snd_mixer_close(mixer);
        return;
    }
    mixer_ = mixer;
}

AlsaChipMixer::~AlsaChipMixer() {
    if (mixer_ != nullptr) {
        snd_mixer_close(mixer_);
    }
}

snd_mixer_elem_t* AlsaChipMixer::Element(Control control) {
    if (mixer_ == nullptr) {
        return nullptr;
    }
    snd_mixer_handle_events(mixer_);  // values another program changed since
    snd_mixer_elem_t* any = nullptr;
    const auto& preferred = IsMicrophone(control)
                                ? std::span<const std::string_view>(kMicrophoneNames)
                                : std::span<const std::string_view>(kMonitorNames);
    for (const std::string_view name : preferred) {
        for (snd_mixer_elem_t* elem = snd_mixer_first_elem(mixer_); elem != nullptr;
             elem = snd_mixer_elem_next(elem)) {
            if (snd_mixer_selem_is_active(elem) == 0 || !HasVolume(elem, control)) {
                continue;
            }
            if (name == snd_mixer_selem_get_name(elem)) {
                return elem;
            }
            any = any != nullptr ? any : elem;
        }
    }
    // A card with one capture control has its microphone there, whatever it is called; the
    // monitor must be named as one.
    return IsMicrophone(control) ? any : nullptr;
}

std::optional<IChipMixer::Range> AlsaChipMixer::GainRange(Control control) {
    snd_mixer_elem_t* elem = Element(control);
    long min = 0;
    long max = 0;
    if (elem == nullptr ||
        (IsMicrophone(control) ? snd_mixer_selem_get_capture_dB_range(elem, &min, &max)
                               : snd_mixer_selem_get_playback_dB_range(elem, &min, &max)) < 0) {
        return std::nullopt;
    }
    long rawMin = 0;
    long rawMax = 0;
    if (IsMicrophone(control)) {
        snd_mixer_selem_get_capture_volume_range(elem, &rawMin, &rawMax);
    } else {
        snd_mixer_selem_get_playback_volume_range(elem, &rawMin, &rawMax);
    }
    // ALSA gives hundredths of a dB; the step is the range over the control's raw steps.
    const double steps = static_cast<double>(std::max(1L, rawMax - rawMin));
    const auto db = [](long centi) { return static_cast<double>(centi) / 100.0; };
    return Range{db(min), db(max), db(max - min) / steps};
}

std::optional<double> AlsaChipMixer::Level(Control control) {
    snd_mixer_elem_t* elem = Element(control);
    long min = 0;
    long max = 0;
    long value = 0;
    if (elem == nullptr) {
        return std::nullopt;
    }
    const int read = IsMicrophone(control)
                         ? (snd_mixer_selem_get_capture_volume_range(elem, &min, &max),
                            snd_mixer_selem_get_capture_volume(elem, SND_MIXER_SCHN_FRONT_LEFT,
                                                               &value))
                         : (snd_mixer_selem_get_playback_volume_range(elem, &min, &max),
                            snd_mixer_selem_get_playback_volume(elem, SND_MIXER_SCHN_FRONT_LEFT,
                                                                &value));
    if (read < 0 || max <= min) {
        return std::nullopt;
    }
    return static_cast<double>(value - min) / static_cast<double>(max - min);
}

bool AlsaChipMixer::SetLevel(Control control, double level) {
    snd_mixer_elem_t* elem = Element(control);
    if (elem == nullptr) {
        return false;
    }
    long min = 0;
    long max = 0;
    if (IsMicrophone(control)) {
        snd_mixer_selem_get_capture_volume_range(elem, &min, &max);
    } else {
        snd_mixer_selem_get_playback_volume_range(elem, &min, &max);
    }
    const long value =
        min + std::lround(std::clamp(level, 0.0, 1.0) * static_cast<double>(max - min));
    return (IsMicrophone(control) ? snd_mixer_selem_set_capture_volume_all(elem, value)
                                  : snd_mixer_selem_set_playback_volume_all(elem, value)) >= 0;
}

std::optional<double> AlsaChipMixer::Gain(Control control) {
    snd_mixer_elem_t* elem = Element(control);
    long centi = 0;
    if (elem == nullptr ||
        (IsMicrophone(control)
             ? snd_mixer_selem_get_capture_dB(elem, SND_MIXER_SCHN_FRONT_LEFT, &centi)
             : snd_mixer_selem_get_playback_dB(elem, SND_MIXER_SCHN_FRONT_LEFT, &centi)) < 0) {
        return std::nullopt;
    }
    return static_cast<double>(centi) / 100.0;
}

bool AlsaChipMixer::SetGain(Control control, double db) {
    snd_mixer_elem_t* elem = Element(control);
    const long centi = std::lround(db * 100.0);
    return elem != nullptr &&
           (IsMicrophone(control) ? snd_mixer_selem_set_capture_dB_all(elem, centi, 0)
                                  : snd_mixer_selem_set_playback_dB_all(elem, centi, 0)) >= 0;
}

std::optional<bool> AlsaChipMixer::Muted(Control control) {
    snd_mixer_elem_t* elem = Element(control);
    int on = 1;
    if (elem == nullptr) {
        return std::nullopt;
    }
    if (IsMicrophone(control) ? snd_mixer_selem_has_capture_switch(elem) == 0
                              : snd_mixer_selem_has_playback_switch(elem) == 0) {
        return false;  // a control without a switch is never muted
    }
    const int read =
        IsMicrophone(control)
            ? snd_mixer_selem_get_capture_switch(elem, SND_MIXER_SCHN_FRONT_LEFT, &on)
            : snd_mixer_selem_get_playback_switch(elem, SND_MIXER_SCHN_FRONT_LEFT, &on);
    if (read < 0) {
        return std::nullopt;
    }
    return on == 0;
}

bool AlsaChipMixer::SetMuted(Control control, bool muted) {
    snd_mixer_elem_t* elem = Element(control);
    if (elem == nullptr) {
        return false;
    }
    const int on = muted ? 0 : 1;
    return (IsMicrophone(control) ? snd_mixer_selem_set_capture_switch_all(elem, on)
                                  : snd_mixer_selem_set_playback_switch_all(elem, on)) >= 0;
}

}  // namespace marlo::chip
