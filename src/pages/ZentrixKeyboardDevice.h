#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "devices/KeyboardDriver.h"
#include "devices/KeyboardPositionMap.h"
#include "pages/LitDevice.h"
#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The keyboard's page ("keyboarddevice.xml"), reached by cable or through its receiver, with
// both of its interfaces (commands and events) opened by the device list. What the keyboard
// knows and is told, its lighting and its key presses are its driver's (KeyboardDriver); the
// page hands the person's changes to it and shows what it has.
class CZentrixKeyboardDevice : public CZentrixUSBDevice, public ILitDevice {
  public:
    static constexpr size_t kInfoBytes = devices::KeyboardDriver::kInfoBytes;
    static constexpr int kMacrosOk = devices::KeyboardDriver::kMacrosOk;
    static constexpr int kMacrosCannotAllocate = devices::KeyboardDriver::kMacrosCannotAllocate;

    CZentrixKeyboardDevice();
    ~CZentrixKeyboardDevice() override;

    std::string_view GetClass() const override { return "ZentrixKeyboardDevice"; }

    // What the keyboard knows and is told (the page's operations below hand on to it).
    devices::KeyboardDriver& driver() { return driver_; }
    const devices::KeyboardDriver& driver() const { return driver_; }

    // --- Reading. Nothing is sent while the channel is closed. ---
    bool ReadKeyTables() { return driver_.ReadKeyTables(); }
    bool ReadLightingBlock() { return driver_.ReadLightingBlock(); }

    // --- The profile. ---
    int LoadProfile() override { return driver_.LoadProfile(); }
    void SaveProfile() override { driver_.SaveProfile(); }
    bool ReloadChangedProfile() override;
    void ReconcileMacros() override;
    // Also the keys in hand, then the keys and macros written to the keyboard (SaveKeys).
    void ForgetMacro(int row, WriteDone done) override;
    bool UsesMacro(int row) const { return driver_.UsesMacro(row); }
    std::vector<int> CollectMacroRows() const { return driver_.CollectMacroRows(); }

    // --- Writing (see KeyboardDriver). ---
    int WriteKeyTable(int layer, const std::vector<profiles::KeyListEntry>& keys) {
        return driver_.WriteKeyTable(layer, keys);
    }
    int WriteKeyTableFromProfile(int layer) { return driver_.WriteKeyTableFromProfile(layer); }
    int DownloadMacroRows(const std::vector<int>& rows) { return driver_.DownloadMacroRows(rows); }
    int WriteLightingBlock(uint8_t slot) { return driver_.WriteLightingBlock(slot); }
    // The function tabs; type 1 also makes the Fn key assignable again, type 2 not.
    void SelectFunctionTab(int type) override;
    static constexpr size_t kFnPosition = 110;

    // --- The system settings on the page. ---
    // The profile's settings into their controls (and the lighting-independent texts).
    void RefreshPage() override;
    // A system-setting control changed: its value into the profile (saved), and to the
    // keyboard when it is part of the block (`done` hears how it went). False for a control
    // that is not one of them.
    bool TakeSystemSetting(const std::string& controlName, WriteDone done = {});
    // Repeat rate and delay back to the factory profile's.
    void ResetRepeat();
    // The repeat delay options' delays.
    static constexpr int kRepeatDelaysMs[4] = {250, 500, 750, 1000};

    // The battery and link poll: the link check, then the 6 status bytes to the power control
    // (byte 3: 1 behind the receiver) and byte 4 to the main window (message 0x0D01).
    void StatusPoll() override;
    // The active slot and its byte 17 as the keyboard last reported them.
    uint8_t activeSlot() const { return driver_.activeSlot(); }

    // --- The lighting: the driver's lighting thread steps the profile's mode; the page shows
    // its frame (see KeyboardDriver). ---
    devices::KeyboardLightSettings lightSettings() const { return driver_.lightSettings(); }
    // Game lighting: the keyboard shows the mode at `mode` of its list (the profile keeps its
    // own), and the profile's lighting goes back to it.
    void ShowGameLighting(int mode) override;
    // The lighting panel's side.
    int LightingFamily() const override { return 1; }
    std::vector<Mode> LightModes() override { return Modes(); }
    profiles::LightInfo LightSettings() const override { return driver_.lightInfo(); }
    void TakeLightSettings(const profiles::LightInfo& light, WriteDone done) override;
    int LightModeValue() const override { return lightSettings().mode; }
    void RestoreOwnLighting() override;

    // The writes run on the keyboard's work thread; `done` gets, on the UI thread, the macro
    // download's result and whether the keyboard refused any write.
    // The main window's order for applying the selected profile: load, reconcile, lighting
    // block, collect, download, key table; then the page shows it.
    void ApplyProfile(WriteDone done);
    // What saving the keys does: the profile saved, the macros downloaded, the key table
    // written.
    void SaveKeys(WriteDone done);

    // --- What the page and marloctl show (copies of the driver's). ---
    devices::KeyboardDriver::Info info() const { return driver_.info(); }
    uint8_t slotCount() const { return driver_.slotCount(); }
    size_t macroMemoryBytes() const { return driver_.macroMemoryBytes(); }
    std::vector<uint8_t> deviceKeyTable() const { return driver_.deviceKeyTable(); }
    devices::KeyboardPositionMap positionMap() const { return driver_.positionMap(); }
    bool KeyHasSlot(int position) const { return driver_.KeyHasSlot(position); }
    std::vector<profiles::KeyListEntry> keys() const { return driver_.keys(); }
    void SetKeyAssignment(int position, uint32_t code) { driver_.SetKeyAssignment(position, code); }
    using KeyCodes = devices::KeyboardDriver::KeyCodes;
    KeyCodes KeyCodesAt(int position) const { return driver_.KeyCodesAt(position); }
    profiles::LightInfo lightInfo() const { return driver_.lightInfo(); }
    void SetLightInfo(const profiles::LightInfo& light) { driver_.SetLightInfo(light); }
    profiles::KeyboardSystemStages systemStages() const { return driver_.systemStages(); }
    void SetSystemStages(const profiles::KeyboardSystemStages& stages) {
        driver_.SetSystemStages(stages);
    }
    std::vector<int> modeValues() const { return driver_.modeValues(); }
    std::vector<Mode> Modes() const { return driver_.Modes(); }
    bool lastWriteFailed() const { return driver_.lastWriteFailed(); }

  protected:
    void ReadFromDevice() override;
    void RefreshFromDevice() override;
    int PageKind() const override { return 1; }

  public:
    // The drawing animates while the main window is active or under the pointer (behind
    // other windows it rests: a lit keyboard animates all day).
    bool PageWatched() const override { return windowState() && IsVisible(); }

  private:
    ui::CControlUI* SystemControl(const std::string& name);

    devices::KeyboardDriver& driver_;  // the base's
};

}  // namespace marlo::pages
