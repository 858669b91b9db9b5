#include "devices/ZentrixKeyboardDevice.h"

#include <algorithm>

#include "devices/DeviceKeyButtonUI.h"
#include "devices/DeviceProfileUI.h"
#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardMacroImage.h"
#include "devices/MpDevicePowerUI.h"
#include "hid/CommandReport.h"
#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"
#include "platform/Paths.h"
#include "profiles/MacroList.h"
#include "profiles/ProfileList.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ProgressUI.h"
#include "ui/WindowWnd.h"

namespace marlo::devices {

using platform::DebugOutput;

namespace {

// The keyboard's entry in the factory mode lists.
constexpr int kKeyboardModel = 1;

}  // namespace

CZentrixKeyboardDevice::CZentrixKeyboardDevice() {
    SetDeviceName("keyboard");
}

CZentrixKeyboardDevice::~CZentrixKeyboardDevice() {
    StopThreads();
}

void CZentrixKeyboardDevice::Took(int result) {
    if (result != hid::kResultOk) {
        lastWriteFailed_ = true;
    }
}

std::vector<CZentrixKeyboardDevice::Mode> CZentrixKeyboardDevice::Modes() {
    if (modeValues_.empty()) {
        LoadModeValues();
    }
    return modes_;
}

void CZentrixKeyboardDevice::LoadModeValues() {
    modes_ = LoadModeList(kKeyboardModel);
    modeValues_.clear();
    for (const Mode& mode : modes_) {
        modeValues_.push_back(mode.value);
    }
}

bool CZentrixKeyboardDevice::ReadKeyTables() {
    hid::CommandChannel& ch = channel();
    if (!ch.connected()) {
        return false;
    }
    const hid::CommandChannel::Transaction transaction(ch);
    if (!transaction.held()) {
        return false;
    }
    ch.Begin();
    std::array<uint8_t, 32> head{};
    uint16_t version = 0;
    const int info = ch.ReadInfo(head, &version);
    if (info != hid::kResultOk) {
        ch.End();
        return false;
    }
    std::copy(head.begin(), head.end(), info_.begin());
    info_[32] = static_cast<uint8_t>(version & 0xFF);
    info_[33] = static_cast<uint8_t>(version >> 8);
    const size_t slots = info_[5];
    ch.SetBlockSize(static_cast<uint32_t>(slots * 3));
    deviceTable_.assign(slots * 3, 0);
    slotTable_.assign(slots, 0);
    const int table = ch.ReadBlock(deviceTable_);
    ch.ReadSlots(slotTable_);
    ch.End();
    if (table == hid::kResultOk) {
        slotMemory_ = LoadSlotMemory();
        map_ = KeyboardPositionMap::Build(deviceTable_, slotMemory_);
    } else {
        map_ = KeyboardPositionMap();
    }
    {
        std::lock_guard lock(lightingMutex_);
        streamMap_ = map_;
        streamSlots_ = table == hid::kResultOk ? slots : 0;
    }
    return table == hid::kResultOk;
}

bool CZentrixKeyboardDevice::ReadLightingBlock() {
    hid::CommandChannel& ch = channel();
    if (!ch.connected()) {
        return false;
    }
    uint8_t active = 0;
    if (ch.ReadSettings(0, std::span<uint8_t>(&active, 1)) != hid::kResultOk) {
        return false;
    }
    KeyboardBlock::Bytes read{};
    if (ch.ReadSettings(static_cast<uint16_t>(active * kBlockSlotStride), read) != hid::kResultOk) {
        return false;
    }
    if (modeValues_.empty()) {
        LoadModeValues();
    }
    const uint8_t previousMode = light_.selectItem;
    KeyboardBlock::Read(read, active, modeValues_, light_, stages_);
    // A mode the keyboard changed to starts from its set-up; the custom mode always does.
    UpdateLighting(light_.selectItem != previousMode || SettingsFromProfile().mode == 21);
    read[17] = reportedByte17_;
    block_ = read;
    activeSlot_ = active;
    light_.oldLedMode = previousMode;
    // Kept in the profile, which is written only when the keyboard told something new (and
    // not while a game's lighting shows: that is not the person's).
    if (gameMode() < 0 &&
        (!(profile_.GetLightInfo() == light_) || !(profile_.GetKeyboardSystemStages() == stages_))) {
        SaveProfile();
    }
    return true;
}

int CZentrixKeyboardDevice::LoadProfile() {
    if (modeValues_.empty()) {
        LoadModeValues();
    }
    profile_.SetDefaultProfilePath(DefaultProfilePath());
    const std::filesystem::path path = SelectedProfilePath();
    profile_.SetProfilePath(path);
    if (profile_.LoadProfile(path).isNull()) {
        return 0;  // the lists stay as they were
    }
    keys_ = profile_.GetKeyList();
    light_ = profile_.GetLightInfo();
    stages_ = profile_.GetKeyboardSystemStages();
    UpdateLighting(true);
    return 1;
}

bool CZentrixKeyboardDevice::ReloadChangedProfile() {
    if (profile_.GetProfilePath() == SelectedProfilePath() && !profile_.ChangedOnDisk()) {
        return false;
    }
    DebugOutput::Write("the keyboard's profile was changed by another program: read again");
    LoadProfile();
    RefreshPage();
    return true;
}

void CZentrixKeyboardDevice::SaveProfile() {
    profile_.SetKeyList(keys_);
    profile_.SetLightInfo(light_);
    profile_.SetKeyboardSystemStages(stages_);
    if (!profile_.GetProfilePath().empty() && !profile_.SaveProfile()) {
        DebugOutput::Printf("the keyboard's profile could not be saved: %s",
                            profile_.GetProfilePath().c_str());
    }
}

int CZentrixKeyboardDevice::MacroCount() const {
    profiles::MacroList macros(UserDataFolder());
    macros.LoadMacroList();
    return static_cast<int>(macros.rows().size());
}

void CZentrixKeyboardDevice::ReconcileMacros() {
    const int count = MacroCount();
    bool changed = false;
    for (profiles::KeyListEntry& key : keys_) {
        if (KeyboardMacroImage::IsMacro(key.assignment) && key.assignment.high >= count) {
            key.assignment = key.defaultAssignment;
            changed = true;
        }
    }
    if (changed) {
        SaveProfile();
        RefreshPage();
    }
}

int CZentrixKeyboardDevice::ForgetMacro(int row) {
    // The keys in hand are the selected profile's: they are saved with the keys.
    ForgetMacroInProfiles(row, SelectedProfilePath());
    KeyboardMacroImage::ForgetMacroRow(keys_, row);
    RefreshPage();
    return SaveKeys();
}

bool CZentrixKeyboardDevice::UsesMacro(int row) const {
    const std::vector<int> rows = CollectMacroRows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

std::vector<int> CZentrixKeyboardDevice::CollectMacroRows() const {
    return KeyboardMacroImage::CollectMacros(keys_, map_, MacroCount());
}

CZentrixKeyboardDevice::KeyCodes CZentrixKeyboardDevice::KeyCodesAt(int position) const {
    for (const auto& key : keys_) {
        if (key.keyIndex == position) {
            return {key.assignment.Code(), key.defaultAssignment.Code()};
        }
    }
    const uint32_t identity =
        position >= 0 && position < kKeyPositions ? KeyIdentityCodes()[static_cast<size_t>(position)]
                                                  : 0;
    return {identity, identity};
}

void CZentrixKeyboardDevice::SetKeyAssignment(int position, uint32_t code) {
    for (profiles::KeyListEntry& key : keys_) {
        if (key.keyIndex == position) {
            key.assignment = profiles::Assignment::FromCode(code);
            return;
        }
    }
    const auto& identity = KeyIdentityCodes();
    const uint32_t factory =
        position >= 0 && position < kKeyPositions ? identity[static_cast<size_t>(position)] : 0;
    keys_.push_back({static_cast<uint16_t>(position), profiles::Assignment::FromCode(code),
                     static_cast<uint16_t>(position), profiles::Assignment::FromCode(factory)});
}

int CZentrixKeyboardDevice::WriteKeyTable(int layer,
                                          const std::vector<profiles::KeyListEntry>& keys) {
    hid::CommandChannel& ch = channel();
    if (!ch.connected()) {
        return 0;
    }
    lastWriteFailed_ = false;
    std::array<uint8_t, 32> head{};
    uint16_t version = 0;
    if (ch.ReadInfo(head, &version) == hid::kResultOk) {
        std::copy(head.begin(), head.end(), info_.begin());
    }
    const std::vector<uint8_t> table =
        KeyboardMacroImage::KeyTable(deviceTable_, keys, map_, MacroCount());
    const hid::CommandChannel::Transaction transaction(ch);
    if (!transaction.held()) {
        Took(hid::kResultNone);
        return 1;
    }
    Took(ch.Begin());
    if (layer == 0 && !table.empty()) {
        const int written = ch.WriteBlock(table, 0);
        Took(written);
        if (written == hid::kResultOk) {
            deviceTable_ = table;
            KeepSlotMemory(map_.Remember(deviceTable_));
        }
    }
    Took(ch.End());
    return 1;
}

profiles::KeySlotMemory CZentrixKeyboardDevice::LoadSlotMemory() const {
    const std::filesystem::path file = UserDataFolder() / profiles::KeySlotMemory::kFileName;
    const auto loaded = platform::JsonDocument::Load(file, profiles::KeySlotMemory::kMaxFileBytes);
    if (loaded.status != platform::JsonDocument::Loaded::Status::kOk &&
        loaded.status != platform::JsonDocument::Loaded::Status::kMissing) {
        DebugOutput::Printf("%s: %s", file.c_str(), platform::JsonDocument::Describe(loaded.status));
    }
    return profiles::KeySlotMemory::FromDocument(loaded.value);
}

void CZentrixKeyboardDevice::KeepSlotMemory(const profiles::KeySlotMemory& memory) {
    if (memory == slotMemory_) {
        return;
    }
    slotMemory_ = memory;
    const std::filesystem::path folder = UserDataFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (!platform::JsonDocument::Write(folder / profiles::KeySlotMemory::kFileName,
                                       memory.ToDocument())) {
        DebugOutput::Printf("where the remapped keys live could not be kept in %s",
                            (folder / profiles::KeySlotMemory::kFileName).c_str());
    }
}

bool CZentrixKeyboardDevice::KeyHasSlot(int position) const {
    const uint8_t slot = map_.SlotOf(position);
    return slot != KeyboardPositionMap::kNoSlot && size_t{slot} * 3 + 3 <= deviceTable_.size();
}

int CZentrixKeyboardDevice::WriteKeyTableFromProfile(int layer) {
    return WriteKeyTable(layer, keys_);
}

int CZentrixKeyboardDevice::DownloadMacroRows(const std::vector<int>& rows) {
    hid::CommandChannel& ch = channel();
    std::array<uint8_t, 32> head{};
    uint16_t version = 0;
    if (ch.connected() && ch.ReadInfo(head, &version) == hid::kResultOk) {
        std::copy(head.begin(), head.end(), info_.begin());
    }
    profiles::MacroList list(UserDataFolder());
    list.LoadMacroList();
    if (rows.empty() || list.rows().empty()) {
        return kMacrosOk;
    }
    std::vector<std::vector<profiles::MacroEvent>> macros;
    for (const int row : rows) {
        macros.push_back(list.LoadMacro(row));
    }
    const KeyboardMacroImage::Built built = KeyboardMacroImage::Build(macros, macroMemoryBytes());
    if (built.result != kMacrosOk || !ch.connected()) {
        return built.result;
    }
    lastWriteFailed_ = false;
    const hid::CommandChannel::Transaction transaction(ch);
    if (!transaction.held()) {
        Took(hid::kResultNone);
        return kMacrosOk;
    }
    Took(ch.Begin());
    Took(ch.WriteMacros(built.image));
    Took(ch.End());
    return kMacrosOk;
}

int CZentrixKeyboardDevice::WriteLightingBlock(uint8_t slot) {
    if (modeValues_.empty()) {
        LoadModeValues();
    }
    block_ = KeyboardBlock::Build(light_, stages_, modeValues_);
    hid::CommandChannel& ch = channel();
    if (ch.connected()) {
        lastWriteFailed_ = false;
        const hid::CommandChannel::Transaction transaction(ch);
        if (transaction.held()) {
            Took(ch.Begin());
            Took(ch.WriteSettings(static_cast<uint16_t>(slot * kBlockSlotStride), block_));
            Took(ch.End());
        } else {
            Took(hid::kResultNone);
        }
    }
    UpdateLighting(false);
    return 1;
}

int CZentrixKeyboardDevice::ApplyProfile() {
    LoadProfile();
    ReconcileMacros();
    RefreshPage();
    WriteLightingBlock(0);
    bool failed = lastWriteFailed_;
    const int macros = DownloadMacroRows(CollectMacroRows());
    failed = failed || lastWriteFailed_;
    WriteKeyTableFromProfile(0);
    lastWriteFailed_ = failed || lastWriteFailed_;
    return macros;
}

int CZentrixKeyboardDevice::SaveKeys() {
    SaveProfile();
    const int macros = DownloadMacroRows(CollectMacroRows());
    const bool failed = lastWriteFailed_;
    WriteKeyTableFromProfile(0);
    lastWriteFailed_ = failed || lastWriteFailed_;
    return macros;
}

void CZentrixKeyboardDevice::SelectFunctionTab(int type) {
    CZentrixUSBDevice::SelectFunctionTab(type);
    if (type == 1 || type == 2) {
        if (CDeviceKeyButtonUI* fn = KeyButton(kFnPosition)) {
            fn->SetEnabled(type == 1);
        }
    }
}

ui::CControlUI* CZentrixKeyboardDevice::SystemControl(const std::string& name) {
    return FindSubControl(name);
}

void CZentrixKeyboardDevice::RefreshPage() {
    // Values outside 0-3 show the first option.
    const auto choose = [this](const char* prefix, int value) {
        const int shown = value >= 0 && value <= 3 ? value : 0;
        if (auto* option =
                dynamic_cast<ui::COptionUI*>(SystemControl(prefix + std::to_string(shown)))) {
            option->Selected(true, false);
        }
    };
    choose("polling_rate_option_", stages_.pollingRate);
    choose("repeat_delay_check_", stages_.repeatDelay);
    const auto check = [this](const char* name, int value) {
        if (auto* box = dynamic_cast<ui::COptionUI*>(SystemControl(name))) {
            box->Selected(value != 0, false);
        }
    };
    check("winlockflag_option", stages_.winFlag);
    check("wflag_option", stages_.wFlag);
    check("6flag_option", stages_.key6Flag);
    if (auto* slider = dynamic_cast<ui::CSliderUI*>(SystemControl("repeat_rate_slider"))) {
        slider->SetValue(stages_.repeat);
    }
    if (ui::CControlUI* label = SystemControl("repeat_delay_time_label1")) {
        const int delay = stages_.repeatDelay <= 3 ? stages_.repeatDelay : 0;
        label->SetText(std::to_string(kRepeatDelaysMs[delay]) + " ms");
    }
    if (ui::CControlUI* box = SystemControl("repeat_input_richedit")) {
        box->SetToolTip("Repeat_input_text");
    }
    PageRefreshed();
}

bool CZentrixKeyboardDevice::TakeSystemSetting(const std::string& name) {
    const auto selectedIndex = [this](const char* prefix) -> int {
        for (int i = 0; i <= 3; ++i) {
            if (auto* option =
                    dynamic_cast<ui::COptionUI*>(SystemControl(prefix + std::to_string(i)));
                option != nullptr && option->IsSelected()) {
                return i;
            }
        }
        return 0;
    };
    const auto checked = [this](const char* n) -> uint16_t {
        auto* box = dynamic_cast<ui::COptionUI*>(SystemControl(n));
        return box != nullptr && box->IsSelected() ? 1 : 0;
    };
    bool inBlock = true;
    if (name.starts_with("polling_rate_option_")) {
        stages_.pollingRate = static_cast<uint16_t>(selectedIndex("polling_rate_option_"));
    } else if (name.starts_with("repeat_delay_check_")) {
        stages_.repeatDelay = static_cast<uint16_t>(selectedIndex("repeat_delay_check_"));
        inBlock = false;
    } else if (name == "winlockflag_option") {
        stages_.winFlag = checked("winlockflag_option");
    } else if (name == "wflag_option") {
        stages_.wFlag = checked("wflag_option");
    } else if (name == "6flag_option") {
        stages_.key6Flag = checked("6flag_option");
    } else if (name == "repeat_rate_slider") {
        auto* slider = dynamic_cast<ui::CSliderUI*>(SystemControl(name));
        stages_.repeat = static_cast<uint16_t>(slider != nullptr ? slider->GetValue() : 0);
        inBlock = false;
    } else {
        return false;
    }
    SaveProfile();
    lastWriteFailed_ = false;  // a setting the keyboard does not keep writes nothing
    if (inBlock) {
        WriteLightingBlock(0);
    }
    RefreshPage();
    return true;
}

void CZentrixKeyboardDevice::ResetRepeat() {
    profiles::CKeyboardProfiledata factory;
    if (!factory.LoadProfile(DefaultProfilePath()).isNull()) {
        const profiles::KeyboardSystemStages defaults = factory.GetKeyboardSystemStages();
        stages_.repeat = defaults.repeat;
        stages_.repeatDelay = defaults.repeatDelay;
        SaveProfile();
    }
    RefreshPage();
}

void CZentrixKeyboardDevice::StatusPoll() { PollCommandStatus(); }

void CZentrixKeyboardDevice::OnDeviceEvent(uint16_t code) {
    constexpr uint16_t kSyncWithList = 1026;
    if (code == kSyncWithList) {
        reloadProfileList_ = true;
        CZentrixUSBDevice::OnDeviceEvent(kSyncRequestCode);
        return;
    }
    const uint8_t high = static_cast<uint8_t>(code >> 8);
    if (code > kSyncWithList && (high == 0x10 || high == 0x11)) {
        activeSlot_ = static_cast<uint8_t>(code & 0x0F);
        if (high == 0x11) {
            reportedByte17_ = static_cast<uint8_t>((code >> 4) & 0x0F);
        }
        // The page follows through the same read as a sync request, on the UI thread.
        CZentrixUSBDevice::OnDeviceEvent(kSyncRequestCode);
        return;
    }
    CZentrixUSBDevice::OnDeviceEvent(code);
}

void CZentrixKeyboardDevice::ReadFromDevice() {
    StopLightingThread();  // it must not stream while the tables are read
    ReadFirmwareVersion();
    ReadKeyTables();
    LoadProfile();
    ReadLightingBlock();
    RefreshPage();
    StartLightingThread();
    StartKeyReader();
}

void CZentrixKeyboardDevice::RefreshFromDevice() {
    if (reloadProfileList_.exchange(false)) {
        if (CDeviceProfileUI* panel = profilePanel()) {
            panel->LoadProfileList();
        }
    }
    StopLightingThread();
    LoadProfile();
    ReadLightingBlock();
    RefreshPage();
    StartLightingThread();
}

}  // namespace marlo::devices
