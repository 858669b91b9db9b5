#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "devices/DeviceDriver.h"
#include "devices/DeviceModeList.h"
#include "hid/SupportedDevices.h"
#include "ui/ContainerUI.h"
#include "ui/NotifyPump.h"

namespace marlo::pages {

class CSelectPanelUI;
class CDeviceKeyButtonUI;
class CMpDevicePowerUI;
class CDeviceProfileUI;

// The common base of the device pages: a device's page (a horizontal layout of the toolkit)
// that holds its product's driver and shows it. The driver owns the command channel, the event
// interface, the lighting frame and the work, lighting and event threads; the page calls its
// operations and redraws from what they report. It is made once per product kind and outlives
// unplugging: removal only closes the driver's interfaces.
//
// Threads: the UI thread owns the page and never waits on the device: every exchange runs on
// the driver's work thread, whose completions come back to the UI thread (DeliverWork).
class CZentrixUSBDevice : public ui::CHorizontalLayoutUI, public ui::CNotifyPump {
  public:
    // A page of the common driver (the device classes hand their own to the other one).
    CZentrixUSBDevice();
    // Stops the driver's threads (normally done by the owner already).
    ~CZentrixUSBDevice() override;

    std::string_view GetClass() const override { return "ZentrixUSBDevice"; }

    // --- The operations the device list, the entries and the panels call (base behaviour;
    // the device classes fill them in). ---
    // Shows the frame on the light buttons of a shown page and has the driver send it to the
    // device (not through the receiver). Nothing while the lighting-control flag is 0.
    virtual void PresentFrame();
    // The reads after connecting, on the driver's work thread: the firmware version in the
    // base; then the page shows what was read.
    virtual void ReadFromDevice();
    virtual void RefreshFromDevice() {}
    virtual void StatusPoll() {}
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
    using WriteDone = devices::DeviceDriver::WriteDone;
    virtual void ForgetMacro(int row, WriteDone done) {
        ForgetMacroInProfiles(row, {});
        if (done) {
            done(0, false);
        }
    }
    // Switches "device_function_switch" and "device_key_function_switch" for a function type.
    virtual void SelectFunctionTab(int type);
    int GetFunctionType() const { return functionType_; }
    virtual void SaveProfile() {}
    int GetKindIndex() const { return kindIndex_; }
    // Game lighting: a game's event shows `mode` for a while, then the device's own returns.
    virtual void ShowGameLighting(int mode) { gameMode_ = mode; }
    virtual void RestoreOwnLighting() { gameMode_ = -1; }
    int gameMode() const { return gameMode_; }

    // --- Set up once by the device list, then followed by the main window. ---
    // What the device list knows of the page from its template and the supported-device
    // table.
    struct Setup {
        std::string pagePath;  // empty: a page without a drawing (nothing bound)
        std::string name;      // the device's folder and factory profile name
        size_t lightCount = 0;
        size_t keyCount = 0;
        bool hasBattery = false;
        CMpDevicePowerUI* power = nullptr;  // not owned; told the battery flag at once
        hid::SupportedDeviceRecord identity;
        int kindIndex = 0;
    };
    // Takes the setup and binds the page to it (BuildPage).
    void SetUp(const Setup& setup);

    // The page's profile panel (not owned; none when the page has none), and the file stem of
    // the profile it has selected.
    CDeviceProfileUI* profilePanel() const { return profilePanel_; }
    std::string profileStem() const;

    const std::string& pagePath() const { return pagePath_; }
    const std::string& deviceName() const { return name_; }
    size_t lightCount() const { return lightCount_; }
    size_t keyCount() const { return keyCount_; }
    bool hasBattery() const { return hasBattery_; }
    // The supported-device row the device is reached by now (another row of the same product
    // when it moves between its cable and its receiver).
    void SetIdentity(const hid::SupportedDeviceRecord& record) { driver_->SetIdentity(record); }
    uint16_t productCode() const { return driver_->productCode(); }
    void SetReceiver(bool viaReceiver) {
        FrameOutdated();
        driver_->SetReceiver(viaReceiver);
    }
    bool receiver() const { return driver_->receiver(); }
    // The main window is active or under the pointer: the drawing follows the frame only then.
    void SetWindowState(bool activeOrHovered) {
        if (activeOrHovered != windowState_) {
            windowState_ = activeOrHovered;
            driver_->SetWatched(PageWatched());
            driver_->WakeFrame();
        }
    }
    // Shown or hidden (its tab chosen or left): the driver hears whether it is watched.
    void SetVisible(bool visible) override;
    bool windowState() const { return windowState_; }
    // Whether the program shows and sends lighting (see DeviceDriver::SetLightingControl).
    void SetLightingControl(bool on) {
        FrameOutdated();
        driver_->SetLightingControl(on);
    }
    bool lightingControl() const { return driver_->lightingControl(); }

    // The device list entry that shows this device (not owned), and its index in the list.
    void LinkEntry(ui::CControlUI* entry, int index) {
        entry_ = entry;
        entryIndex_ = index;
    }
    ui::CControlUI* entry() const { return entry_; }
    int entryIndex() const { return entryIndex_; }
    CMpDevicePowerUI* powerControl() const { return power_; }
    // Whether the device is there (IsPresent), asked on its work thread; `answer` hears it
    // on the UI thread.
    void CheckPresence(std::function<void(bool present)> answer);
    // Connected: the command channel is open and the device answers through it.
    bool IsConnected() const { return driver_->connected(); }
    // The device list entry's read once the device is connected (and, behind a receiver,
    // linked): counts the reads, then ReadFromDevice.
    void ReadAfterConnect();
    int readsAfterConnect() const { return readsAfterConnect_; }

