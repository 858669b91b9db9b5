#pragma once

#include <optional>

#include "devices/HeadsetAudio.h"
#include "devices/HeadsetLightReports.h"
#include "devices/ZentrixUSBDevice.h"
#include "profiles/Hs6533Profiledata.h"

namespace marlo::devices {

// The USB headset: its page ("hs6533device.xml"), its audio settings through the chip library
// (microphone and monitor volume and mute, equaliser, voice effects, surround, noise
// reduction), kept in its profile, and its 13 LEDs as lighting reports.
class CZentrixHS6533Device : public CZentrixUSBDevice {
  public:
    std::string_view GetClass() const override { return "ZentrixHS6533Device"; }

    // The frame as the headset's twelve lighting reports, sent when they differ from the
    // last ones it took (and again in full after a new link).
    void PresentFrame() override;
    int LoadProfile() override;
    void SaveProfile() override;

    // The setting operations: each goes to the chip, then into the profile, which is saved.
    // False when the chip did not take it (the profile keeps what the chip has).
    bool SetMicVolume(int volume);
    bool SetMicMute(bool mute);
    bool SetMonitorVolume(int volume);
    bool SetMonitorMute(bool mute);
    // A preset 0-12 of the profile's equaliser presets.
    bool SetEqPreset(int preset);
    bool SetVoiceEffect(bool on);
    bool SetVoiceSelection(int selection);
    bool SetSurround(bool on);
    bool SetNoiseReduction(bool on);

    CHeadsetAudio& audio() { return audio_; }
    const profiles::HeadsetSystemSetStages& stages() const { return stages_; }
    profiles::CHs6533Profiledata& profile() { return profile_; }
    // The reports last sent, and how many report writes failed.
    const std::optional<HeadsetLightReports::Reports>& lastReports() const { return sent_; }

  protected:
    int PageKind() const override { return 7; }
    // The chip on the first read (the library, the defaults, the values), then the profile.
    void ReadFromDevice() override;

  private:
    CHeadsetAudio audio_;
    profiles::CHs6533Profiledata profile_;
    profiles::HeadsetSystemSetStages stages_;
    std::optional<HeadsetLightReports::Reports> sent_;
};

}  // namespace marlo::devices
