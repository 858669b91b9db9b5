#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "devices/DeviceDriver.h"
#include "devices/DeviceModeList.h"
#include "devices/DevicePlaces.h"
#include "devices/KeyboardBlock.h"
#include "devices/KeyboardColourStream.h"
#include "devices/KeyboardKeyReader.h"
#include "devices/KeyboardLightingEngine.h"
#include "devices/KeyboardPositionMap.h"
#include "devices/KeyboardStepTimer.h"
#include "hid/CommandChannel.h"
#include "profiles/KeySlotMemory.h"
#include "profiles/KeyboardProfiledata.h"

namespace marlo::devices {

// The keyboard apart from any page: what it read from the keyboard (the information block, the
// key table and the per-slot table, and from them the position map), the person's profile for
// it (keys, lighting, system settings), and the writes that take the profile to the keyboard
// over its command channel. The keyboard's page, marloctl and the tests drive it alike.
//
// A driver made to step its lighting also owns the keyboard's lighting (the lighting engine
// on the lighting thread, the colour stream in the host-streamed modes, the selection mask of
// the custom mode) and the reader of its key presses for the reactive modes; the page shows
// the frame. marloctl's driver only reads and writes.
//
// Every member may be called on any thread. The state is under one lock that is never held
// while the keyboard is asked or told something: a reader waits for in-memory work only, however
// long the keyboard takes to answer. Write sequences go on after a failed command (the keyboard
// ends each with its end command), but a write the keyboard did not take is never reported as
// done: lastWriteFailed() says so until the next write that goes through.
class KeyboardDriver : public DeviceDriver {
  public:
    static constexpr size_t kInfoBytes = 34;
    static constexpr uint8_t kBlockSlotStride = 25;
    // DownloadMacroRows's results besides the count of events too many.
    static constexpr int kMacrosOk = 0;
    static constexpr int kMacrosCannotAllocate = -1;
    using Info = std::array<uint8_t, kInfoBytes>;

    using Places = DevicePlaces;
    // The keyboard's folder in the user's data, its factory profile, and the profile its list
    // has selected.
    static Places StandardPlaces();

    // Whether the driver steps the keyboard's lighting (a page shows it) or only reads and
    // writes (a command-line session).
    enum class Lighting { kNone, kStepped };
    explicit KeyboardDriver(Places places, Lighting lighting = Lighting::kNone);
    ~KeyboardDriver() override;

    // --- Reading. Nothing is sent while the channel is closed. ---
    // The information block, key table and per-slot table; then the position map. False when
    // the channel is closed or the keyboard did not answer.
    bool ReadKeyTables();
    // The active slot's lighting and settings block, taken into the profile (and saved when the
    // keyboard told something new and no game's lighting shows).
    bool ReadLightingBlock();

    // --- The profile. ---
    // The selected profile read again; 0 when it cannot be read (the lists stay as they were).
    int LoadProfile();
    void SaveProfile();
    // Whether the profile in hand is no longer the selected one or was written by another
    // program since it was read or written here.
    bool ProfileOutdated() const;
    // Keys that play a macro row the list no longer has take their default; true (and saved)
    // when any did.
    bool ReconcileMacros();
    // The keys in hand that played `row` take their default; later rows follow it down by one.
    void ForgetMacroKeys(int row);
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
    // The selection mask of the custom mode.
    void WriteMask(const KeyboardColourStream::Mask& mask);
    // The selected profile to the keyboard: load, reconcile, lighting block, macros, key table.
    // The download's result.
    int ApplyProfile();
    // The profile saved, the macros downloaded, the key table written. The download's result;
    // lastWriteFailed() says whether either write failed.
    int SaveKeys();
    // The lighting into the profile (saved) and to the keyboard; false when it did not take it.
    bool TakeLightSettings(const profiles::LightInfo& light);
    // The system settings into the profile (saved), and to the keyboard when `toKeyboard`.
    void TakeSystemStages(const profiles::KeyboardSystemStages& stages, bool toKeyboard);
    // Repeat rate and delay back to the factory profile's.
    void ResetRepeat();
    // Game lighting: the keyboard shows the mode at `mode` of its list (the profile keeps its
    // own); false for a mode the list has no entry for. RestoreOwnLighting goes back.
    bool ShowGameLighting(int mode);
    void RestoreOwnLighting();

    // --- The keys. ---
    // The position has a slot in the keyboard's key table as read: a key the keyboard can be
    // told. An assignment to any other position changes nothing on the keyboard.
    bool KeyHasSlot(int position) const;
    void SetKeyAssignment(int position, uint32_t code);
    // A key position's assignment and default in the key list; its factory code for both when
    // the list has no entry for it.
    struct KeyCodes {
        uint32_t assignment = 0;
        uint32_t byDefault = 0;
    };
    KeyCodes KeyCodesAt(int position) const;

