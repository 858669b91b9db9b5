#include "devices/ZentrixHS6533Device.h"

#include <strings.h>

#include <algorithm>

#include "devices/KeyboardBlock.h"
#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"

namespace marlo::devices {

using platform::DebugOutput;

namespace {

// The index of `name` among `names`, ignoring letter case; -1 when absent.
int IndexOfName(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i].size() == name.size() &&
            strncasecmp(names[i].c_str(), name.c_str(), name.size()) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

CZentrixHS6533Device::CZentrixHS6533Device() { SetDeviceName("HD"); }

CZentrixHS6533Device::~CZentrixHS6533Device() { StopThreads(); }

void CZentrixHS6533Device::ReadFromDevice() {
    if (!audio_.started()) {
        const auto library = platform::Paths::ResourceDir() / "SDK" / "osConfLib.so";
        if (!audio_.Start(library, hid::HidInterface::DefaultRoot(), UserDataFolder() / "chip")) {
            DebugOutput::Write("the headset's chip cannot be reached: its audio settings stay "
                               "as they are");
        }
    } else {
        audio_.Read();
    }
    LoadProfile();
    ReadLightingBlock();
    RefreshPage();
    StartLightingThread();
}

void CZentrixHS6533Device::SetLightInfo(const profiles::LightInfo& light) {
    light_ = light;
    const std::vector<int>& values = ModeValues();
    std::lock_guard lock(lightingMutex_);
    lightingMode_ = light.selectItem < values.size() ? values[light.selectItem] : kModeStatic;
    effect_.colour = {light.red, light.green, light.blue};
    effect_.brightness = std::min<int>(light.light, 4);
    effect_.speed = std::min<int>(light.speed, 4);
    effect_.rainbow = light.multiColor != 0;
    effect_.forward = light.fx == 0;
}

void CZentrixHS6533Device::TakeLightSettings(const profiles::LightInfo& light, WriteDone done) {
    SetLightInfo(light);
    SaveProfile();
    const bool taken = WriteLightingBlock(0) == hid::kResultOk;
    if (done) {
        done(taken ? 1 : 0, !taken);
    }
}

int CZentrixHS6533Device::CurrentLightingMode() const {
    std::lock_guard lock(lightingMutex_);
    return lightingMode_;
}

EffectSettings CZentrixHS6533Device::CurrentEffect() const {
    std::lock_guard lock(lightingMutex_);
    return effect_;
}

const std::vector<int>& CZentrixHS6533Device::ModeValues() {
    if (modeValues_.empty()) {
        for (const Mode& mode : LoadModeList(kHeadsetModel)) {
            modeValues_.push_back(mode.value);
        }
    }
    return modeValues_;
}

int CZentrixHS6533Device::WriteLightingBlock(uint8_t slot) {
    const KeyboardBlock::Bytes full = KeyboardBlock::Build(light_, {}, ModeValues());
    hid::CommandChannel& ch = channel();
    if (!ch.connected()) {
        return 0;
    }
    const hid::CommandChannel::Transaction transaction(ch);
    if (!transaction.held()) {
        return hid::kResultNone;
    }
    // The headset ends every sequence it began, whatever came between; the first refusal is
    // the result.
    const int begun = ch.Begin();
    const int written = begun == hid::kResultOk
                            ? ch.WriteSettings(static_cast<uint16_t>(slot * kBlockSlotStride),
                                               std::span<const uint8_t>(full.data(), kBlockBytes))
                            : begun;
    const int ended = ch.End();
    return written != hid::kResultOk ? written : ended;
}

bool CZentrixHS6533Device::ReadLightingBlock() {
    hid::CommandChannel& ch = channel();
    uint8_t active = 0;
    if (!ch.connected() || ch.ReadSettings(0, std::span<uint8_t>(&active, 1)) != hid::kResultOk) {
        return false;
    }
    // Read where it is written (a slot is 64 bytes apart, both ways).
    KeyboardBlock::Bytes read{};
    if (ch.ReadSettings(static_cast<uint16_t>(active * kBlockSlotStride), read) !=
        hid::kResultOk) {
        return false;
    }
    profiles::KeyboardSystemStages unused;
    profiles::LightInfo light = light_;
    KeyboardBlock::Read(read, active, ModeValues(), light, unused);
    if (!(light == light_)) {
        SetLightInfo(light);
        SaveProfile();
    }
    return true;
}

int CZentrixHS6533Device::LoadProfile() {
    profile_.SetDefaultProfilePath(DefaultProfilePath());
    const std::filesystem::path path = SelectedProfilePath();
    profile_.SetProfilePath(path);
    if (profile_.LoadProfile(path).isNull()) {
        return 0;
    }
    stages_ = profile_.GetHeadsetSystemSetStages();
    SetLightInfo(profile_.GetLightInfo());
    return 1;
}

bool CZentrixHS6533Device::ReloadChangedProfile() {
    if (profile_.GetProfilePath() == SelectedProfilePath() && !profile_.ChangedOnDisk()) {
        return false;
    }
    DebugOutput::Write("the headset's profile was changed by another program: read again");
    LoadProfile();
    RefreshPage();
    return true;
}

void CZentrixHS6533Device::SaveProfile() {
    profile_.SetHeadsetSystemSetStages(stages_);
    profile_.SetLightInfo(light_);
    if (!profile_.GetProfilePath().empty() && !profile_.SaveProfile()) {
        DebugOutput::Printf("the headset's profile could not be saved: %s",
                            profile_.GetProfilePath().c_str());
    }
}

bool CZentrixHS6533Device::SetMicVolume(int volume) {
    const bool done = audio_.SetMicVolume(volume);
    stages_.micInValue = audio_.state().micVolume;
    SaveProfile();
    return done;
}

bool CZentrixHS6533Device::SetMicMute(bool mute) {
    const bool done = audio_.SetMicMute(mute);
    stages_.micInSelect = audio_.state().micMute ? 1 : 0;
    SaveProfile();
    return done;
}

bool CZentrixHS6533Device::SetMonitorVolume(int volume) {
    const bool done = audio_.SetMonitorVolume(volume);
    stages_.micMonitorValue = audio_.state().monitorVolume;
    SaveProfile();
    return done;
}

bool CZentrixHS6533Device::SetMonitorMute(bool mute) {
    const bool done = audio_.SetMonitorMute(mute);
    stages_.micMonitorSelect = audio_.state().monitorMute ? 1 : 0;
    SaveProfile();
    return done;
}

bool CZentrixHS6533Device::SetEqPreset(int preset) {
    if (preset < 0 || preset >= profiles::CHs6533Profiledata::kCustomEqType) {
        return false;
    }
    const std::vector<int32_t> values = profile_.GetEqValues(preset);
    const bool done = audio_.SetEqualiser(std::vector<int>(values.begin(), values.end()));
    if (done) {
        stages_.eqType = preset;
        SaveProfile();
    }
    return done;
}

int CZentrixHS6533Device::SaveCustomEq(const std::string& name, const std::vector<int>& bands) {
    if (bands.size() != static_cast<size_t>(profiles::CHs6533Profiledata::kBands)) {
        return -1;
    }
    const std::vector<int32_t> values(bands.begin(), bands.end());
    std::vector<std::string> names = profile_.GetCustomEqNames();
    int index = stages_.customEqSelectIndex;
    if (name.empty()) {
        if (index < 0 || index >= static_cast<int>(names.size())) {
            return -1;
        }
    } else {
        if (static_cast<int>(names.size()) >= kMaxCustomEq) {
            return -1;
        }
        if (IndexOfName(names, name) >= 0) {
            return 0;
        }
        names.push_back(name);
        if (!profile_.SetCustomEqNames(names)) {
            return -1;  // a name the profile cannot keep
        }
        index = static_cast<int>(names.size()) - 1;
    }
    profile_.SetCustomEqValues(index, values);
    stages_.customEqSelectIndex = index;
    stages_.eqType = profiles::CHs6533Profiledata::kCustomEqType;
    SaveProfile();
    return 1;
}

bool CZentrixHS6533Device::SelectCustomEq(const std::string& name) {
    const int index = IndexOfName(profile_.GetCustomEqNames(), name);
    if (index < 0) {
        return false;
    }
    const std::vector<int32_t> values = profile_.GetCustomEqValues(index);
    if (!audio_.SetEqualiser(std::vector<int>(values.begin(), values.end()))) {
        return false;
    }
    stages_.customEqSelectIndex = index;
    stages_.eqType = profiles::CHs6533Profiledata::kCustomEqType;
    SaveProfile();
    return true;
}

bool CZentrixHS6533Device::DeleteCustomEq(const std::string& name) {
    std::vector<std::string> names = profile_.GetCustomEqNames();
    const int index = IndexOfName(names, name);
    if (index < 0) {
        return false;
    }
    // The later presets move up by one, their bands with them.
    for (int i = index; i + 1 < static_cast<int>(names.size()); ++i) {
        profile_.SetCustomEqValues(i, profile_.GetCustomEqValues(i + 1));
    }
    names.erase(names.begin() + index);
    profile_.SetCustomEqNames(names);
    if (stages_.customEqSelectIndex == index) {
        stages_.customEqSelectIndex = -1;
    } else if (stages_.customEqSelectIndex > index) {
        --stages_.customEqSelectIndex;
    }
    SaveProfile();
    return true;
}

bool CZentrixHS6533Device::SetVoiceEffect(bool on) {
    const bool done = audio_.SetVoiceEffect(on);
    stages_.magicEnable = audio_.state().voiceEffect ? 1 : 0;
    SaveProfile();
    return done;
}

bool CZentrixHS6533Device::SetVoiceSelection(int selection) {
    const bool done = audio_.SetVoiceSelection(selection);
    stages_.magicType = audio_.state().voiceSelection;
    SaveProfile();
    return done;
}

bool CZentrixHS6533Device::SetSurround(bool on) { return audio_.SetSurround(on); }

bool CZentrixHS6533Device::SetNoiseReduction(bool on) { return audio_.SetNoiseReduction(on); }

void CZentrixHS6533Device::SendFrame() {
    const HeadsetLightReports::Reports reports = HeadsetLightReports::Build(frame_.Snapshot());
    if (frameSent() && lastReports() == reports) {
        return;  // the headset shows this already
    }
    std::array<std::span<const uint8_t>, HeadsetLightReports::kReports> spans;
    for (size_t i = 0; i < reports.size(); ++i) {
        spans[i] = reports[i];
    }
    constexpr uint32_t kReportWaitMs = 100;
    // A frame that did not go through whole is sent again with the next one.
    const bool all = channel().WriteOutputReports(spans, kReportWaitMs) == hid::kResultOk;
    SetFrameSent(all);
    if (all) {
        std::lock_guard lock(sentMutex_);
        sent_ = reports;
    }
}

std::optional<HeadsetLightReports::Reports> CZentrixHS6533Device::lastReports() const {
    std::lock_guard lock(sentMutex_);
    return sent_;
}

}  // namespace marlo::devices
