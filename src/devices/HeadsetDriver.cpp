#include "devices/HeadsetDriver.h"

#include <strings.h>

#include <algorithm>

#include "devices/DeviceModeList.h"
#include "devices/KeyboardBlock.h"
#include "platform/DebugOutput.h"

namespace marlo::devices {

using platform::DebugOutput;

namespace {

constexpr size_t kBlockBytes = 21;
constexpr uint16_t kBlockSlotStride = 64;
constexpr int kHeadsetProfileKind = 7;

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

HeadsetDriver::HeadsetDriver(DevicePlaces places) : places_(std::move(places)) {}

HeadsetDriver::~HeadsetDriver() {
    Stop();
}

DevicePlaces HeadsetDriver::StandardPlaces() {
    return DevicePlaces::Standard("HD", kHeadsetProfileKind);
}

void HeadsetDriver::LightingChanged(const profiles::LightInfo& light) {
    const std::vector<int> values = ModeValues();
    std::lock_guard lock(lightingMutex_);
    lightingMode_ = light.selectItem < values.size() ? values[light.selectItem] : kModeStatic;
    effect_.colour = {light.red, light.green, light.blue};
    effect_.brightness = std::min<int>(light.light, 4);
    effect_.speed = std::min<int>(light.speed, 4);
    effect_.rainbow = light.multiColor != 0;
    effect_.forward = light.fx == 0;
    WakeLighting();
}

int HeadsetDriver::CurrentLightingMode() const {
    std::lock_guard lock(lightingMutex_);
    return lightingMode_;
}

EffectSettings HeadsetDriver::CurrentEffect() const {
    std::lock_guard lock(lightingMutex_);
    return effect_;
}

void HeadsetDriver::SendFrame() {
    const HeadsetLightReports::Reports reports = HeadsetLightReports::Build(frame_.Snapshot());
    if (frameSent() && lastReports() == reports) {
        return;  // the headset shows this already
    }
    // A frame that did not go through whole is sent again with the next one.
    const bool all = HeadsetLightReports::Send(channel(), reports);
    SetFrameSent(all);
    if (all) {
        std::lock_guard lock(sentMutex_);
        sent_ = reports;
    }
}

std::optional<HeadsetLightReports::Reports> HeadsetDriver::lastReports() const {
    std::lock_guard lock(sentMutex_);
    return sent_;
}

bool HeadsetDriver::ReachChip(const std::filesystem::path& library,
                              const std::filesystem::path& root) {
    std::lock_guard chip(chipLock_);
    bool reached = audio_.started();
    if (!reached) {
        reached = audio_.Start(library, root, places_.userFolder() / "chip");
    } else {
        audio_.Read();
    }
    std::lock_guard lock(lock_);
    chipReached_ = reached;
    audioState_ = audio_.state();
    return reached;
}

bool HeadsetDriver::chipReached() const {
    std::lock_guard lock(lock_);
    return chipReached_;
}

CHeadsetAudio::State HeadsetDriver::audioState() const {
    std::lock_guard lock(lock_);
    return audioState_;
}

void HeadsetDriver::LoadModeValuesLocked() const {
    if (modeValues_.empty()) {
        for (const DeviceMode& mode : LoadDeviceModes(kModel)) {
            modeValues_.push_back(mode.value);
        }
    }
}

std::vector<int> HeadsetDriver::ModeValues() const {
    std::lock_guard lock(lock_);
    LoadModeValuesLocked();
    return modeValues_;
}

int HeadsetDriver::LoadProfile() {
    const std::filesystem::path path = places_.selectedProfile();
    profiles::LightInfo light;
    {
        std::lock_guard lock(lock_);
        profile_.SetDefaultProfilePath(places_.defaultProfile());
        profile_.SetProfilePath(path);
        if (profile_.LoadProfile(path).isNull()) {
            return 0;
        }
        stages_ = profile_.GetHeadsetSystemSetStages();
        light_ = light = profile_.GetLightInfo();
    }
    LightingChanged(light);
    return 1;
}

bool HeadsetDriver::ProfileOutdated() const {
    const std::filesystem::path selected = places_.selectedProfile();
    std::lock_guard lock(lock_);
    return profile_.OutdatedFor(selected);
}

void HeadsetDriver::SaveProfile() {
    std::lock_guard lock(lock_);
    SaveProfileLocked();
}

void HeadsetDriver::SaveProfileLocked() {
    profile_.SetHeadsetSystemSetStages(stages_);
    profile_.SetLightInfo(light_);
    if (!profile_.GetProfilePath().empty() && !profile_.SaveProfile()) {
        DebugOutput::Printf("the headset's profile could not be saved: %s",
                            profile_.GetProfilePath().c_str());
    }
}

void HeadsetDriver::KeepAudio(const std::function<void(profiles::HeadsetSystemSetStages&,
                                                       const CHeadsetAudio::State&)>& keep) {
    std::lock_guard lock(lock_);
    audioState_ = audio_.state();
    if (keep) {
        keep(stages_, audioState_);
        SaveProfileLocked();
    }
}

bool HeadsetDriver::SetMicVolume(int volume) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetMicVolume(volume);
    KeepAudio([](auto& stages, const auto& state) { stages.micInValue = state.micVolume; });
    return done;
}

bool HeadsetDriver::SetMicMute(bool mute) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetMicMute(mute);
    KeepAudio([](auto& stages, const auto& state) { stages.micInSelect = state.micMute ? 1 : 0; });
    return done;
}

