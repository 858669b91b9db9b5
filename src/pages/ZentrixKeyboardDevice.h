#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "devices/KeyboardDriver.h"
#include "devices/KeyboardKeyReader.h"
#include "devices/KeyboardLightingEngine.h"
#include "devices/KeyboardPositionMap.h"
#include "devices/KeyboardStepTimer.h"
#include "pages/LitDevice.h"
#include "pages/ZentrixUSBDevice.h"

namespace marlo::pages {

// The keyboard's page ("keyboarddevice.xml"), reached by cable or through its receiver, with
// both of its interfaces (commands and events) opened by the device list. What the keyboard
// knows and is told is its driver's (KeyboardDriver); the page shows it, steps its lighting and
// reads its key presses.
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
    // The key tables (see KeyboardDriver), and the colour stream's map from them.
    bool ReadKeyTables();
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

    // --- The lighting. The lighting thread steps the profile's mode on the light element
    // list; the page shows it, and in the host-streamed modes (29, 30) the keyboard is sent
    // it. Everything here may be called while the thread runs. ---
    // The profile's mode (again) from its start: elements black, the mode's set-up.
    void RestartLighting() override;
    // What the lighting thread steps now.
    devices::KeyboardLightSettings lightSettings() const;
    devices::KeyboardLightingEngine::Elements LightElements() const;
    // The steps the lighting thread has taken in the current mode (0 after a restart).
    uint32_t lightingSteps() const;
    // A key went down (the key reader's thread, or a test): it lights in the reactive modes.
    void PressKey(int position);
    // The sound's spectrum for the music mode, 0-255 per grid column.
    void SetSpectrum(const std::array<uint8_t, devices::KeyboardLightingEngine::kBands>& bands);
    // In the custom mode (21): the light at `position` takes the profile's colour and is
    // selected; the keyboard is sent the selection mask. False in any other mode.
    bool SetElementColour(size_t position);
    // In the custom mode (21): the keys at `positions` of the profile's custom group take the
    // profile's colour, lit or unlit; the group is saved and the keyboard is sent the
    // selection mask, once (`done` hears how it went). False in any other mode; positions
    // without a light are passed over.
    bool PaintCustomKeys(std::span<const int> positions, bool lit, WriteDone done = {});
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
    bool keyReaderRunning() const { return keyReader_.running(); }
    static constexpr uint32_t kMaskHoldOffMs = 200;

    void StopThreads() override;
    void DeviceRemoved() override;

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
    // Behind the receiver: only while the channel is connected and the link check answers.
    int IsPresent() override { return ReceiverLinkPresent(); }
    // The keyboard takes the colour stream only in its host-streamed lighting modes, which
    // the lighting engine drives; in every other mode the frame is shown on the page only.
    void PresentFrame() override { PresentOnPageOnly(); }
    // The drawing animates while the main window is active or under the pointer (behind
    // other windows it rests: a lit keyboard animates all day).
    bool PageWatched() const override { return windowState() && IsVisible(); }

  protected:
    // Notifications of the keyboard (event thread): 1025 asks to be read again, 1026 also to
    // re-read the profile list; 0x10xN makes slot N active, 0x11MN too with byte 17 = M.
    void OnDeviceEvent(uint16_t code) override;
    void RunLighting(platform::Event& stop) override;

  private:
    ui::CControlUI* SystemControl(const std::string& name);
    // The profile's lighting into what the thread steps: the mode from its set-up when
    // `restart`, or when the mode is another than the one running.
    void UpdateLighting(bool restart);
    devices::KeyboardLightSettings SettingsFromProfile() const;
    // The elements onto the frame the page shows.
    void ShowElements();
    void SendSelectionMask(WriteDone done = {});
    // Runs `write` on the work thread, then `done` with its result and the refusal. A write
    // of a kind that waits already is not queued twice (see DeviceWork::Post).
    void PostWrite(std::function<int()> write, WriteDone done, std::string_view kind);
    // Starts reading the keyboard's key presses (by cable only).
    void StartKeyReader();

    devices::KeyboardDriver driver_;
    std::atomic<bool> reloadProfileList_{false};

    // The lighting: guarded by lightingMutex_, with the base's reactive keys.
    mutable std::mutex lightingMutex_;
    devices::KeyboardLightingEngine engine_;
    devices::KeyboardLightSettings lightSettings_;
    bool lightingSetUp_ = false;
    // The position map's stream slots and the slot count, for the colour stream.
    devices::KeyboardPositionMap streamMap_;
    size_t streamSlots_ = 0;
    std::atomic<bool> restartSteps_{true};
    platform::Event lightingWake_{platform::Event::Reset::kAuto};
    devices::KeyboardStepTimer stepTimer_;  // the lighting thread's
    devices::KeyboardKeyReader keyReader_;
};

}  // namespace marlo::pages
