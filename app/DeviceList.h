#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hid/DeviceSlots.h"

namespace marlo::ui {
class CPaintManagerUI;
class IDialogBuilderCallback;
class CTabLayoutUI;
class CContainerUI;
}  // namespace marlo::ui

namespace marlo::pages {
class CZentrixUSBDevice;
class CMpDevicePowerUI;
}  // namespace marlo::pages

namespace marlo::panels {
class CDeviceOptionUI;
}

namespace marlo::app {

// The main window's side of discovery: turns "device attached" and "device detached" into
// device objects (each at once the device's page), their entries in the device list and
// their power controls; connects and disconnects their command channels, hands event
// collections to them, moves a keyboard or mouse between its cable and its receiver, and
// keeps the entries' visibility and selection consistent.
//
// UI thread only, except `Devices`, which hands another thread a copy of one kind's list.
class CDeviceList {
  public:
    // The kinds, in the order of the templates.
    enum Kind : int { kMouse = 0, kKeyboard = 1, kMousePad = 2, kHeadset = 3 };
    static constexpr int kKinds = 4;

    // What the list asks of its window.
    struct Host {
        std::function<void()> bringToFront;
        // Whether more than one entry is visible.
        std::function<void(bool)> manyEntriesVisible;
        // Ends any editing in progress on a page that is about to be hidden.
        std::function<void(pages::CZentrixUSBDevice*)> endEditing;
        // Called on the device's event thread when it asks to be read again.
        std::function<void(int entryIndex)> syncRequested;
        // Called on a device's work thread when results of its work wait for the UI thread.
        std::function<void(int entryIndex)> workDone;
        // Called on any thread when a resting frame timer must run again.
        std::function<void(int entryIndex)> frameWake;
        // Called on the UI thread when a device's lighting may have changed (read, edited,
        // gone).
        std::function<void()> lightingChanged;
        uintptr_t windowHandle = 0;
    };

    CDeviceList(ui::CPaintManagerUI& manager, ui::IDialogBuilderCallback* builderCallback,
                hid::DeviceSlots& slots, Host host);
    ~CDeviceList();
    CDeviceList(const CDeviceList&) = delete;
    // Every device's threads, before the window's control tree (and the devices with it) goes.
    void StopDeviceThreads();
    // Every connected device takes part in synchronised lighting, its entry marked so.
    void TakePartInSync();
    CDeviceList& operator=(const CDeviceList&) = delete;

    // At the window's start: the mouse and the keyboard objects (the mouse pad and the
    // headset are made on their first arrival).
    void CreateInitialDevices();
    // Builds the power control, entry and page of one device for a slot's row; 1, or 0 when a
    // file cannot be built or no template matches.
    int CreateDevice(size_t row, uint16_t role);

    void OnDeviceAttached(size_t slot);
    void OnDeviceDetached(size_t slot);
    // The page's macro panel and key assignment panel, when it has them: their device, folder,
    // window and macro names.
    void SetUpKeyPanel(pages::CZentrixUSBDevice& device);

    void ShowEntry(int index, bool visible, bool select);
    void HideEntry(int index);
    struct Visible {
        bool found = false;
        int index = -1;
        int count = 0;
    };
    Visible FirstVisibleEntry();
    // The entry selected now, its device, and the entry at an index (nothing when none).
    int SelectedEntry();
    pages::CZentrixUSBDevice* CurrentDevice();
    panels::CDeviceOptionUI* Entry(int index);
    int EntryCount();
    // Selects the visible entry before (-1) or after (+1) the selected one, wrapping round.
    void SelectNeighbour(int step);
    // Whether any device is connected.
    bool AnyConnected() const;

    // A copy of one kind's list, for threads other than the UI thread.
    std::vector<pages::CZentrixUSBDevice*> Devices(Kind kind) const;
    // Every device whose folder holds one of `files` (written by anyone) reads and shows its
    // profile again when another program changed it.
    void ReloadChangedProfiles(const std::vector<std::filesystem::path>& files);

  private:
    struct Found {
        pages::CZentrixUSBDevice* device = nullptr;
        panels::CDeviceOptionUI* entry = nullptr;
    };
    std::optional<size_t> FindRow(const hid::SupportedDeviceRecord& like, uint16_t role) const;
    // The record a slot is represented by: a receiver slot with a partner by its partner's.
    hid::SupportedDeviceRecord RepresentedBy(size_t slot) const;
    Found FindDevice(const hid::SupportedDeviceRecord& identity);
    Found FindByEntryIdentity(size_t slot);
    bool PartnerTest(size_t slot) const;
    void ConnectCommand(size_t slot);
    void ConnectEvents(size_t slot);
    void SwitchTransport(size_t slot);
    void Disconnect(size_t slot);
    void LogArrivalOrRemoval(uint16_t productCode, bool arrival) const;
    void CountVisible();
    ui::CContainerUI* EntryLayout();
    ui::CTabLayoutUI* Tab(const char* name);

    ui::CPaintManagerUI& manager_;
    ui::IDialogBuilderCallback* builderCallback_;
    hid::DeviceSlots& slots_;
    Host host_;
    mutable std::mutex listsMutex_;
    std::array<std::vector<pages::CZentrixUSBDevice*>, kKinds> lists_;  // under listsMutex_
    std::vector<pages::CMpDevicePowerUI*> powerControls_;
};

}  // namespace marlo::app
