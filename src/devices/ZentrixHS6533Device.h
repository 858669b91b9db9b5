#pragma once

#include <mutex>
#include <optional>

#include "devices/HeadsetAudio.h"
#include "devices/HeadsetLightReports.h"
#include "devices/LitDevice.h"
#include "devices/ZentrixUSBDevice.h"
#include "profiles/Hs6533Profiledata.h"

namespace marlo::devices {

// The USB headset: its page ("hs6533device.xml"), its audio settings through the chip library
// (microphone and monitor volume and mute, equaliser, voice effects, surround, noise
// reduction), kept in its profile, and its 13 LEDs as lighting reports.
class CZentrixHS6533Device : public CZentrixUSBDevice, public ILitDevice {
  public:
    static constexpr int kMaxCustomEq = 20;

    CZentrixHS6533Device();
    // The lighting thread reads this object's lighting: it ends before the object does.
    ~CZentrixHS6533Device() override;
    std::string_view GetClass() const override { return "ZentrixHS6533Device"; }

    // The frame as the headset's twelve lighting reports, sent through its channel when they
    // differ from the last ones it took (and again in full after a new link).
    void SendFrame() override;
    int LoadProfile() override;
    // The page's panels show the headset's values.
    void RefreshPage() override { PageRefreshed(); }
    void SaveProfile() override;
    bool ReloadChangedProfile() override;

    // The setting operations: each goes to the chip, then into the profile, which is saved.
    // False when the chip did not take it (the profile keeps what the chip has).
    bool SetMicVolume(int volume);
    bool SetMicMute(bool mute);
    bool SetMonitorVolume(int volume);
    bool SetMonitorMute(bool mute);
    // A preset 0-12 of the profile's equaliser presets.
    bool SetEqPreset(int preset);
    // Saves `bands` as the custom preset `name`: 1 when saved (a new name is added and
    // selected), 0 when another preset has that name (whatever its letter case), -1 when 20
    // exist already. An empty name saves into the selected custom preset (-1 when none is).
    int SaveCustomEq(const std::string& name, const std::vector<int>& bands);
    // The custom preset `name` (any letter case) to the chip and selected; false when there
    // is none or the chip did not take it.
    bool SelectCustomEq(const std::string& name);
    bool DeleteCustomEq(const std::string& name);
    std::vector<std::string> CustomEqNames() { return profile_.GetCustomEqNames(); }
    bool SetVoiceEffect(bool on);
    bool SetVoiceSelection(int selection);
    bool SetSurround(bool on);
    bool SetNoiseReduction(bool on);

    // The lighting block: the first 21 bytes of the keyboard's block layout, at slot · 64,
    // between a begin and an end command. Returns the block's write result (1 when taken).
    int WriteLightingBlock(uint8_t slot);
    // The active slot's block into the profile's lighting (saved when it told something new);
    // false when the headset did not answer.
    bool ReadLightingBlock();
    // The link check and the status bytes.
    void StatusPoll() override { PollCommandStatus(); }
    const profiles::LightInfo& lightInfo() const { return light_; }
    // The lighting the lights follow (and the block carries), from now on.
    void SetLightInfo(const profiles::LightInfo& light);
    // The lighting panel's side (the mode list is the headset's of the factory data).
    int LightingFamily() const override { return 7; }
    std::vector<Mode> LightModes() override { return LoadModeList(kHeadsetModel); }
    profiles::LightInfo LightSettings() const override { return light_; }
    void TakeLightSettings(const profiles::LightInfo& light, WriteDone done) override;
    int LightModeValue() const override { return CurrentLightingMode(); }

    CHeadsetAudio& audio() { return audio_; }
    const profiles::HeadsetSystemSetStages& stages() const { return stages_; }
    profiles::CHs6533Profiledata& profile() { return profile_; }
    // The reports last sent.
    std::optional<HeadsetLightReports::Reports> lastReports() const;

  protected:
    int PageKind() const override { return 7; }
    // The lighting thread steps the profile's mode (the headset's mode values are the common
    // effects) with its colour, brightness, speed and direction.
    int CurrentLightingMode() const override;
    EffectSettings CurrentEffect() const override;
    // The chip on the first read (the library, the defaults, the values), then the profile.
    void ReadFromDevice() override;

  private:
    static constexpr int kHeadsetModel = 3;
    static constexpr size_t kBlockBytes = 21;
    static constexpr uint16_t kBlockSlotStride = 64;
    const std::vector<int>& ModeValues();

    CHeadsetAudio audio_;
    profiles::LightInfo light_;  // UI thread
    // What the lighting thread reads: the mode value and effect of light_.
    mutable std::mutex lightingMutex_;
    int lightingMode_ = kModeStatic;
    EffectSettings effect_;
    std::vector<int> modeValues_;
    profiles::CHs6533Profiledata profile_;
    profiles::HeadsetSystemSetStages stages_;
    mutable std::mutex sentMutex_;
    std::optional<HeadsetLightReports::Reports> sent_;  // under sentMutex_
};

}  // namespace marlo::devices
