#include "pages/ZentrixHS6533Device.h"

#include <algorithm>

#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"

namespace marlo::pages {

using platform::DebugOutput;

CZentrixHS6533Device::CZentrixHS6533Device()
    : driver_(channel(), devices::HeadsetDriver::StandardPlaces()) {
    SetDeviceName("HD");
    driver_.SetLightingChanged([this](const profiles::LightInfo& light) { FollowLighting(light); });
}

CZentrixHS6533Device::~CZentrixHS6533Device() {
    StopThreads();
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
            StartLightingThread();
        });
}

bool CZentrixHS6533Device::ReloadChangedProfile() {
    return ReloadProfileWhen(driver_.ProfileOutdated(),
                             "the headset's profile was changed by another program: read again");
}

void CZentrixHS6533Device::FollowLighting(const profiles::LightInfo& light) {
    const std::vector<int> values = driver_.ModeValues();
    std::lock_guard lock(lightingMutex_);
    lightingMode_ = light.selectItem < values.size() ? values[light.selectItem] : kModeStatic;
    effect_.colour = {light.red, light.green, light.blue};
    effect_.brightness = std::min<int>(light.light, 4);
    effect_.speed = std::min<int>(light.speed, 4);
    effect_.rainbow = light.multiColor != 0;
    effect_.forward = light.fx == 0;
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

int CZentrixHS6533Device::CurrentLightingMode() const {
    std::lock_guard lock(lightingMutex_);
    return lightingMode_;
}

devices::EffectSettings CZentrixHS6533Device::CurrentEffect() const {
    std::lock_guard lock(lightingMutex_);
    return effect_;
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

void CZentrixHS6533Device::SendFrame() {
    const devices::HeadsetLightReports::Reports reports =
        devices::HeadsetLightReports::Build(frame_.Snapshot());
    if (frameSent() && lastReports() == reports) {
        return;  // the headset shows this already
    }
    // A frame that did not go through whole is sent again with the next one.
    const bool all = devices::HeadsetLightReports::Send(channel(), reports);
    SetFrameSent(all);
    if (all) {
        std::lock_guard lock(sentMutex_);
        sent_ = reports;
    }
}

std::optional<devices::HeadsetLightReports::Reports> CZentrixHS6533Device::lastReports() const {
    std::lock_guard lock(sentMutex_);
    return sent_;
}

}  // namespace marlo::pages
