#pragma once

#include <array>
#include <span>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <filesystem>
#include <string>
#include <vector>

#include "devices/KeyboardBlock.h"
#include "devices/KeyboardKeyReader.h"
#include "devices/KeyboardLightingEngine.h"
#include "devices/LitDevice.h"
#include "devices/KeyboardPositionMap.h"
#include "devices/KeyboardStepTimer.h"
#include "devices/ZentrixUSBDevice.h"
#include "profiles/KeyboardProfiledata.h"

namespace marlo::devices {

// The keyboard: its page ("keyboarddevice.xml"), reached by cable or through its receiver,
// with both of its interfaces (commands and events) opened by the device list. It reads the
// keyboard's key table to learn which slot sits under each key of the drawing, and writes the
// person's profile to it: the key table, the lighting and settings block, and the macros.
//
// Write sequences go on after a failed command (the keyboard ends each with its end command),
// but a write the keyboard did not take is never reported as done: lastWriteFailed() says so
// until the next write that goes through.
class CZentrixKeyboardDevice : public CZentrixUSBDevice, public ILitDevice {
  public:
    static constexpr size_t kInfoBytes = 34;
    static constexpr uint8_t kBlockSlotStride = 25;
    // DownloadMacros's results besides the count of events too many.
    static constexpr int kMacrosOk = 0;
    static constexpr int kMacrosCannotAllocate = -1;

    CZentrixKeyboardDevice();
    ~CZentrixKeyboardDevice() override;

    std::string_view GetClass() const override { return "ZentrixKeyboardDevice"; }

    // --- Reading. Nothing is sent while the channel is closed. ---
    // The information block, key table and per-slot table; then the position map. False when
    // the channel is closed or the keyboard did not answer.
    bool ReadKeyTables();
    // The active slot's lighting and settings block, taken into the profile (and saved).
    bool ReadLightingBlock();

    // --- The profile. ---
    int LoadProfile() override;
    void SaveProfile() override;
    bool ReloadChangedProfile() override;
    void ReconcileMacros() override;
    // Also the keys in hand, then the keys and macros written to the keyboard (SaveKeys).
    int ForgetMacro(int row) override;
    // The keys play this macro row (so the keyboard needs it again when it changes).
    bool UsesMacro(int row) const;
    // The macro rows the keys use, in the order the keyboard numbers them.
    std::vector<int> CollectMacroRows() const;

    // --- Writing. ---
    // Layer 0 only (begin and end are sent for any layer). 1 when the channel is open.
    int WriteKeyTable(int layer, const std::vector<profiles::KeyListEntry>& keys);
    int WriteKeyTableFromProfile(int layer);
    // 0 when written or nothing to write, -1 when the image cannot be made, else the number of
    // 4-byte events too many + 1 (nothing sent).
    int DownloadMacroRows(const std::vector<int>& rows);
    // The block from the profile, written to slot `slot` (callers pass 0). Always 1.
    int WriteLightingBlock(uint8_t slot);
    // The function tabs; type 1 also makes the Fn key assignable again, type 2 not.
    void SelectFunctionTab(int type) override;
    static constexpr size_t kFnPosition = 110;

    // --- The system settings on the page. ---
    // The profile's settings into their controls (and the lighting-independent texts).
    void RefreshPage() override;
    // A system-setting control changed: its value into the profile (saved), and to the
    // keyboard when it is part of the block. False for a control that is not one of them.
    bool TakeSystemSetting(const std::string& controlName);
    // Repeat rate and delay back to the factory profile's.
    void ResetRepeat();
    // The repeat delay options' delays.
    static constexpr int kRepeatDelaysMs[4] = {250, 500, 750, 1000};

    // The battery and link poll: the link check, then the 6 status bytes to the power control
    // (byte 3: 1 behind the receiver) and byte 4 to the main window (message 0x0D01).
    void StatusPoll() override;
    // The active slot and its byte 17 as the keyboard last reported them.
    uint8_t activeSlot() const { return activeSlot_; }

    // --- The lighting. The lighting thread steps the profile's mode on the light element
    // list; the page shows it, and in the host-streamed modes (29, 30) the keyboard is sent
    // it. Everything here may be called while the thread runs. ---
    // The profile's mode (again) from its start: elements black, the mode's set-up.
    void RestartLighting() override;
    // What the lighting thread steps now.
    KeyboardLightSettings lightSettings() const;
    KeyboardLightingEngine::Elements LightElements() const;
    // The steps the lighting thread has taken in the current mode (0 after a restart).
    uint32_t lightingSteps() const;
    // A key went down (the key reader's thread, or a test): it lights in the reactive modes.
    void PressKey(int position);
    // The sound's spectrum for the music mode, 0-255 per grid column.
    void SetSpectrum(const std::array<uint8_t, KeyboardLightingEngine::kBands>& bands);
    // In the custom mode (21): the light at `position` takes the profile's colour and is
    // selected; the keyboard is sent the selection mask. False in any other mode.
    bool SetElementColour(size_t position);
    // In the custom mode (21): the keys at `positions` of the profile's custom group take the
    // profile's colour, lit or unlit; the group is saved and the keyboard is sent the
    // selection mask, once. False in any other mode; positions without a light are passed over.
    bool PaintCustomKeys(std::span<const int> positions, bool lit);
    // Game lighting: the keyboard shows the mode at `mode` of its list (the profile keeps its
    // own), and the profile's lighting goes back to it.
    void ShowGameLighting(int mode) override;
    // The lighting panel's side.
    int LightingFamily() const override { return 1; }
    std::vector<Mode> LightModes() override { return Modes(); }
    profiles::LightInfo LightSettings() const override { return light_; }
    bool TakeLightSettings(const profiles::LightInfo& light) override;
    int LightModeValue() const override { return lightSettings().mode; }
    void RestoreOwnLighting() override;
    bool keyReaderRunning() const { return keyReader_.running(); }
    static constexpr uint32_t kMaskHoldOffMs = 200;

