#include "devices/HeadsetAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace marlo::devices {
namespace {

using Endpoint = std::optional<CChipLibrary::Endpoint>;

std::string Decimal(double value) {
    char text[32];
    if (value == std::floor(value) && std::fabs(value) < 1e9) {
        std::snprintf(text, sizeof text, "%.0f", value);
    } else {
        std::snprintf(text, sizeof text, "%.2f", value);
    }
    return text;
}

std::string Band(int band) { return "EQ_Slider" + std::to_string(band + 1); }

}  // namespace

bool CHeadsetAudio::Start(const std::filesystem::path& library, const std::filesystem::path& root,
                          const std::filesystem::path& storeFolder) {
    started_ = chip_.Load(library) && chip_.Start(root, storeFolder);
    if (started_) {
        ApplyDefaults();
        Read();
    }
    return started_;
}

bool CHeadsetAudio::SetNumber(const Endpoint& endpoint, const char* name, int channel,
                              double value) {
    return endpoint && chip_.Set(*endpoint, name, channel, Decimal(value)) == 0;
}

void CHeadsetAudio::ApplyDefaults() {
    struct Default {
        bool playback;
        const char* name;
        int channel;
    };
    std::vector<Default> defaults = {{true, "VirtualSurroundEffectControl", 0},
                                     {false, "Enable_ENC_LFX", 0},
                                     {false, "VolumeControl", -1},
                                     {true, "Enable_EQ_GFX", 0}};
    static const std::vector<std::string> kBandNames = [] {
        std::vector<std::string> names;
        for (int b = 0; b < kBands; ++b) {
            names.push_back(Band(b));
        }
        return names;
    }();
    for (const std::string& band : kBandNames) {
        defaults.push_back({true, band.c_str(), 0});
    }
    for (const Default d : std::initializer_list<Default>{
             {true, "Enable_RFX_GFX", 0},          {true, "RFX_ENVIRONMENT", 0},
             {true, "RFX_ROOMSIZE", 0},            {false, "MuteControl", 0},
             {false, "VolumeScalarControl", -1},   {false, "AAVolumeControl", 0},
             {false, "AAMuteControl", 0},          {false, "AAVolumeScalarControl", 0},
             {false, "Enable_MAGICVOICE", 0},      {false, "MagicVoice_Selection", 0}}) {
        defaults.push_back(d);
    }
    for (const Default& d : defaults) {
        const Endpoint& endpoint = d.playback ? chip_.playback() : chip_.capture();
        std::string text;
        if (endpoint && chip_.Get(*endpoint, d.name, d.channel, text) != 0) {
            chip_.Set(*endpoint, d.name, d.channel, "0");
        }
    }
}

std::string CHeadsetAudio::Fixed(const Endpoint& endpoint, const char* name, int channel,
                                 const std::string& before) {
    const auto value = endpoint ? chip_.GetNumber(*endpoint, name, channel) : std::nullopt;
    if (!value) {
        return before;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *value);
    return text;
}

void CHeadsetAudio::Read() {
    const Endpoint& capture = chip_.capture();
    if (!capture) {
        return;
    }
    const auto number = [&](const char* name, int channel) {
        return chip_.GetNumber(*capture, name, channel);
    };
    State& s = state_;
    s.micMax = Fixed(capture, "GetMaxVol", 0, s.micMax);
    s.micMin = Fixed(capture, "GetMinVol", 0, s.micMin);
    s.micStep = Fixed(capture, "GetVolStep", 0, s.micStep);
    s.micGain = Fixed(capture, "VolumeControl", -1, s.micGain);
    if (const auto mute = number("MuteControl", 0)) {
        s.micMute = *mute != 0;
    }
    if (const auto level = number("VolumeScalarControl", -1)) {
        s.micVolume = std::clamp(static_cast<int>(std::lround(*level * 100)), 0, 100);
    }
    s.monitorMax = Fixed(capture, "GetAAMaxVol", 0, s.monitorMax);
    s.monitorMin = Fixed(capture, "GetAAMinVol", 0, s.monitorMin);
    s.monitorStep = Fixed(capture, "GetAAVolStep", 0, s.monitorStep);
    s.monitorGain = Fixed(capture, "AAVolumeControl", 0, s.monitorGain);
    if (const auto mute = number("AAMuteControl", 0)) {
        s.monitorMute = *mute != 0;
    }
    if (const auto level = number("AAVolumeScalarControl", 0)) {
        s.monitorVolume = std::clamp(static_cast<int>(std::lround(*level * 100)), 0, 100);
    }
    // The voice effects' switch only where the chip has them.
    if ((capture->features[0] & CChipLibrary::kVoiceEffectFeature) != 0) {
        if (const auto on = number("Enable_MAGICVOICE", 0)) {
            s.voiceEffect = *on != 0;
            s.voiceEffectRead = true;
        }
    }
    if (const auto selection = number("MagicVoice_Selection", 0)) {
        s.voiceSelection = std::clamp(static_cast<int>(*selection), 0, 3) + 1;
    }
}

