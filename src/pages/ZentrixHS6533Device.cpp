#include "pages/ZentrixHS6533Device.h"

#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"

namespace marlo::pages {

using platform::DebugOutput;

CZentrixHS6533Device::CZentrixHS6533Device()
    : CZentrixUSBDevice(
          std::make_unique<devices::HeadsetDriver>(devices::HeadsetDriver::StandardPlaces())),
      driver_(static_cast<devices::HeadsetDriver&>(deviceDriver())) {
    SetDeviceName("HD");
}

void CZentrixHS6533Device::ReadFromDevice() {
    work().Post(
        [this] {
            const auto library = platform::Paths::ResourceDir() / "SDK" / "osConfLib.so";
            if (!driver_.ReachChip(library, hid::HidInterface::DefaultRoot())) {
                DebugOutput::Write(
                    "the headset's chip cannot be reached: its audio settings "
                    "stay as they are");
            }
            driver_.LoadProfile();
            driver_.ReadLightingBlock();
        },
        [this] {
            RefreshPage();
            driver_.StartLightingThread();
        });
}

bool CZentrixHS6533Device::ReloadChangedProfile() {
    return ReloadProfileWhen(driver_.ProfileOutdated(),
                             "the headset's profile was changed by another program: read again");
}

void CZentrixHS6533Device::TakeLightSettings(const profiles::LightInfo& light, WriteDone done) {
    // The lights follow at once; the profile and the headset take the lighting as it is when
    // the write runs.
    driver_.SetLightInfo(light);
    auto taken = std::make_shared<bool>(false);
    work().Post([this, taken] { *taken = driver_.TakeLightSettings(driver_.lightInfo()); },
                [taken, done = std::move(done)] {
                    if (done) {
                        done(*taken ? 1 : 0, !*taken);
                    }
                },
                "lighting");
}

void CZentrixHS6533Device::PostSetting(std::function<void()> setting) {
    work().Post(std::move(setting), [this] { RefreshPage(); });
}

void CZentrixHS6533Device::SetMicVolume(int volume) {
    PostSetting([this, volume] { driver_.SetMicVolume(volume); });
}

void CZentrixHS6533Device::SetMicMute(bool mute) {
    PostSetting([this, mute] { driver_.SetMicMute(mute); });
}

void CZentrixHS6533Device::SetMonitorVolume(int volume) {
    PostSetting([this, volume] { driver_.SetMonitorVolume(volume); });
}

void CZentrixHS6533Device::SetMonitorMute(bool mute) {
    PostSetting([this, mute] { driver_.SetMonitorMute(mute); });
}

void CZentrixHS6533Device::SetEqPreset(int preset) {
    PostSetting([this, preset] { driver_.SetEqPreset(preset); });
}

void CZentrixHS6533Device::SetEqualiserBands(const std::vector<int>& bands) {
    // Heard at once; the panel keeps showing what the person set.
    work().Post([this, bands] { driver_.SetEqualiserBands(bands); });
}

void CZentrixHS6533Device::SelectCustomEq(const std::string& name) {
    PostSetting([this, name] { driver_.SelectCustomEq(name); });
}

void CZentrixHS6533Device::SetVoiceEffect(bool on) {
    PostSetting([this, on] { driver_.SetVoiceEffect(on); });
}

void CZentrixHS6533Device::SetVoiceSelection(int selection) {
    PostSetting([this, selection] { driver_.SetVoiceSelection(selection); });
}

void CZentrixHS6533Device::SetSurround(bool on) {
    PostSetting([this, on] { driver_.SetSurround(on); });
}

void CZentrixHS6533Device::SetNoiseReduction(bool on) {
    PostSetting([this, on] { driver_.SetNoiseReduction(on); });
}

}  // namespace marlo::pages