    void StopThreads() override;
    void DeviceRemoved() override;

    // The main window's order for applying the selected profile: load, reconcile, refresh,
    // lighting block, collect, download, key table. The download's result.
    int ApplyProfile();
    // What saving the keys does: the profile saved, the macros downloaded, the key table
    // written. The download's result; lastWriteFailed() says whether either write failed.
    int SaveKeys();

    // --- What the page and marloctl show. ---
    const std::array<uint8_t, kInfoBytes>& info() const { return info_; }
    uint8_t slotCount() const { return info_[5]; }
    size_t macroMemoryBytes() const { return size_t{info_[6]} * 128; }
    const std::vector<uint8_t>& deviceKeyTable() const { return deviceTable_; }
    const KeyboardPositionMap& positionMap() const { return map_; }
    // The position has a slot in the keyboard's key table as read: a key the keyboard can be
    // told. An assignment to any other position changes nothing on the keyboard.
    bool KeyHasSlot(int position) const;
    const std::vector<profiles::KeyListEntry>& keys() const { return keys_; }
    void SetKeyAssignment(int position, uint32_t code);
    // A key position's assignment and default in the key list; its factory code for both when
    // the list has no entry for it.
    struct KeyCodes {
        uint32_t assignment = 0;
        uint32_t byDefault = 0;
    };
    KeyCodes KeyCodesAt(int position) const;
    const profiles::LightInfo& lightInfo() const { return light_; }
    void SetLightInfo(const profiles::LightInfo& light) { light_ = light; }
    const profiles::KeyboardSystemStages& systemStages() const { return stages_; }
    void SetSystemStages(const profiles::KeyboardSystemStages& stages) { stages_ = stages; }
    const std::vector<int>& modeValues() const { return modeValues_; }
    // The keyboard's mode list of the factory data, in the order of modeValues().
    std::vector<Mode> Modes();
    bool lastWriteFailed() const { return lastWriteFailed_; }
    profiles::CKeyboardProfiledata& profile() { return profile_; }

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
    void LoadModeValues();
    int MacroCount() const;
    // Notes a command's result: a result other than 1 marks the write as failed.
    void Took(int result);
    // The profile's lighting into what the thread steps: the mode from its set-up when
    // `restart`, or when the mode is another than the one running.
    void UpdateLighting(bool restart);
    KeyboardLightSettings SettingsFromProfile();
    // The elements onto the frame the page shows.
    void ShowElements();
    void SendSelectionMask();
    // Starts reading the keyboard's key presses (by cable only).
    void StartKeyReader();
    // Where remapped keys were written, beside the profiles.
    profiles::KeySlotMemory LoadSlotMemory() const;
    void KeepSlotMemory(const profiles::KeySlotMemory& memory);

    std::array<uint8_t, kInfoBytes> info_{};
    std::vector<uint8_t> deviceTable_;
    std::vector<uint8_t> slotTable_;
    KeyboardPositionMap map_;
    profiles::KeySlotMemory slotMemory_;
    std::vector<profiles::KeyListEntry> keys_;
    profiles::LightInfo light_;
    profiles::KeyboardSystemStages stages_;
    KeyboardBlock::Bytes block_{};
    std::vector<int> modeValues_;
    std::vector<Mode> modes_;
    profiles::CKeyboardProfiledata profile_;
    bool lastWriteFailed_ = false;
    std::atomic<uint8_t> activeSlot_{0};
    std::atomic<uint8_t> reportedByte17_{0};
    std::atomic<bool> reloadProfileList_{false};

    // The lighting: guarded by lightingMutex_, with the base's reactive keys.
    mutable std::mutex lightingMutex_;
    KeyboardLightingEngine engine_;
    KeyboardLightSettings lightSettings_;
    bool lightingSetUp_ = false;
    // The position map's stream slots and the slot count, for the colour stream.
    KeyboardPositionMap streamMap_;
    size_t streamSlots_ = 0;
    std::atomic<bool> restartSteps_{true};
    platform::Event lightingWake_{platform::Event::Reset::kAuto};
    KeyboardStepTimer stepTimer_;  // the lighting thread's
    KeyboardKeyReader keyReader_;
};

}  // namespace marlo::devices