    // The product's driver: its channel, threads, frame and what it knows.
    devices::DeviceDriver& deviceDriver() { return *driver_; }
    const devices::DeviceDriver& deviceDriver() const { return *driver_; }
    hid::CommandChannel& channel() { return driver_->channel(); }
    const devices::LightingFrame& frame() const { return driver_->frame(); }
    CSelectPanelUI* selectPanel() const { return selectPanel_; }
    CDeviceKeyButtonUI* KeyButton(size_t index) const;
    CDeviceKeyButtonUI* LightButton(size_t index) const;

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

    // --- The driver's thread for its exchanges (see DeviceWork). ---
    // Called on the work thread when finished work waits to be delivered: the owner posts
    // itself a message and calls DeliverWork on the UI thread. Without it, work runs at once.
    void SetWorkDeliveryHandler(std::function<void()> handler) {
        work().SetDeliveryHandler(std::move(handler));
    }
    // The completions of the device's finished work (UI thread).
    size_t DeliverWork() { return work().DeliverDone(); }
    devices::DeviceWork& work() { return driver_->work(); }

    // Stops the driver's threads and closes its event interface. The owner calls it before it
    // destroys the object: a thread still running while a destructor runs could call into a
    // half-destroyed object.
    void StopThreads() { driver_->Stop(); }
    // The device was unplugged: its threads stop before its interfaces close.
    void DeviceRemoved() { driver_->Removed(); }

    // Frame presentation at rest: once the frame is shown and sent, its presenter may park
    // (stop looking) until something new is there to present. The wake handler is called,
    // on any thread, when that happens.
    void SetFrameWakeHandler(std::function<void()> handler) {
        driver_->SetFrameWakeHandler(std::move(handler));
    }
    // Called on the UI thread when the device's values changed and its page's panels should
    // show them again (panels the device layer does not know).
    void SetPageRefreshHandler(std::function<void()> handler) { pageRefresh_ = std::move(handler); }
    // Whether the last PresentFrame left nothing to do (UI thread).
    bool FrameSettled() const;
    // Parks the presentation; false when the frame moved on meanwhile (UI thread).
    bool ParkFrame();

  protected:
    // A page of the product's own driver.
    explicit CZentrixUSBDevice(std::unique_ptr<devices::DeviceDriver> driver);

    // Whether the drawing follows the frame now: while the page is shown (the keyboard's,
    // only while its window is also active or under the pointer).
    virtual bool PageWatched() const { return IsVisible(); }
    // The frame on the light buttons of a shown page (the part of PresentFrame that does not
    // reach the device); false when there was nothing new to show, or the lighting-control
    // flag is 0.
    bool ShowFrameOnPage();
    // The link and the status bytes, read on the driver's thread, then shown by the power
    // control and posted to the window (kStatusMessage).
    void PollCommandStatus();
    void ShowCommandStatus(const devices::DeviceDriver::CommandStatus& status);
    // When `outdated`: says `line`, reads the profile again and shows it; false otherwise.
    bool ReloadProfileWhen(bool outdated, const char* line);
    // The page's panels show the device's values again (see SetPageRefreshHandler).
    void PageRefreshed() {
        if (pageRefresh_) {
            pageRefresh_();
        }
    }

    // The kind of page for the profile panel: 1 keyboard, 2 mouse, 3 mouse pad, 7 headset;
    // 0 (no panel set up) in the base.
    virtual int PageKind() const { return 0; }

    // The device classes' own name for their folder and factory profile.
    void SetDeviceName(std::string name) { name_ = std::move(name); }

  private:
    // Binds the select panel, the key buttons ("key_<n>", n below the key count) and the light
    // buttons ("light_<n>", n below the light count; shown white at level 255).
    void BuildPage();
    // The light buttons and the frame (cleared, with its effect records).
    void SetLightCount(size_t count);
    // The page shows the frame again, whatever it showed.
    void FrameOutdated() { presentedGeneration_ = ~uint64_t{0}; }

    std::unique_ptr<devices::DeviceDriver> driver_;
    std::string pagePath_;
    std::string name_;
    CSelectPanelUI* selectPanel_ = nullptr;
    CDeviceProfileUI* profilePanel_ = nullptr;
    std::vector<CDeviceKeyButtonUI*> keyButtons_;
    std::vector<CDeviceKeyButtonUI*> lightButtons_;
    size_t keyCount_ = 0;
    size_t lightCount_ = 0;
    bool hasBattery_ = false;
    ui::CControlUI* entry_ = nullptr;
    int entryIndex_ = -1;
    CMpDevicePowerUI* power_ = nullptr;
    std::atomic<int> readsAfterConnect_{0};
    bool windowState_ = false;
    int kindIndex_ = 0;
    int gameMode_ = -1;
    int functionType_ = 1;
    // What PresentFrame last did (UI thread only).
    uint64_t presentedGeneration_ = 0;
    bool presentedOnPage_ = false;
    std::function<void()> pageRefresh_;  // UI thread
};

}  // namespace marlo::pages