    // --- What it knows (copies). ---
    Info info() const;
    uint8_t slotCount() const;
    size_t macroMemoryBytes() const;
    std::vector<uint8_t> deviceKeyTable() const;
    KeyboardPositionMap positionMap() const;
    std::vector<profiles::KeyListEntry> keys() const;
    profiles::LightInfo lightInfo() const;
    void SetLightInfo(const profiles::LightInfo& light);
    // The lighting as the profile keeps it (game lighting aside).
    profiles::LightInfo ProfileLightInfo() const;
    profiles::KeyboardSystemStages systemStages() const;
    void SetSystemStages(const profiles::KeyboardSystemStages& stages);
    std::vector<profiles::CustomLightColor> CustomColours(int group, int count) const;
    // The colours of a custom group into the profile (saved).
    void KeepCustomColours(const std::vector<profiles::CustomLightColor>& colours, int group);
    profiles::AudioLightInfo AudioLight() const;
    void SetAudioLight(const profiles::AudioLightInfo& audio);
    std::vector<int> modeValues() const;
    // The keyboard's mode list of the factory data, in the order of modeValues().
    std::vector<DeviceMode> Modes() const;
    bool lastWriteFailed() const { return lastWriteFailed_; }
    std::filesystem::path ProfilePath() const;

    // The active slot and its byte 17 as the keyboard last reported them (its notifications).
    uint8_t activeSlot() const { return activeSlot_; }
    void SetActiveSlot(uint8_t slot) { activeSlot_ = slot; }
    void SetReportedByte17(uint8_t value) { reportedByte17_ = value; }

    // --- The keyboard's lighting (a driver that steps it). Everything here may be called
    // while the lighting thread runs. ---
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
    // selection mask, once (`done` hears how it went). False in any other mode; positions
    // without a light are passed over.
    bool PaintCustomKeys(std::span<const int> positions, bool lit, WriteDone done = {});
    // Starts reading the keyboard's key presses (by cable only).
    void StartKeyReader();
    bool keyReaderRunning() const { return keyReader_.running(); }
    // Whether the keyboard asked for its profile list to be read again (and forgets it).
    bool TakeProfileListRequest() { return profileListRequested_.exchange(false); }

    // Runs `write` on the work thread, then `done` where the work delivers, with its result
    // and whether the keyboard refused any of it. A write of a kind that waits already is not
    // queued twice (see DeviceWork::Post).
    void PostWrite(std::function<int()> write, WriteDone done, std::string_view kind);

    void Stop() override;
    void Removed() override;
    // Behind the receiver: only while the channel is connected and the link check answers.
    int IsPresent() override { return ReceiverLinkPresent(); }

  protected:
    // Notifications of the keyboard (event thread): 1025 asks to be read again, 1026 also to
    // re-read the profile list; 0x10xN makes slot N active, 0x11MN too with byte 17 = M.
    void OnDeviceEvent(uint16_t code) override;
    // The keyboard takes the colour stream only in its host-streamed modes, which the
    // lighting thread sends itself: the page's frame is never sent on its own.
    bool SendsFrames() const override { return false; }
    void RunLighting(platform::Event& stop) override;

  private:
    // Under lock_.
    void LoadModeValuesLocked() const;
    void SaveProfileLocked();
    int MacroCount() const;
    // Notes a command's result: a result other than 1 marks the write as failed.
    void Took(int result);
    // The profile's lighting into what the thread steps: the mode from its set-up when
    // `restart`, or when the mode is another than the one running (a driver that steps it).
    void UpdateLighting(bool restart);
    KeyboardLightSettings SettingsFromProfile() const;
    // The elements onto the frame the page shows.
    void ShowElements();
    void SendSelectionMask(WriteDone done = {});
    profiles::KeySlotMemory LoadSlotMemory() const;
    // Under lock_: the memory kept beside the profiles when it changed.
    void KeepSlotMemoryLocked(const profiles::KeySlotMemory& memory);
    // The information block's first 32 bytes, read again before a write (no transaction).
    void RefreshInfo();

    const Places places_;
    const Lighting lighting_;

    mutable std::mutex lock_;
    Info info_{};
    std::vector<uint8_t> deviceTable_;
    std::vector<uint8_t> slotTable_;
    KeyboardPositionMap map_;
    profiles::KeySlotMemory slotMemory_;
    std::vector<profiles::KeyListEntry> keys_;
    profiles::LightInfo light_;
    profiles::KeyboardSystemStages stages_;
    KeyboardBlock::Bytes block_{};
    mutable std::vector<int> modeValues_;
    mutable std::vector<DeviceMode> modes_;
    mutable profiles::CKeyboardProfiledata profile_;
    bool gameLighting_ = false;

    std::atomic<bool> lastWriteFailed_{false};
    std::atomic<uint8_t> activeSlot_{0};
    std::atomic<uint8_t> reportedByte17_{0};
    std::atomic<bool> profileListRequested_{false};

    // The lighting: guarded by lightingMutex_ (never held over an exchange, or taken while
    // lock_ is held).
    mutable std::mutex lightingMutex_;
    KeyboardLightingEngine engine_;
    KeyboardLightSettings lightSettings_;
    ReactiveKeys reactive_;
    bool lightingSetUp_ = false;
    // The position map's stream slots and the slot count, for the colour stream.
    KeyboardPositionMap streamMap_;
    size_t streamSlots_ = 0;
    std::atomic<bool> restartSteps_{true};
    KeyboardStepTimer stepTimer_;  // the lighting thread's
    KeyboardKeyReader keyReader_;
};

}  // namespace marlo::devices
