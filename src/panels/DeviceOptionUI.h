#pragma once

#include <cstdint>
#include <string>

#include "ui/ContainerUI.h"

namespace marlo::ui {
class COptionUI;
}

namespace marlo::pages {
class CZentrixUSBDevice;
class CSelectPanelUI;
}  // namespace marlo::pages

namespace marlo::panels {

// One entry of the device list: the icon button that selects the device's page, the
// synchronisation mark and the device's name. Its timers drive the device: reading it once it
// is connected (1001), presenting the lighting frame (1000), reading it again when it asks
// (1002), the status poll (1005) and the receiver's link watch (1007).
class CDeviceOptionUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr uint32_t kTimerFrame = 1000;
    static constexpr uint32_t kTimerConnect = 1001;
    static constexpr uint32_t kTimerRefresh = 1002;
    static constexpr uint32_t kTimerStatus = 1005;
    static constexpr uint32_t kTimerLinkWatch = 1007;
    // To the main window: wParam the entry's index, lParam 1 show it, 0 hide it.
    static constexpr uint32_t kEntryMessage = 0xD03;
    static constexpr int kRetryWrap = 20;
    // Frame ticks with nothing new before the frame timer rests until the frame changes.
    static constexpr int kSettleTicks = 2;

    CDeviceOptionUI();

    std::string_view GetClass() const override { return "DeviceOption"; }
    bool Activate() override;
    // Its own timers; they go no further.
    bool DoTimer(uint32_t id) override;

    void SetSynchroMark(bool on);
    bool IsSynchroMarked() const;
    void Select(bool on);
    bool IsSelected() const;
    void SetIcons(int type, int subType);
    int iconType() const { return type_; }
    int iconSubType() const { return subType_; }
    // The normal and the selected image of the icon button now.
    const std::string& normalImage() const { return normal_; }
    const std::string& selectedImage() const { return selected_; }
    void BindTab(const std::string& tabName, int index);
    const std::string& boundTab() const { return tabName_; }
    int boundIndex() const { return tabIndex_; }
    void SetPowerTab(const std::string& name, int index);
    const std::string& powerTab() const { return powerTab_; }
    int powerIndex() const { return powerIndex_; }
    void SetGroup(const std::string& group);
    void SetName(const std::string& text);
    void SetVisible(bool visible) override;
    bool IsVisibleFlag() const { return visibleFlag_; }
    void LinkDevice(pages::CZentrixUSBDevice* device, int entryIndex);
    void LinkSelectPanel(pages::CSelectPanelUI* panel) { selectPanel_ = panel; }
    pages::CZentrixUSBDevice* GetDevice() const { return device_; }
    int retries() const { return retries_; }

    // The device's frame changed (or must be presented again) while the frame timer rested.
    void WakeFrame();
    bool frameTimerResting() const { return resting_; }

    void StartConnect();
    void StartLinkPoll(uint32_t ms);
    // Starts one of this entry's timers (they are one-shot: each handler stops its own).
    void StartTimer(uint32_t id, uint32_t ms);

  private:
    ui::COptionUI* SelectButton();
    ui::COptionUI* SynchroButton();
    void SendEntryMessage(bool show);
    void OnConnect();
    // The device answered (behind its receiver: whether the receiver reaches it) or not.
    void OnConnectAnswer(bool present);
    // The device is read and its timers start.
    void Connected();
    void OnFrame();
    void StopFrameTimer();
    void OnLinkWatch();
    void OnLinkAnswer(bool present);

    std::string synchroSelected_;
    std::string synchroNormal_;
    std::string selected_;
    std::string normal_;
    int type_ = 0;
    int subType_ = 0;
    // Looked up on first use; they live as long as the entry.
    ui::COptionUI* selectButton_ = nullptr;
    ui::COptionUI* synchroButton_ = nullptr;
    pages::CZentrixUSBDevice* device_ = nullptr;
    pages::CSelectPanelUI* selectPanel_ = nullptr;
    int entryIndex_ = -1;
    std::string tabName_;
    int tabIndex_ = -1;
    std::string powerTab_;
    int powerIndex_ = -1;
    bool visibleFlag_ = true;
    int retries_ = 0;
    uint32_t framePeriodMs_ = 0;
    int settledTicks_ = 0;
    bool resting_ = false;
    uint64_t drawnGeneration_ = ~uint64_t{0};  // the frame the picture was last redrawn for  // the
                                               // frame timer's period while it runs, else 0
};

}  // namespace marlo::panels
