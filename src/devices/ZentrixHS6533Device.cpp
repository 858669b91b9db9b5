#include "devices/ZentrixHS6533Device.h"

#include "devices/KeyboardBlock.h"
#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"

namespace marlo::devices {

using platform::DebugOutput;

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
    ch.Begin();
    const int result = ch.WriteSettings(static_cast<uint16_t>(slot * kBlockSlotStride),
                                        std::span<const uint8_t>(full.data(), kBlockBytes));
    ch.End();
    return result;
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
        light_ = light;
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
    light_ = profile_.GetLightInfo();
    return 1;
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

void CZentrixHS6533Device::PresentFrame() {
    if (!lightingControl()) {
        return;
    }
    ShowFrameOnPage();
    const HeadsetLightReports::Reports reports = HeadsetLightReports::Build(frame_.Snapshot());
    if (frameSent() && sent_ == reports) {
        return;  // the headset shows this already
    }
    hid::HidInterface& hid = channel().cable();
    bool all = hid.IsOpen();
    for (const auto& report : reports) {
        uint32_t written = 0;
        all = all && hid.Write(report.data(), static_cast<uint32_t>(report.size()), &written,
                               100) == 1 &&
              written == report.size();
    }
    // A frame that did not go through whole is sent again with the next one.
    SetFrameSent(all);
    if (all) {
        sent_ = reports;
    }
}

}  // namespace marlo::devices
