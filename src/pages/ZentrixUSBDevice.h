#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "devices/DeviceModeList.h"
#include "devices/DeviceWork.h"
#include "devices/LightingEffects.h"
#include "devices/LightingFrame.h"
#include "devices/ReactiveKeys.h"
#include "hid/CommandChannel.h"
#include "hid/SupportedDevices.h"
#include "platform/WorkerThread.h"
#include "ui/ContainerUI.h"
#include "ui/NotifyPump.h"

namespace marlo::pages {

class CSelectPanelUI;
class CDeviceKeyButtonUI;
class CMpDevicePowerUI;
class CDeviceProfileUI;

// The common base of the device pages: a device's page (a horizontal layout of the toolkit),
// and, until the drivers take them over, the owner of what belongs to one product: its command
// channel, its event interface, its lighting frame, and its work, lighting and event threads.
// It is made once per product kind and outlives unplugging: removal only closes its interfaces.
//
// Threads: the UI thread owns the page and never waits on the device: every exchange runs on
// the work thread (DeviceWork), whose completions come back to the UI thread; the lighting
// thread runs the effect steps (frame lock inside LightingFrame, effect lock here); the event
// thread reads the event interface and hands what it reads to OnDeviceEvent. All wake on their
// stop events.
class CZentrixUSBDevice : public ui::CHorizontalLayoutUI, public ui::CNotifyPump {
  public:
    // Lighting modes of the profile the lighting thread steps.
    enum LightingMode : int {
        kModeOwn0 = 0,
        kModeColourCycle = 1,
        kModeBreathing = 2,
        kModeStatic = 3,
        kModeBlink = 4,
        kModeOwn6 = 6,
        kModeOwn7 = 7,
        kModeOff = 8,
    };
    static constexpr size_t kReactiveKeys = devices::ReactiveKeys::kKeys;
    static constexpr size_t kRingEntries = devices::ReactiveKeys::kRingEntries;
    static constexpr uint16_t kSyncRequestCode = 0x401;
    // After a frame that did not reach the device, no frame is sent for this long.
    static constexpr uint32_t kStreamHoldOffMs = 200;

    CZentrixUSBDevice();
    // Stops both threads and closes both interfaces. A device class whose steps or events
    // use its own members stops the threads in its own destructor first, while they exist.
    ~CZentrixUSBDevice() override;

    std::string_view GetClass() const override { return "ZentrixUSBDevice"; }

    // --- The operations the device list, the entries and the panels call (base behaviour;
    // the device classes fill them in). ---
    // Binds the select panel, the key buttons ("key_<n>", n below the key count) and the light
    // buttons ("light_<n>", n below the light count; shown white at level 255).
    virtual void BuildPage();
    virtual void RestartLighting() {}
    virtual void StepBreathing();
    virtual void StepBreathingFourColours();
    virtual void StepStatic();
    virtual void StepColourCycle();
    virtual void StepBlink();
    virtual void StepBlinkFourColours();
    virtual void StepOff();
    // Shows the frame on the light buttons of a shown page and has it sent to the device on
    // the device's work thread (not through the receiver). Nothing while the lighting-control
    // flag is 0.
    virtual void PresentFrame();
    virtual bool SetLight(size_t index, const devices::LightEntry& entry);
    virtual devices::LightEntry GetLight(size_t index) const;
    virtual void ReadFromDevice() {}
    // Reads the information block for the firmware version; false when the device did not
    // answer.
    bool ReadFirmwareVersion();
    virtual void RefreshFromDevice() {}
    virtual void StatusPoll() {}
    virtual int IsPresent() { return 1; }
    virtual int LoadProfile() { return 0; }
    // The selected profile was written by another program (or another one was selected):
    // reads it again and shows it. False when nothing changed.
    virtual bool ReloadChangedProfile() { return false; }
    virtual void RefreshPage() {}
    virtual void ReconcileMacros() {}
    // A macro row was deleted: in every profile of the device the keys that played it take
    // their default and the keys that played a later row follow it down by one. A device
    // that holds keys writes them again and reports what that write returns (0 when well).
    // What a write reports when it is over, on the UI thread: what it returned (a key write:
    // the macro download's result) and whether the device refused any of it.
    using WriteDone = std::function<void(int result, bool failed)>;
    virtual void ForgetMacro(int row, WriteDone done) {
        ForgetMacroInProfiles(row, {});
        if (done) {
            done(0, false);
        }
    }
    virtual void LoadDefaultProfile() {}
    virtual void LoadNameLists() {}
    // One fading step of a pressed key's value: by its high bits and the fade mode (0, 29
    // for the music bars, any other).
    virtual void FadeKey(size_t index, int mode);
    // Sets the reactive value of each key whose ring entry (of the first nine) is not 0.
    virtual void LightReactiveKeys();
    // Rotates the 23-entry ring one place, towards higher indexes when `up`.
    virtual void RotateRing(bool up);
    virtual void ClearReactive();
    // Switches "device_function_switch" and "device_key_function_switch" for a function type.
    virtual void SelectFunctionTab(int type);
    virtual int GetFunctionType() const { return functionType_; }
    virtual void InitProfileFolders() {}
    virtual std::string GetProfileString() { return {}; }
    virtual void SaveProfile() {}
    virtual void SetKindIndex(int index) { kindIndex_ = index; }
    virtual int GetKindIndex() const { return kindIndex_; }
    // Game lighting: a game's event shows `mode` for a while, then the device's own returns.
    virtual void ShowGameLighting(int mode) { gameMode_ = mode; }
    virtual void RestoreOwnLighting() { gameMode_ = -1; }
    int gameMode() const { return gameMode_; }

