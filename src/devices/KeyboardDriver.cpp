#include "devices/KeyboardDriver.h"

#include <algorithm>
#include <memory>

#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardMacroImage.h"
#include "hid/CommandReport.h"
#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"
#include "profiles/MacroList.h"

namespace marlo::devices {

using platform::DebugOutput;

namespace {

// The keyboard's entry in the factory mode lists, and its kind of profile list.
constexpr int kKeyboardModel = 1;
constexpr int kKeyboardProfileKind = 1;
constexpr const char* kKeyboardName = "keyboard";

}  // namespace

KeyboardDriver::Places KeyboardDriver::StandardPlaces() {
    return DevicePlaces::Standard(kKeyboardName, kKeyboardProfileKind);
}

KeyboardDriver::KeyboardDriver(Places places, Lighting lighting)
    : places_(std::move(places)), lighting_(lighting) {}

KeyboardDriver::~KeyboardDriver() {
    Stop();  // the lighting thread and the key reader use this object
}

void KeyboardDriver::Took(int result) {
    if (result != hid::kResultOk) {
        lastWriteFailed_ = true;
    }
}

void KeyboardDriver::LoadModeValuesLocked() const {
    if (!modeValues_.empty()) {
        return;
    }
    modes_ = LoadDeviceModes(kKeyboardModel);
    for (const DeviceMode& mode : modes_) {
        modeValues_.push_back(mode.value);
    }
}

std::vector<DeviceMode> KeyboardDriver::Modes() const {
    std::lock_guard lock(lock_);
    LoadModeValuesLocked();
    return modes_;
}

std::vector<int> KeyboardDriver::modeValues() const {
    std::lock_guard lock(lock_);
    LoadModeValuesLocked();
    return modeValues_;
}

bool KeyboardDriver::ReadKeyTables() {
    if (!channel().connected()) {
        return false;
    }
    Info info{};
    std::vector<uint8_t> table;
    std::vector<uint8_t> slotTable;
    int read = hid::kResultNone;
    {
        const hid::CommandChannel::Transaction transaction(channel());
        if (!transaction.held()) {
            return false;
        }
        channel().Begin();
        std::array<uint8_t, 32> head{};
        uint16_t version = 0;
        if (channel().ReadInfo(head, &version) != hid::kResultOk) {
            channel().End();
            return false;
        }
        std::copy(head.begin(), head.end(), info.begin());
        info[32] = static_cast<uint8_t>(version & 0xFF);
        info[33] = static_cast<uint8_t>(version >> 8);
        const size_t slots = info[5];
        channel().SetBlockSize(static_cast<uint32_t>(slots * 3));
        table.assign(slots * 3, 0);
        slotTable.assign(slots, 0);
        read = channel().ReadBlock(table);
        channel().ReadSlots(slotTable);
        channel().End();
    }
    const profiles::KeySlotMemory memory =
        read == hid::kResultOk ? LoadSlotMemory() : profiles::KeySlotMemory();
    KeyboardPositionMap map;
    {
        std::lock_guard lock(lock_);
        info_ = info;
        deviceTable_ = std::move(table);
        slotTable_ = std::move(slotTable);
        if (read == hid::kResultOk) {
            slotMemory_ = memory;
            map_ = KeyboardPositionMap::Build(deviceTable_, slotMemory_);
        } else {
            map_ = KeyboardPositionMap();
        }
        map = map_;
    }
    // The colour stream's map follows the tables.
    std::lock_guard lock(lightingMutex_);
    streamMap_ = std::move(map);
    streamSlots_ = read == hid::kResultOk ? info[5] : 0;
    return read == hid::kResultOk;
}

bool KeyboardDriver::ReadLightingBlock() {
    if (!channel().connected()) {
        return false;
    }
    uint8_t active = 0;
    if (channel().ReadSettings(0, std::span<uint8_t>(&active, 1)) != hid::kResultOk) {
        return false;
    }
    KeyboardBlock::Bytes read{};
    if (channel().ReadSettings(static_cast<uint16_t>(active * kBlockSlotStride), read) !=
        hid::kResultOk) {
        return false;
    }
    bool restart = false;
    {
        std::lock_guard lock(lock_);
        LoadModeValuesLocked();
        const uint8_t previousMode = light_.selectItem;
        KeyboardBlock::Read(read, active, modeValues_, light_, stages_);
        const size_t item = light_.selectItem;
        const int mode = item < modeValues_.size() ? modeValues_[item] : light_.selectItem;
        // A mode the keyboard changed to starts from its set-up; the custom mode always does.
        restart = light_.selectItem != previousMode || mode == 21;
        read[17] = reportedByte17_;
        block_ = read;
        activeSlot_ = active;
        light_.oldLedMode = previousMode;
        // Kept in the profile, which is written only when the keyboard told something new (and
        // not while a game's lighting shows: that is not the person's).
        if (!gameLighting_ && (!(profile_.GetLightInfo() == light_) ||
                               !(profile_.GetKeyboardSystemStages() == stages_))) {
            SaveProfileLocked();
        }
    }
    UpdateLighting(restart);
    return true;
}

int KeyboardDriver::LoadProfile() {
    {
        std::lock_guard lock(lock_);
        LoadModeValuesLocked();
        profile_.SetDefaultProfilePath(places_.defaultProfile());
        const std::filesystem::path path = places_.selectedProfile();
        profile_.SetProfilePath(path);
        if (profile_.LoadProfile(path).isNull()) {
            return 0;  // the lists stay as they were
        }
        keys_ = profile_.GetKeyList();
        light_ = profile_.GetLightInfo();
        stages_ = profile_.GetKeyboardSystemStages();
    }
    UpdateLighting(true);
    return 1;
}

bool KeyboardDriver::ProfileOutdated() const {
    const std::filesystem::path selected = places_.selectedProfile();
    std::lock_guard lock(lock_);
    return profile_.OutdatedFor(selected);
}

std::filesystem::path KeyboardDriver::ProfilePath() const {
    std::lock_guard lock(lock_);
    return profile_.GetProfilePath();
}

void KeyboardDriver::SaveProfile() {
    std::lock_guard lock(lock_);
    SaveProfileLocked();
}

void KeyboardDriver::SaveProfileLocked() {
    profile_.SetKeyList(keys_);
    profile_.SetLightInfo(light_);
    profile_.SetKeyboardSystemStages(stages_);
    if (!profile_.GetProfilePath().empty() && !profile_.SaveProfile()) {
        DebugOutput::Printf("the keyboard's profile could not be saved: %s",
                            profile_.GetProfilePath().c_str());
    }
}

int KeyboardDriver::MacroCount() const {
    profiles::MacroList macros(places_.userFolder());
    macros.LoadMacroList();
    return static_cast<int>(macros.rows().size());
}

bool KeyboardDriver::ReconcileMacros() {
    const int count = MacroCount();
    std::lock_guard lock(lock_);
    bool changed = false;
    for (profiles::KeyListEntry& key : keys_) {
        if (KeyboardMacroImage::IsMacro(key.assignment) && key.assignment.high >= count) {
            key.assignment = key.defaultAssignment;
            changed = true;
        }
    }
    if (changed) {
        SaveProfileLocked();
    }
    return changed;
}

void KeyboardDriver::ForgetMacroKeys(int row) {
    std::lock_guard lock(lock_);
    KeyboardMacroImage::ForgetMacroRow(keys_, row);
}

bool KeyboardDriver::UsesMacro(int row) const {
    const std::vector<int> rows = CollectMacroRows();
    return std::find(rows.begin(), rows.end(), row) != rows.end();
}

std::vector<int> KeyboardDriver::CollectMacroRows() const {
    const int count = MacroCount();
    std::lock_guard lock(lock_);
    return KeyboardMacroImage::CollectMacros(keys_, map_, count);
}

KeyboardDriver::KeyCodes KeyboardDriver::KeyCodesAt(int position) const {
    {
        std::lock_guard lock(lock_);
        for (const auto& key : keys_) {
            if (key.keyIndex == position) {
                return {key.assignment.Code(), key.defaultAssignment.Code()};
            }
        }
    }
    const uint32_t identity = position >= 0 && position < kKeyPositions
                                  ? KeyIdentityCodes()[static_cast<size_t>(position)]
                                  : 0;
    return {identity, identity};
}

void KeyboardDriver::SetKeyAssignment(int position, uint32_t code) {
    std::lock_guard lock(lock_);
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

bool KeyboardDriver::KeyHasSlot(int position) const {
    std::lock_guard lock(lock_);
    const uint8_t slot = map_.SlotOf(position);
    return slot != KeyboardPositionMap::kNoSlot && size_t{slot} * 3 + 3 <= deviceTable_.size();
}

void KeyboardDriver::RefreshInfo() {
    std::array<uint8_t, 32> head{};
    uint16_t version = 0;
    if (channel().ReadInfo(head, &version) == hid::kResultOk) {
        std::lock_guard lock(lock_);
        std::copy(head.begin(), head.end(), info_.begin());
    }
}

int KeyboardDriver::WriteKeyTable(int layer, const std::vector<profiles::KeyListEntry>& keys) {
    if (!channel().connected()) {
        return 0;
    }
    lastWriteFailed_ = false;
    RefreshInfo();
    const int count = MacroCount();
    std::vector<uint8_t> table;
    KeyboardPositionMap map;
    {
        std::lock_guard lock(lock_);
        table = KeyboardMacroImage::KeyTable(deviceTable_, keys, map_, count);
        map = map_;
    }
    const hid::CommandChannel::Transaction transaction(channel());
    if (!transaction.held()) {
        Took(hid::kResultNone);
        return 1;
    }
    Took(channel().Begin());
    if (layer == 0 && !table.empty()) {
        const int written = channel().WriteBlock(table, 0);
        Took(written);
        if (written == hid::kResultOk) {
            std::lock_guard lock(lock_);
            deviceTable_ = table;
            KeepSlotMemoryLocked(map.Remember(deviceTable_));
        }
    }
    Took(channel().End());
    return 1;
}

int KeyboardDriver::WriteKeyTableFromProfile(int layer) {
    return WriteKeyTable(layer, keys());
}

profiles::KeySlotMemory KeyboardDriver::LoadSlotMemory() const {
    const std::filesystem::path file = places_.userFolder() / profiles::KeySlotMemory::kFileName;
    const auto loaded = platform::JsonDocument::Load(file, profiles::KeySlotMemory::kMaxFileBytes);
    if (loaded.status != platform::JsonDocument::Loaded::Status::kOk &&
        loaded.status != platform::JsonDocument::Loaded::Status::kMissing) {
        DebugOutput::Printf("%s: %s", file.c_str(),
                            platform::JsonDocument::Describe(loaded.status));
    }
    return profiles::KeySlotMemory::FromDocument(loaded.value);
}

void KeyboardDriver::KeepSlotMemoryLocked(const profiles::KeySlotMemory& memory) {
    if (memory == slotMemory_) {
        return;
    }
    slotMemory_ = memory;
    const std::filesystem::path folder = places_.userFolder();
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    const std::filesystem::path file = folder / profiles::KeySlotMemory::kFileName;
    if (!platform::JsonDocument::Write(file, memory.ToDocument())) {
        DebugOutput::Printf("where the remapped keys live could not be kept in %s", file.c_str());
    }
}

int KeyboardDriver::DownloadMacroRows(const std::vector<int>& rows) {
    if (channel().connected()) {
        RefreshInfo();
    }
    profiles::MacroList list(places_.userFolder());
    list.LoadMacroList();
    if (rows.empty() || list.rows().empty()) {
        return kMacrosOk;
    }
    std::vector<std::vector<profiles::MacroEvent>> macros;
    for (const int row : rows) {
        macros.push_back(list.LoadMacro(row));
    }
    const KeyboardMacroImage::Built built = KeyboardMacroImage::Build(macros, macroMemoryBytes());
    if (built.result != kMacrosOk || !channel().connected()) {
        return built.result;
    }
    lastWriteFailed_ = false;
    const hid::CommandChannel::Transaction transaction(channel());
    if (!transaction.held()) {
        Took(hid::kResultNone);
        return kMacrosOk;
    }
    Took(channel().Begin());
    Took(channel().WriteMacros(built.image));
    Took(channel().End());
    return kMacrosOk;
}

int KeyboardDriver::WriteLightingBlock(uint8_t slot) {
    KeyboardBlock::Bytes block{};
    {
        std::lock_guard lock(lock_);
        LoadModeValuesLocked();
        block_ = KeyboardBlock::Build(light_, stages_, modeValues_);
        block = block_;
    }
    if (channel().connected()) {
        lastWriteFailed_ = false;
        const hid::CommandChannel::Transaction transaction(channel());
        if (transaction.held()) {
            Took(channel().Begin());
            Took(channel().WriteSettings(static_cast<uint16_t>(slot * kBlockSlotStride), block));
            Took(channel().End());
        } else {
            Took(hid::kResultNone);
        }
    }
    UpdateLighting(false);
    return 1;
}

void KeyboardDriver::WriteMask(const KeyboardColourStream::Mask& mask) {
    if (channel().connected()) {
        Took(channel().WriteMask(0, mask));
    }
}

int KeyboardDriver::ApplyProfile() {
    LoadProfile();
    ReconcileMacros();
    WriteLightingBlock(0);
    bool failed = lastWriteFailed_;
    const int macros = DownloadMacroRows(CollectMacroRows());
    failed = failed || lastWriteFailed_;
    WriteKeyTableFromProfile(0);
    lastWriteFailed_ = failed || lastWriteFailed_;
    return macros;
}

int KeyboardDriver::SaveKeys() {
    SaveProfile();
    const int macros = DownloadMacroRows(CollectMacroRows());
    const bool failed = lastWriteFailed_;
    WriteKeyTableFromProfile(0);
    lastWriteFailed_ = failed || lastWriteFailed_;
    return macros;
}

bool KeyboardDriver::TakeLightSettings(const profiles::LightInfo& light) {
    {
        std::lock_guard lock(lock_);
        light_ = light;
        SaveProfileLocked();
    }
    WriteLightingBlock(0);
    return !lastWriteFailed_;
}

void KeyboardDriver::TakeSystemStages(const profiles::KeyboardSystemStages& stages,
                                      bool toKeyboard) {
    {
        std::lock_guard lock(lock_);
        stages_ = stages;
        SaveProfileLocked();
    }
    lastWriteFailed_ = false;  // a setting the keyboard does not keep writes nothing
    if (toKeyboard) {
        WriteLightingBlock(0);
    }
}

void KeyboardDriver::ResetRepeat() {
    profiles::CKeyboardProfiledata factory;
    if (factory.LoadProfile(places_.defaultProfile()).isNull()) {
        return;
    }
    const profiles::KeyboardSystemStages defaults = factory.GetKeyboardSystemStages();
    std::lock_guard lock(lock_);
    stages_.repeat = defaults.repeat;
    stages_.repeatDelay = defaults.repeatDelay;
    SaveProfileLocked();
}

bool KeyboardDriver::ShowGameLighting(int mode) {
    {
        std::lock_guard lock(lock_);
        LoadModeValuesLocked();
        gameLighting_ = true;
        if (mode < 0 || mode >= static_cast<int>(modeValues_.size())) {
            return false;  // a mode the keyboard has no entry for: its own lighting stays
        }
        light_.selectItem = static_cast<uint8_t>(mode);
    }
    WriteLightingBlock(0);
    return true;
}

void KeyboardDriver::RestoreOwnLighting() {
    {
        std::lock_guard lock(lock_);
        gameLighting_ = false;
        light_ = profile_.GetLightInfo();
    }
    WriteLightingBlock(0);
}

KeyboardDriver::Info KeyboardDriver::info() const {
    std::lock_guard lock(lock_);
    return info_;
}

uint8_t KeyboardDriver::slotCount() const {
    std::lock_guard lock(lock_);
    return info_[5];
}

size_t KeyboardDriver::macroMemoryBytes() const {
    std::lock_guard lock(lock_);
    return size_t{info_[6]} * 128;
}

std::vector<uint8_t> KeyboardDriver::deviceKeyTable() const {
    std::lock_guard lock(lock_);
    return deviceTable_;
}

KeyboardPositionMap KeyboardDriver::positionMap() const {
    std::lock_guard lock(lock_);
    return map_;
}

std::vector<profiles::KeyListEntry> KeyboardDriver::keys() const {
    std::lock_guard lock(lock_);
    return keys_;
}

profiles::LightInfo KeyboardDriver::lightInfo() const {
    std::lock_guard lock(lock_);
    return light_;
}

void KeyboardDriver::SetLightInfo(const profiles::LightInfo& light) {
    std::lock_guard lock(lock_);
    light_ = light;
}

profiles::LightInfo KeyboardDriver::ProfileLightInfo() const {
    std::lock_guard lock(lock_);
    return profile_.GetLightInfo();
}

profiles::KeyboardSystemStages KeyboardDriver::systemStages() const {
    std::lock_guard lock(lock_);
    return stages_;
}

void KeyboardDriver::SetSystemStages(const profiles::KeyboardSystemStages& stages) {
    std::lock_guard lock(lock_);
    stages_ = stages;
}

std::vector<profiles::CustomLightColor> KeyboardDriver::CustomColours(int group, int count) const {
    std::lock_guard lock(lock_);
    return profile_.GetCustomLightColors(group, count);
}

void KeyboardDriver::KeepCustomColours(const std::vector<profiles::CustomLightColor>& colours,
                                       int group) {
    std::lock_guard lock(lock_);
    profile_.SetCustomLightColors(colours, group);
    SaveProfileLocked();
}

profiles::AudioLightInfo KeyboardDriver::AudioLight() const {
    std::lock_guard lock(lock_);
    return profile_.GetAudioLightInfo();
}

void KeyboardDriver::SetAudioLight(const profiles::AudioLightInfo& audio) {
    std::lock_guard lock(lock_);
    profile_.SetAudioLightInfo(audio);
}

void KeyboardDriver::PostWrite(std::function<int()> write, WriteDone done, std::string_view kind) {
    struct Outcome {
        int result = 0;
        bool failed = false;
    };
    auto outcome = std::make_shared<Outcome>();
    work().Post(
        [this, write = std::move(write), outcome] {
            outcome->result = write();
            outcome->failed = lastWriteFailed();
        },
        [done = std::move(done), outcome] {
            if (done) {
                done(outcome->result, outcome->failed);
            }
        },
        kind);
}

void KeyboardDriver::OnDeviceEvent(uint16_t code) {
    constexpr uint16_t kSyncWithList = 1026;
    if (code == kSyncWithList) {
        profileListRequested_ = true;
        DeviceDriver::OnDeviceEvent(kSyncRequestCode);
        return;
    }
    const uint8_t high = static_cast<uint8_t>(code >> 8);
    if (code > kSyncWithList && (high == 0x10 || high == 0x11)) {
        SetActiveSlot(static_cast<uint8_t>(code & 0x0F));
        if (high == 0x11) {
            SetReportedByte17(static_cast<uint8_t>((code >> 4) & 0x0F));
        }
        // The page follows through the same read as a sync request.
        DeviceDriver::OnDeviceEvent(kSyncRequestCode);
        return;
    }
    DeviceDriver::OnDeviceEvent(code);
}

}  // namespace marlo::devices