bool HeadsetDriver::SetMonitorVolume(int volume) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetMonitorVolume(volume);
    KeepAudio(
        [](auto& stages, const auto& state) { stages.micMonitorValue = state.monitorVolume; });
    return done;
}

bool HeadsetDriver::SetMonitorMute(bool mute) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetMonitorMute(mute);
    KeepAudio([](auto& stages, const auto& state) {
        stages.micMonitorSelect = state.monitorMute ? 1 : 0;
    });
    return done;
}

bool HeadsetDriver::SetEqPreset(int preset) {
    if (preset < 0 || preset >= profiles::CHs6533Profiledata::kCustomEqType) {
        return false;
    }
    const std::vector<int32_t> values = EqValues(preset);
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetEqualiser(std::vector<int>(values.begin(), values.end()));
    if (done) {
        KeepAudio([preset](auto& stages, const auto&) { stages.eqType = preset; });
    } else {
        KeepAudio(nullptr);
    }
    return done;
}

bool HeadsetDriver::SetEqualiserBands(const std::vector<int>& bands) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetEqualiser(bands);
    KeepAudio(nullptr);
    return done;
}

int HeadsetDriver::SaveCustomEq(const std::string& name, const std::vector<int>& bands) {
    if (bands.size() != static_cast<size_t>(profiles::CHs6533Profiledata::kBands)) {
        return -1;
    }
    const std::vector<int32_t> values(bands.begin(), bands.end());
    std::lock_guard lock(lock_);
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
    SaveProfileLocked();
    return 1;
}

bool HeadsetDriver::SelectCustomEq(const std::string& name) {
    const int index = IndexOfName(CustomEqNames(), name);
    if (index < 0) {
        return false;
    }
    const std::vector<int32_t> values = CustomEqValues(index);
    std::lock_guard chip(chipLock_);
    if (!audio_.SetEqualiser(std::vector<int>(values.begin(), values.end()))) {
        KeepAudio(nullptr);
        return false;
    }
    KeepAudio([index](profiles::HeadsetSystemSetStages& stages, const CHeadsetAudio::State&) {
        stages.customEqSelectIndex = index;
        stages.eqType = profiles::CHs6533Profiledata::kCustomEqType;
    });
    return true;
}

bool HeadsetDriver::DeleteCustomEq(const std::string& name) {
    std::lock_guard lock(lock_);
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
    SaveProfileLocked();
    return true;
}