    // --- Set by the attachment logic and the main window. ---
    // The page's profile panel (not owned; none when the page has none), and the file stem of
    // the profile it has selected.
    CDeviceProfileUI* profilePanel() const { return profilePanel_; }
    std::string profileStem() const;

    void SetPagePath(std::string path) { pagePath_ = std::move(path); }
    const std::string& pagePath() const { return pagePath_; }
    void SetDeviceName(std::string name) { name_ = std::move(name); }
    const std::string& deviceName() const { return name_; }
    void SetLightControlName(std::string name) { lightControlName_ = std::move(name); }
    void SetLightCount(size_t count);
    size_t lightCount() const { return lightCount_; }
    void SetKeyCount(size_t count) { keyCount_ = count; }
    size_t keyCount() const { return keyCount_; }
    // Also handed to the linked power control.
    void SetHasBattery(bool hasBattery);
    bool hasBattery() const { return hasBattery_; }
    void SetIdentity(const hid::SupportedDeviceRecord& record);
    const hid::SupportedDeviceRecord& identity() const { return identity_; }
    uint16_t productCode() const { return identity_.productCode; }
    void SetReceiver(bool viaReceiver) {
        receiver_ = viaReceiver;
        FrameOutdated();
    }
    bool receiver() const { return receiver_; }
    // The main window is active or under the pointer: the drawing follows the frame only then.
    void SetWindowState(bool activeOrHovered) {
        if (activeOrHovered != windowState_) {
            windowState_ = activeOrHovered;
            WakeFrame();
        }
    }
    bool windowState() const { return windowState_; }
    // Stores the flag; when it is set and the device is the cable keyboard (product code 1),
    // tells the device with command 28.
    void SetLightingControl(bool on);
    bool lightingControl() const { return lightingControl_; }

    void SetTemplateRow(int row) { templateRow_ = row; }
    int templateRow() const { return templateRow_; }
    void SetMainWindow(uintptr_t window) { mainWindow_ = window; }
    uintptr_t mainWindow() const { return mainWindow_; }
    void SetWindowText3(std::string text) { windowText3_ = std::move(text); }
    // The device list entry that shows this device (not owned), and its index in the list.
    void LinkEntry(ui::CControlUI* entry, int index) {
        entry_ = entry;
        entryIndex_ = index;
    }
    ui::CControlUI* entry() const { return entry_; }
    int entryIndex() const { return entryIndex_; }
    // The power control (not owned); it is told the battery flag at once.
    void LinkPowerControl(CMpDevicePowerUI* power);
    CMpDevicePowerUI* powerControl() const { return power_; }
    // Whether the device is there (IsPresent), asked on its work thread; `answer` hears it
    // on the UI thread.
    void CheckPresence(std::function<void(bool present)> answer);
    // Connected: the command channel is open and the device answers through it.
    bool IsConnected() const { return channel_.connected(); }
    // Whether synchronised lighting plays on this device, and the frame it plays: red |
    // green << 8 | blue << 16 | level << 24, handed from the synchronised-lighting thread.
    void SetSyncOption(bool on) { syncOption_ = on; }
    bool syncOption() const { return syncOption_; }
    virtual void SetSyncFrame(uint32_t packed) { syncFrame_ = packed; }
    uint32_t syncFrame() const { return syncFrame_; }
    // Game lighting holds the device's own lighting back while a game event is shown.
    void SetLightingSuspended(bool suspended) { lightingSuspended_ = suspended; }
    bool lightingSuspended() const { return lightingSuspended_; }
    // The device list entry's read once the device is connected (and, behind a receiver,
    // linked): counts the reads, then ReadFromDevice.
    void ReadAfterConnect();
    int readsAfterConnect() const { return readsAfterConnect_; }
    // The firmware version the device reported (its information block, command 3); 0 until
    // it has.
    uint16_t FirmwareVersion() const { return firmwareVersion_; }

