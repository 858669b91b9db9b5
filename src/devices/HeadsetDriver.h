#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/DeviceDriver.h"
#include "devices/DevicePlaces.h"
#include "devices/HeadsetAudio.h"
#include "devices/HeadsetLightReports.h"
#include "hid/CommandChannel.h"
#include "profiles/Hs6533Profiledata.h"

namespace marlo::devices {

// The USB headset apart from any page: its audio settings through the chip library
// (microphone and monitor volume and mute, equaliser, voice effects, surround, noise
// reduction), its lighting block over its command channel, and the person's profile for it,
// which keeps them. The headset's page, marloctl and the tests drive it alike. Its lighting
// thread steps the profile's mode on its 13 LEDs, sent as its twelve light reports.
//
// Every member may be called on any thread. The chip is used by one caller at a time (its own
// lock); the profile and what was last read are under another lock that is never held while
// the chip or the headset is asked something, so a reader waits for in-memory work only.
class HeadsetDriver : public DeviceDriver {
  public:
    static constexpr int kMaxCustomEq = 20;
    static constexpr int kModel = 3;  // the headset's entry in the factory mode lists

    explicit HeadsetDriver(DevicePlaces places);
    // The lighting thread reads this object's lighting: it ends before the object does.
    ~HeadsetDriver() override;
    static DevicePlaces StandardPlaces();

    // The chip: started on the first call (the library at `library`, the headset's card under
    // `root`), read again on later ones. False when there is no chip to talk to.
    bool ReachChip(const std::filesystem::path& library, const std::filesystem::path& root);
    bool chipReached() const;
    // What the chip has, as last read or set.
    CHeadsetAudio::State audioState() const;
    // The chip library itself, for a caller that is the driver's only user (marloctl).
    CHeadsetAudio& audio() { return audio_; }

    // --- The profile. ---
    int LoadProfile();
    void SaveProfile();
    // Whether the profile in hand is no longer the selected one or was written by another
    // program since it was read or written here.
    bool ProfileOutdated() const;

    // --- The settings: each goes to the chip, then into the profile, which is saved. False
    // when the chip did not take it (the profile keeps what the chip has). ---
    bool SetMicVolume(int volume);
    bool SetMicMute(bool mute);
    bool SetMonitorVolume(int volume);
    bool SetMonitorMute(bool mute);
    // A preset 0-12 of the profile's equaliser presets.
    bool SetEqPreset(int preset);
    // The bands as the person sets them, heard at once (kept when saved as a custom preset).
    bool SetEqualiserBands(const std::vector<int>& bands);
    // Saves `bands` as the custom preset `name`: 1 when saved (a new name is added and
    // selected), 0 when another preset has that name (whatever its letter case), -1 when 20
    // exist already. An empty name saves into the selected custom preset (-1 when none is).
    int SaveCustomEq(const std::string& name, const std::vector<int>& bands);
    // The custom preset `name` (any letter case) to the chip and selected; false when there
    // is none or the chip did not take it.
    bool SelectCustomEq(const std::string& name);
    bool DeleteCustomEq(const std::string& name);
    bool SetVoiceEffect(bool on);
    bool SetVoiceSelection(int selection);
    bool SetSurround(bool on);
    bool SetNoiseReduction(bool on);

    // --- The lighting. ---
    // The lighting block: the first 21 bytes of the keyboard's block layout, at slot · 64,
    // between a begin and an end command. Returns the block's write result (1 when taken).
    int WriteLightingBlock(uint8_t slot);
    // The active slot's block into the profile's lighting (saved when it told something new);
    // false when the headset did not answer.
    bool ReadLightingBlock();
    // The lighting the lights follow (and the block carries), from now on.
    void SetLightInfo(const profiles::LightInfo& light);
    // Into the profile (saved) and to the headset; false when the headset did not take it.
    bool TakeLightSettings(const profiles::LightInfo& light);

    // --- What it knows (copies). ---
    profiles::LightInfo lightInfo() const;
    profiles::HeadsetSystemSetStages stages() const;
    std::vector<std::string> CustomEqNames() const;
    std::vector<int32_t> EqValues(int preset) const;
    std::vector<int32_t> CustomEqValues(int number) const;
    // The headset's mode values of the factory data.
    std::vector<int> ModeValues() const;
    // The mode value the lights step now.
    int LightModeValue() const { return CurrentLightingMode(); }
    // The reports last sent.
    std::optional<HeadsetLightReports::Reports> lastReports() const;

  protected:
    // The lighting thread steps the profile's mode (the headset's mode values are the common
    // effects) with its colour, brightness, speed and direction.
    int CurrentLightingMode() const override;
    EffectSettings CurrentEffect() const override;
    // The frame as the twelve light reports, sent through the channel when they differ from
    // the last ones the headset took (and again in full after a new link).
    void SendFrame() override;

  private:
    void SaveProfileLocked();
    void LoadModeValuesLocked() const;
    // After a chip operation (chip lock held): what the chip has now, into the snapshot and,
    // by `keep`, into the stages; then the profile is saved.
    void KeepAudio(const std::function<void(profiles::HeadsetSystemSetStages&,
                                            const CHeadsetAudio::State&)>& keep);
    // What the lighting thread steps, from the lighting the driver has (and it looks again).
    void LightingChanged(const profiles::LightInfo& light);

    const DevicePlaces places_;

    std::mutex chipLock_;  // 1st: audio_
    CHeadsetAudio audio_;

    mutable std::mutex lock_;  // 2nd
    profiles::LightInfo light_;
    mutable profiles::CHs6533Profiledata profile_;
    profiles::HeadsetSystemSetStages stages_;
    mutable std::vector<int> modeValues_;
    CHeadsetAudio::State audioState_;
    bool chipReached_ = false;

    // What the lighting thread reads: the mode value and effect of the lighting.
    mutable std::mutex lightingMutex_;  // 3rd
    int lightingMode_ = kModeStatic;
    EffectSettings effect_;
    mutable std::mutex sentMutex_;
    std::optional<HeadsetLightReports::Reports> sent_;  // under sentMutex_
};

}  // namespace marlo::devices
