#include "panels/DeviceOptionUI.h"

#include "pages/SelectPanelUI.h"
#include "pages/ZentrixUSBDevice.h"
#include "platform/DebugOutput.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/WindowWnd.h"

namespace marlo::panels {

using platform::DebugOutput;

namespace {

constexpr const char* kIconFolder = "common/device_ico/";

struct IconSet {
    const char* stem;
    const char* nameElement;
};

// The icons and the name element of a device type; nothing for type 3 with an unknown
// sub-type, which keeps what it had.
std::optional<IconSet> IconsFor(int type, int subType) {
    switch (type) {
        case 1:
            return IconSet{"kb_device", "kb_device_name_text"};
        case 2:
            return IconSet{"ms_device", "ms_device_name_text"};
        case 3:
            if (subType == 0) {
                return IconSet{"hard_mp_device", "hard_mp_device_name_text"};
            }
            if (subType == 1) {
                return IconSet{"soft_mp_device", "soft_mp_device_name_text"};
            }
            return std::nullopt;
        case 4:
        case 7:
            return IconSet{"hd_device", "hd_device_name_text"};
        case 5:
            return IconSet{"hub_device", "hub_device_name_text"};
        default:
            return IconSet{"unknow_device", "unknow_device_name_text"};
    }
}

std::string Icon(const char* stem, const char* state) {
    return std::string(kIconFolder) + stem + "_" + state + ".png";
}

}  // namespace

CDeviceOptionUI::CDeviceOptionUI()
    : synchroSelected_(Icon("unknow_device", "synchro_selected")),
      synchroNormal_(Icon("unknow_device", "synchro_normal")),
      selected_(Icon("unknow_device", "selected")),
      normal_(Icon("unknow_device", "normal")) {}

ui::COptionUI* CDeviceOptionUI::SelectButton() {
    if (selectButton_ == nullptr) {
        selectButton_ = dynamic_cast<ui::COptionUI*>(FindSubControl("device_select"));
    }
    return selectButton_;
}

ui::COptionUI* CDeviceOptionUI::SynchroButton() {
    if (synchroButton_ == nullptr) {
        synchroButton_ = dynamic_cast<ui::COptionUI*>(FindSubControl("synchro_device_select"));
    }
    return synchroButton_;
}

bool CDeviceOptionUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) {
        return false;
    }
    SendNotify(ui::notify::kSelectChanged);
    return true;
}

void CDeviceOptionUI::SetSynchroMark(bool on) {
    if (ui::COptionUI* mark = SynchroButton()) {
        mark->Selected(on, false);
    }
    if (ui::COptionUI* button = SelectButton()) {
        button->SetAttribute("normalimage", on ? synchroNormal_ : normal_);
        button->SetAttribute("selectedimage", on ? synchroSelected_ : selected_);
    }
}

bool CDeviceOptionUI::IsSynchroMarked() const {
    auto* self = const_cast<CDeviceOptionUI*>(this);
    const ui::COptionUI* mark = self->SynchroButton();
    return mark != nullptr && mark->IsSelected();
}

void CDeviceOptionUI::Select(bool on) {
    if (ui::COptionUI* button = SelectButton()) {
        button->Selected(on, false);
    }
}

bool CDeviceOptionUI::IsSelected() const {
    const ui::COptionUI* button = const_cast<CDeviceOptionUI*>(this)->SelectButton();
    return button != nullptr && button->IsSelected();
}

void CDeviceOptionUI::SetIcons(int type, int subType) {
    type_ = type;
    subType_ = subType;
    const auto icons = IconsFor(type, subType);
    if (!icons) {
        return;
    }
    normal_ = Icon(icons->stem, "normal");
    selected_ = Icon(icons->stem, "selected");
    synchroNormal_ = Icon(icons->stem, "synchro_normal");
    synchroSelected_ = Icon(icons->stem, "synchro_selected");
    if (ui::COptionUI* button = SelectButton()) {
        button->SetAttribute("normalimage", normal_);
        button->SetAttribute("selectedimage", selected_);
    }
    if (ui::CControlUI* name = FindSubControl(icons->nameElement)) {
        name->SetVisible(true);
    }
}

void CDeviceOptionUI::BindTab(const std::string& tabName, int index) {
    tabName_ = tabName;
    tabIndex_ = index;
}

void CDeviceOptionUI::SetPowerTab(const std::string& name, int index) {
    powerTab_ = name;
    if (index >= 0) {
        powerIndex_ = index;
    }
}

void CDeviceOptionUI::SetGroup(const std::string& group) {
    if (ui::COptionUI* button = SelectButton()) {
        button->SetGroup(group);
    }
}

void CDeviceOptionUI::SetName(const std::string& text) {
    if (ui::CControlUI* name = FindSubControl("device_select_name")) {
        name->SetText(text);
    }
}

void CDeviceOptionUI::SetVisible(bool visible) {
    visibleFlag_ = visible;
    CHorizontalLayoutUI::SetVisible(visible);
}

void CDeviceOptionUI::LinkDevice(pages::CZentrixUSBDevice* device, int entryIndex) {
    device_ = device;
    entryIndex_ = entryIndex;
    if (device_ != nullptr) {
        device_->LinkEntry(this, entryIndex);
    }
}