    hid::CommandChannel& channel() { return channel_; }
    const devices::LightingFrame& frame() const { return frame_; }
    CSelectPanelUI* selectPanel() const { return selectPanel_; }
    CDeviceKeyButtonUI* KeyButton(size_t index) const;
    CDeviceKeyButtonUI* LightButton(size_t index) const;
    uint8_t ReactiveValue(size_t key) const { return reactive_.value(key); }
    void SetRingEntry(size_t index, uint8_t value) { reactive_.SetRingEntry(index, value); }
    uint8_t RingEntry(size_t index) const { return reactive_.ringEntry(index); }

    // ForgetMacro in the saved profiles of the device, except the file `except`.
    void ForgetMacroInProfiles(int row, const std::filesystem::path& except);
    // The factory profile of this kind, and the user's folder for it (made when missing).
    std::filesystem::path DefaultProfilePath() const;
    std::filesystem::path UserDataFolder() const;
    // The selected profile's file in the user's folder (the factory profile when none).
    std::filesystem::path SelectedProfilePath() const;
    // The factory data's mode list of a device kind (see DeviceModeList.h).
    using Mode = devices::DeviceMode;
    static std::vector<Mode> LoadModeList(int model) { return devices::LoadDeviceModes(model); }
    // The message the status poll posts to the window, with the status byte 4.
    static constexpr uint32_t kStatusMessage = 0x0D01;

    // --- The device's own thread for its exchanges (see DeviceWork). ---
    // Called on the work thread when finished work waits to be delivered: the owner posts
    // itself a message and calls DeliverWork on the UI thread. Without it, work runs at once.
    void SetWorkDeliveryHandler(std::function<void()> handler) {
        work_.SetDeliveryHandler(std::move(handler));
    }
    // The completions of the device's finished work (UI thread).
    size_t DeliverWork() { return work_.DeliverDone(); }
    devices::DeviceWork& work() { return work_; }

    // --- The event interface and the threads. ---
    // Opens the event collection (when not open) and starts the event thread. False when the
    // path cannot be opened.
    bool OpenEventInterface(const std::string& path);
    // Stops the event thread, then closes the interface.
    void CloseEventInterface();
    bool eventInterfaceOpen() const { return eventChannel_.connected(); }
    // Stops both threads and closes the event interface. The owner calls it before it
    // destroys the object: a thread still running while a destructor runs could call into a
    // half-destroyed object.
    virtual void StopThreads();
    // The device was unplugged: its threads stop before its interfaces close.
    virtual void DeviceRemoved() {
        work_.Stop();
        StopLightingThread();
    }
    // Stops a running lighting thread first.
    void StartLightingThread();
    void StopLightingThread();
    bool lightingThreadRunning() const { return lightingThread_.IsRunning(); }
    // Called on the event thread when the device asks to be read again (code 0x401): the
    // device list entry starts its timer 1002 from here (through the UI thread's loop).
    void SetSyncRequestHandler(std::function<void()> handler);

    // Frame presentation at rest: once the frame is shown and sent, its presenter may park
    // (stop looking) until something new is there to present. The wake handler is called,
    // on any thread, when that happens.
    void SetFrameWakeHandler(std::function<void()> handler);
    // Called on the UI thread when the device's values changed and its page's panels should
    // show them again (panels the device layer does not know).
    void SetPageRefreshHandler(std::function<void()> handler) { pageRefresh_ = std::move(handler); }
    // Whether the last PresentFrame left nothing to do (UI thread).
    bool FrameSettled() const;
    // Parks the presentation; false when the frame moved on meanwhile (UI thread).
    bool ParkFrame();

