#pragma once

#include "devices/HeadsetDriver.h"
#include "pages/LitDevice.h"
#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The USB headset's page ("hs6533device.xml"). What the headset knows and is told is its
// driver's (HeadsetDriver), its lights too; the page hands the settings to the headset's work
// thread and shows what came back.
class CZentrixHS6533Device : public CZentrixUSBDevice, public ILitDevice {
  public:
    static constexpr int kMaxCustomEq = devices::HeadsetDriver::kMaxCustomEq;

    CZentrixHS6533Device();
    std::string_view GetClass() const override { return "ZentrixHS6533Device"; }

    devices::HeadsetDriver& driver() { return driver_; }
    const devices::HeadsetDriver& driver() const { return driver_; }

    int LoadProfile() override { return driver_.LoadProfile(); }
    // The page's panels show the headset's values.
    void RefreshPage() override { PageRefreshed(); }
    void SaveProfile() override { driver_.SaveProfile(); }
    bool ReloadChangedProfile() override;

    // The settings, on the headset's work thread (see HeadsetDriver); the page's panels show
    // what the headset has once each is over, also when it refused.
    void SetMicVolume(int volume);
    void SetMicMute(bool mute);
    void SetMonitorVolume(int volume);
    void SetMonitorMute(bool mute);
    void SetEqPreset(int preset);
    void SetEqualiserBands(const std::vector<int>& bands);
    void SelectCustomEq(const std::string& name);
    void SetVoiceEffect(bool on);
    void SetVoiceSelection(int selection);
    void SetSurround(bool on);
    void SetNoiseReduction(bool on);
    // The custom presets live in the profile only: at once.
    int SaveCustomEq(const std::string& name, const std::vector<int>& bands) {
        return driver_.SaveCustomEq(name, bands);
    }
    bool DeleteCustomEq(const std::string& name) { return driver_.DeleteCustomEq(name); }
    std::vector<std::string> CustomEqNames() const { return driver_.CustomEqNames(); }

    // The link check and the status bytes.
    void StatusPoll() override { PollCommandStatus(); }
    profiles::LightInfo lightInfo() const { return driver_.lightInfo(); }
    // The lighting the lights follow (and the block carries), from now on.
    void SetLightInfo(const profiles::LightInfo& light) { driver_.SetLightInfo(light); }
    // The lighting panel's side (the mode list is the headset's of the factory data).
    int LightingFamily() const override { return 7; }
    std::vector<Mode> LightModes() override { return LoadModeList(devices::HeadsetDriver::kModel); }
    profiles::LightInfo LightSettings() const override { return driver_.lightInfo(); }
    void TakeLightSettings(const profiles::LightInfo& light, WriteDone done) override;
    int LightModeValue() const override { return driver_.LightModeValue(); }

    profiles::HeadsetSystemSetStages stages() const { return driver_.stages(); }

  protected:
    int PageKind() const override { return 7; }
    // On the work thread: the chip (the library, the defaults, the values on the first read;
    // the values again later), the profile and the lighting block; then the page shows them.
    void ReadFromDevice() override;

  private:
    // A setting on the work thread; the page shows the headset's values when it is over.
    void PostSetting(std::function<void()> setting);

    devices::HeadsetDriver& driver_;  // the base's
};

}  // namespace marlo::pages