void CDeviceOptionUI::StartTimer(uint32_t id, uint32_t ms) {
    if (GetManager() != nullptr) {
        GetManager()->SetTimer(this, id, ms);
        if (id == kTimerFrame) {
            framePeriodMs_ = ms;
        }
    }
}

void CDeviceOptionUI::StartConnect() {
    StartTimer(kTimerConnect, 500);
}

void CDeviceOptionUI::StartLinkPoll(uint32_t ms) {
    if (device_ != nullptr && device_->IsConnected()) {
        StartTimer(kTimerLinkWatch, ms);
    }
}

void CDeviceOptionUI::SendEntryMessage(bool show) {
    if (GetManager() != nullptr && GetManager()->GetWindow() != nullptr) {
        GetManager()->GetWindow()->SendMessage(kEntryMessage, static_cast<uintptr_t>(entryIndex_),
                                               show ? 1 : 0);
    }
}

bool CDeviceOptionUI::DoTimer(uint32_t id) {
    // Each timer is one-shot; the frame timer that goes on at the same period is simply left
    // running (OnFrame), as re-making it 200 times a second would cost more than the frame.
    if (GetManager() != nullptr && id != kTimerFrame) {
        GetManager()->KillTimer(this, id);
    }
    if (device_ == nullptr) {
        return true;
    }
    switch (id) {
        case kTimerFrame:
            OnFrame();
            break;
        case kTimerConnect:
            OnConnect();
            break;
        case kTimerRefresh:
            device_->RefreshFromDevice();
            break;
        case kTimerStatus:
            device_->StatusPoll();
            if (device_->hasBattery()) {
                StartTimer(kTimerStatus, 5000);
            }
            break;
        case kTimerLinkWatch:
            OnLinkWatch();
            break;
        default:
            return false;
    }
    return true;
}

void CDeviceOptionUI::OnFrame() {
    device_->PresentFrame();
    const uint64_t generation = device_->frame().generation();
    if (generation != drawnGeneration_ && selectPanel_ != nullptr && IsSelected() &&
        device_->windowState()) {
        drawnGeneration_ = generation;
        selectPanel_->Invalidate();
    }
    if (!device_->IsConnected()) {
        StopFrameTimer();
        return;
    }
    // A frame shown and sent for a while: the timer rests until the frame changes (the
    // device wakes it), so a still frame costs nothing.
    settledTicks_ = device_->FrameSettled() ? settledTicks_ + 1 : 0;
    if (settledTicks_ >= kSettleTicks && device_->ParkFrame()) {
        StopFrameTimer();
        resting_ = true;
        return;
    }
    const uint32_t period = device_->receiver() ? 500 : 5;
    if (period != framePeriodMs_) {
        StartTimer(kTimerFrame, period);
    }
}

void CDeviceOptionUI::WakeFrame() {
    if (resting_ && device_ != nullptr && device_->IsConnected()) {
        resting_ = false;
        settledTicks_ = 0;
        StartTimer(kTimerFrame, device_->receiver() ? 500 : 5);
    }
}

void CDeviceOptionUI::StopFrameTimer() {
    if (GetManager() != nullptr) {
        GetManager()->KillTimer(this, kTimerFrame);
    }
    framePeriodMs_ = 0;
}

void CDeviceOptionUI::OnConnect() {
    if (device_->receiver() && device_->IsConnected()) {
        // Asked on the device's own thread: a receiver whose device is away takes its time.
        device_->CheckPresence([this](bool present) { OnConnectAnswer(present); });
        return;
    }
    Connected();
}

void CDeviceOptionUI::OnConnectAnswer(bool present) {
    if (!present) {
        if (++retries_ >= kRetryWrap) {
            retries_ = 0;
        }
        if (visibleFlag_) {
            SendEntryMessage(false);
        }
        StartTimer(kTimerConnect, 3000);
        return;
    }
    SendEntryMessage(true);
    Connected();
}

void CDeviceOptionUI::Connected() {
    device_->ReadAfterConnect();
    retries_ = 0;
    resting_ = false;
    settledTicks_ = 0;
    StartTimer(kTimerFrame, 5);
    if (device_->hasBattery() && device_->IsConnected()) {
        StartTimer(kTimerStatus, 50);
    }
    if (device_->receiver() && device_->IsConnected()) {
        StartTimer(kTimerLinkWatch, 2000);
    }
}

void CDeviceOptionUI::OnLinkWatch() {
    if (device_->receiver()) {
        device_->CheckPresence([this](bool present) { OnLinkAnswer(present); });
    } else if (device_->IsConnected()) {
        DebugOutput::Write("2.4gcesvdfherhue  12312423");
    }
}

void CDeviceOptionUI::OnLinkAnswer(bool present) {
    if (present) {
        if (!visibleFlag_) {
            SendEntryMessage(true);
            if (device_->hasBattery()) {
                device_->StatusPoll();
            }
            DebugOutput::Write("2.4gcesvdfherhue  12312423 123342341");
        }
    } else if (visibleFlag_) {
        SendEntryMessage(false);
        DebugOutput::Write("2.4gcesvdfherhue");
    }
    if (device_->IsConnected()) {
        StartTimer(kTimerLinkWatch, 3000);
    }
}

}  // namespace marlo::panels