bool CHeadsetAudio::SetMicVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (SetNumber(chip_.capture(), "VolumeScalarControl", -1, volume / 100.0)) {
        state_.micVolume = volume;
        state_.micGain = Fixed(chip_.capture(), "VolumeControl", -1, state_.micGain);
        return true;
    }
    // Not taken: the gain the chip has now is what the page shows.
    state_.micGain = Fixed(chip_.capture(), "VolumeControl", -1, state_.micGain);
    return false;
}

bool CHeadsetAudio::SetMicMute(bool mute) {
    const bool done = SetNumber(chip_.capture(), "MuteControl", 0, mute ? 1 : 0);
    state_.micMute = done ? mute : state_.micMute;
    return done;
}

bool CHeadsetAudio::SetMonitorVolume(int volume) {
    volume = std::clamp(volume, 0, 100);
    if (SetNumber(chip_.capture(), "AAVolumeScalarControl", 0, volume / 100.0)) {
        state_.monitorVolume = volume;
        state_.monitorGain = Fixed(chip_.capture(), "AAVolumeControl", 0, state_.monitorGain);
        return true;
    }
    state_.monitorGain = Fixed(chip_.capture(), "AAVolumeControl", 0, state_.monitorGain);
    return false;
}

bool CHeadsetAudio::SetMonitorMute(bool mute) {
    const bool done = SetNumber(chip_.capture(), "AAMuteControl", 0, mute ? 1 : 0);
    state_.monitorMute = done ? mute : state_.monitorMute;
    return done;
}

bool CHeadsetAudio::SetEqualiser(const std::vector<int>& bands) {
    if (bands.size() != static_cast<size_t>(kBands) ||
        !SetNumber(chip_.playback(), "Enable_EQ_GFX", 0, 1)) {
        return false;
    }
    bool all = true;
    for (int b = 0; b < kBands; ++b) {
        all = SetNumber(chip_.playback(), Band(b).c_str(), 0, bands[static_cast<size_t>(b)]) && all;
    }
    if (all) {
        state_.bands = bands;
    }
    return all;
}

bool CHeadsetAudio::SetVoiceEffect(bool on) {
    bool done = SetNumber(chip_.capture(), "Enable_MAGICVOICE", 0, on ? 1 : 0);
    if (done && on) {
        // The echo effect and the voice effects do not play together.
        done = SetNumber(chip_.capture(), "Enable_MICECHO", 0, 0);
    }
    state_.voiceEffect = done ? on : state_.voiceEffect;
    return done;
}

bool CHeadsetAudio::SetVoiceSelection(int selection) {
    if (selection < 1 || selection > 4) {
        return false;
    }
    const bool done = SetNumber(chip_.capture(), "MagicVoice_Selection", 0, selection - 1);
    state_.voiceSelection = done ? selection : state_.voiceSelection;
    return done;
}

bool CHeadsetAudio::SetSurround(bool on) {
    const bool done = SetNumber(chip_.playback(), "VirtualSurroundEffectControl", 0, on ? 1 : 0);
    state_.surround = done ? on : state_.surround;
    return done;
}

bool CHeadsetAudio::SetNoiseReduction(bool on) {
    bool done = SetNumber(chip_.capture(), "Enable_ENC_LFX", 0, on ? 1 : 0);
    done = SetNumber(chip_.capture(), "ENC_SELFCALIB", 0, on ? 1 : 0) && done;
    state_.noiseReduction = done ? on : state_.noiseReduction;
    return done;
}

}  // namespace marlo::devices
