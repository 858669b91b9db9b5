#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "devices/ChipLibrary.h"

namespace marlo::devices {

// The headset's audio settings through its chip library: start-up (every property given its
// default when it cannot be read), reading the chip's values, and each setting with its
// fallback. What it read is kept here; a value that could not be read keeps the one before.
class CHeadsetAudio {
  public:
    struct State {
        int micVolume = 0;  // 0-100
        bool micMute = false;
        int monitorVolume = 0;  // 0-100
        bool monitorMute = false;
        bool voiceEffect = false;
        int voiceSelection = 1;  // 1-4
        bool voiceEffectRead = false;  // the chip has voice effects, and the switch was read
        // The ranges and gains as the chip gave them ("%.2f").
        std::string micMax, micMin, micStep, micGain;
        std::string monitorMax, monitorMin, monitorStep, monitorGain;
        std::vector<int> bands;  // the equaliser's ten bands as last written
        bool surround = false;
        bool noiseReduction = false;
    };
    static constexpr int kBands = 10;

    // Loads the library (`library`) and starts it on the headset's card under `root`, keeping
    // the chip's properties in `storeFolder`; then the defaults and a first reading. False when
    // there is no chip to talk to (the page then shows no chip values).
    bool Start(const std::filesystem::path& library, const std::filesystem::path& root,
               const std::filesystem::path& storeFolder);
    bool started() const { return started_; }
    // Reads every value of the chip, in the chip's order.
    void Read();
    const State& state() const { return state_; }
    CChipLibrary& chip() { return chip_; }

    // Each returns true when the chip took it.
    bool SetMicVolume(int volume);
    bool SetMicMute(bool mute);
    bool SetMonitorVolume(int volume);
    bool SetMonitorMute(bool mute);
    // The equaliser on, then the ten bands in order.
    bool SetEqualiser(const std::vector<int>& bands);
    bool SetVoiceEffect(bool on);
    bool SetVoiceSelection(int selection);
    bool SetSurround(bool on);
    bool SetNoiseReduction(bool on);

  private:
    void ApplyDefaults();
    bool SetNumber(const std::optional<CChipLibrary::Endpoint>& endpoint, const char* name,
                   int channel, double value);
    std::string Fixed(const std::optional<CChipLibrary::Endpoint>& endpoint, const char* name,
                      int channel, const std::string& before);

    CChipLibrary chip_;
    State state_;
    bool started_ = false;
};

}  // namespace marlo::devices