  protected:
    // Whether the drawing follows the frame now: while the page is shown (the keyboard's,
    // only while its window is also active or under the pointer).
    virtual bool PageWatched() const { return IsVisible(); }
    // The frame on the light buttons of a shown page (the part of PresentFrame that does not
    // reach the device); false when there was nothing new to show, or the lighting-control
    // flag is 0.
    bool ShowFrameOnPage();
    // PresentFrame for a device that takes no colour stream: the page only.
    void PresentOnPageOnly();
    // Commands 0xAA and 0x1A on the device's work thread: the link and the status bytes, then
    // (delivered) shown by the power control and posted to the window (kStatusMessage). A poll
    // is not asked again while the last one has not come back.
    void PollCommandStatus();
    using CommandStatus = std::array<uint8_t, 6>;
    void ShowCommandStatus(const CommandStatus& status);
    // When `outdated`: says `line`, reads the profile again and shows it; false otherwise.
    bool ReloadProfileWhen(bool outdated, const char* line);
    // The page's panels show the device's values again (see SetPageRefreshHandler).
    void PageRefreshed() {
        if (pageRefresh_) {
            pageRefresh_();
        }
    }
    // Whether the device has the frame the page shows (false after a new link).
    bool frameSent() const { return frameSent_; }
    void SetFrameSent(bool sent) { frameSent_ = sent; }
    // The frame to the device (the work thread): the colour stream in the base.
    virtual void SendFrame();

    // The kind of page for the profile panel: 1 keyboard, 2 mouse, 3 mouse pad, 7 headset;
    // 0 (no panel set up) in the base.
    virtual int PageKind() const { return 0; }
    // 1 only when the channel is connected, the device is on its receiver and the receiver
    // reaches it (the link check answers).
    int ReceiverLinkPresent();
    // What the lighting thread steps, from the profile (the device classes know it).
    virtual int CurrentLightingMode() const { return kModeStatic; }
    virtual devices::EffectSettings CurrentEffect() const { return {}; }
    // The device classes' own modes, their sequence player, and their per-light effects.
    virtual void StepMode0() {}
    virtual void StepMode6() {}
    virtual void StepMode7() {}
    virtual void PlaySequence() {}
    virtual void UpdatePerLightEffects() {}
    // The lighting thread's body: it steps the profile's effect until `stop`.
    virtual void RunLighting(platform::Event& stop);
    // An event report's code, on the event thread; the base asks for a read on 0x401.
    virtual void OnDeviceEvent(uint16_t code);
    // The debug line the event thread ends with.
    virtual const char* EventThreadEndLine() const { return "MS设备同步线程设定退出"; }

    devices::LightingFrame frame_;
    // Pressed keys and the ring (the keyboard's lighting keeps them under its own lock).
    devices::ReactiveKeys reactive_;

  private:
    // The device has not seen the frame (a new link, the lighting flag back on): present it.
    void FrameOutdated();
    void WakeFrame();
    void RunEvents(platform::Event& stop);
    void StepForMode(int mode);

    hid::CommandChannel channel_;
    hid::CommandChannel eventChannel_;
    devices::DeviceWork work_;
    std::atomic<bool> statusPending_{false};
    std::string pagePath_;
    std::string name_;
    std::string lightControlName_ = "korva_light";
    CSelectPanelUI* selectPanel_ = nullptr;
    CDeviceProfileUI* profilePanel_ = nullptr;
    std::vector<CDeviceKeyButtonUI*> keyButtons_;
    std::vector<CDeviceKeyButtonUI*> lightButtons_;
    size_t keyCount_ = 0;
    size_t lightCount_ = 0;
    bool hasBattery_ = false;
    int templateRow_ = -1;
    uintptr_t mainWindow_ = 0;
    std::string windowText3_;
    ui::CControlUI* entry_ = nullptr;
    int entryIndex_ = -1;
    CMpDevicePowerUI* power_ = nullptr;
    std::atomic<bool> syncOption_{false};
    std::atomic<uint32_t> syncFrame_{0};
    std::atomic<bool> lightingSuspended_{false};
    std::atomic<int> readsAfterConnect_{0};
    std::atomic<uint16_t> firmwareVersion_{0};
    hid::SupportedDeviceRecord identity_;
    std::atomic<bool> receiver_{false};  // set on the UI thread, read by the work thread too
    bool windowState_ = false;
    std::atomic<bool> lightingControl_{true};  // set on the UI thread, read by the lighting thread
    int kindIndex_ = 0;
    int gameMode_ = -1;
    int functionType_ = 1;
    uint64_t streamHeldUntilMs_ = 0;  // the work thread's
    // What PresentFrame last did (UI thread only).
    uint64_t presentedGeneration_ = 0;
    bool presentedOnPage_ = false;
    std::atomic<bool> frameSent_{false};  // set by the work thread, reset on a new link

    std::mutex effectLock_;
    devices::LightingEffects effects_;  // under effectLock_
    std::mutex syncMutex_;
    std::function<void()> syncRequested_;  // under syncMutex_
    std::function<void()> frameWake_;      // under syncMutex_
    std::function<void()> pageRefresh_;    // UI thread
    platform::WorkerThread lightingThread_;
    platform::WorkerThread eventThread_;
};

}  // namespace marlo::pages