bool HeadsetDriver::SetVoiceEffect(bool on) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetVoiceEffect(on);
    KeepAudio(
        [](auto& stages, const auto& state) { stages.magicEnable = state.voiceEffect ? 1 : 0; });
    return done;
}

bool HeadsetDriver::SetVoiceSelection(int selection) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetVoiceSelection(selection);
    KeepAudio([](auto& stages, const auto& state) { stages.magicType = state.voiceSelection; });
    return done;
}

bool HeadsetDriver::SetSurround(bool on) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetSurround(on);
    KeepAudio(nullptr);
    return done;
}

bool HeadsetDriver::SetNoiseReduction(bool on) {
    std::lock_guard chip(chipLock_);
    const bool done = audio_.SetNoiseReduction(on);
    KeepAudio(nullptr);
    return done;
}

int HeadsetDriver::WriteLightingBlock(uint8_t slot) {
    KeyboardBlock::Bytes full{};
    {
        std::lock_guard lock(lock_);
        LoadModeValuesLocked();
        full = KeyboardBlock::Build(light_, {}, modeValues_);
    }
    if (!channel().connected()) {
        return 0;
    }
    const hid::CommandChannel::Transaction transaction(channel());
    if (!transaction.held()) {
        return hid::kResultNone;
    }
    // The headset ends every sequence it began, whatever came between; the first refusal is
    // the result.
    const int begun = channel().Begin();
    const int written =
        begun == hid::kResultOk
            ? channel().WriteSettings(static_cast<uint16_t>(slot * kBlockSlotStride),
                                      std::span<const uint8_t>(full.data(), kBlockBytes))
            : begun;
    const int ended = channel().End();
    return written != hid::kResultOk ? written : ended;
}

bool HeadsetDriver::ReadLightingBlock() {
    uint8_t active = 0;
    if (!channel().connected() ||
        channel().ReadSettings(0, std::span<uint8_t>(&active, 1)) != hid::kResultOk) {
        return false;
    }
    // Read where it is written (a slot is 64 bytes apart, both ways).
    KeyboardBlock::Bytes read{};
    if (channel().ReadSettings(static_cast<uint16_t>(active * kBlockSlotStride), read) !=
        hid::kResultOk) {
        return false;
    }
    profiles::LightInfo light;
    {
        std::lock_guard lock(lock_);
        LoadModeValuesLocked();
        profiles::KeyboardSystemStages unused;
        light = light_;
        KeyboardBlock::Read(read, active, modeValues_, light, unused);
        if (light == light_) {
            return true;
        }
        light_ = light;
        SaveProfileLocked();
    }
    LightingChanged(light);
    return true;
}

void HeadsetDriver::SetLightInfo(const profiles::LightInfo& light) {
    {
        std::lock_guard lock(lock_);
        light_ = light;
    }
    LightingChanged(light);
}

bool HeadsetDriver::TakeLightSettings(const profiles::LightInfo& light) {
    {
        std::lock_guard lock(lock_);
        light_ = light;
        SaveProfileLocked();
    }
    LightingChanged(light);
    return WriteLightingBlock(0) == hid::kResultOk;
}

profiles::LightInfo HeadsetDriver::lightInfo() const {
    std::lock_guard lock(lock_);
    return light_;
}

profiles::HeadsetSystemSetStages HeadsetDriver::stages() const {
    std::lock_guard lock(lock_);
    return stages_;
}

std::vector<std::string> HeadsetDriver::CustomEqNames() const {
    std::lock_guard lock(lock_);
    return profile_.GetCustomEqNames();
}

std::vector<int32_t> HeadsetDriver::EqValues(int preset) const {
    std::lock_guard lock(lock_);
    return profile_.GetEqValues(preset);
}

std::vector<int32_t> HeadsetDriver::CustomEqValues(int number) const {
    std::lock_guard lock(lock_);
    return profile_.GetCustomEqValues(number);
}

}  // namespace marlo::devices
