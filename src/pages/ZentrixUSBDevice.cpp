#include "pages/ZentrixUSBDevice.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

#include "devices/KeyboardMacroImage.h"
#include "devices/ThreadStop.h"
#include "pages/DeviceKeyButtonUI.h"
#include "pages/DeviceProfileUI.h"
#include "pages/MpDevicePowerUI.h"
#include "pages/SelectPanelUI.h"
#include "platform/DebugOutput.h"
#include "platform/Paths.h"
#include "profiles/BasicProfiledata.h"
#include "profiles/ProfileList.h"
#include "ui/PaintManagerUI.h"
#include "ui/TabLayoutUI.h"
#include "ui/WindowWnd.h"

namespace marlo::pages {

using platform::DebugOutput;

namespace {

// "key_12" → 12 for the prefix "key_"; nothing for another name.
std::optional<size_t> IndexAfter(std::string_view name, std::string_view prefix) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) {
        return std::nullopt;
    }
    size_t index = 0;
    const char* begin = name.data() + prefix.size();
    const auto [end, ec] = std::from_chars(begin, name.data() + name.size(), index);
    if (ec != std::errc() || end != name.data() + name.size()) {
        return std::nullopt;
    }
    return index;
}

uint32_t Rgb24(const devices::LightEntry& e) {
    return (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
}

// How often the event thread looks at its stop event while it waits for a report.
constexpr uint32_t kEventReadSliceMs = 100;
// How long reports gather before the event thread takes them together.
constexpr uint32_t kEventGatherMs = 20;

}  // namespace

CZentrixUSBDevice::CZentrixUSBDevice() = default;

CZentrixUSBDevice::~CZentrixUSBDevice() {
    StopThreads();  // normally done by the owner already
    channel_.SetConnected(false);
}

void CZentrixUSBDevice::StopThreads() {
    // A device that does not answer must not hold the end: its work is cut short.
    channel_.Abort();
    work_.Stop();
    StopLightingThread();
    CloseEventInterface();
}

void CZentrixUSBDevice::BuildPage() {
    keyButtons_.assign(keyCount_, nullptr);
    lightButtons_.assign(lightCount_, nullptr);
    selectPanel_ = nullptr;
    profilePanel_ = nullptr;
    if (PageKind() > 0) {
        FindControl([this](ui::CControlUI* c) {
            profilePanel_ = dynamic_cast<CDeviceProfileUI*>(c);
            return profilePanel_ != nullptr;
        });
    }
    if (profilePanel_ != nullptr) {
        profilePanel_->SetPageKind(PageKind());
        profilePanel_->SetPaths(UserDataFolder(), DefaultProfilePath());
        profilePanel_->LoadProfileList();
        profilePanel_->SelectOptionTab(1);
    }
    if (pagePath_.empty()) {
        keyCount_ = 0;
        SetLightCount(0);
        keyButtons_.clear();
        lightButtons_.clear();
        return;
    }
    FindControl([this](ui::CControlUI* c) {
        if (selectPanel_ == nullptr) {
            selectPanel_ = dynamic_cast<CSelectPanelUI*>(c);
        }
        return false;  // visit everything: only the first panel is kept
    });
    if (selectPanel_ == nullptr) {
        return;
    }
    // The buttons may sit in rows inside the panel: every descendant is looked at.
    selectPanel_->FindControl([this](ui::CControlUI* c) {
        auto* button = dynamic_cast<CDeviceKeyButtonUI*>(c);
        if (button == nullptr) {
            return false;
        }
        // A key is named "key_<n>"; a light is named, or has as its user data, "light_<n>"
        // (a key that is also a light carries both).
        const std::string& name = button->GetName();
        if (const auto n = IndexAfter(name, "key_"); n && *n < keyCount_) {
            keyButtons_[*n] = button;
        }
        auto light = IndexAfter(name, "light_");
        if (!light) {
            light = IndexAfter(button->GetUserData(), "light_");
        }
        if (light && *light < lightCount_) {
            lightButtons_[*light] = button;
            button->SetLight(0xFFFFFF, 255);
            button->SetVisible(true);
        }
        return false;
    });
}

std::string CZentrixUSBDevice::profileStem() const {
    return profilePanel_ != nullptr ? profilePanel_->GetSelectedUUID() : std::string();
}

void CZentrixUSBDevice::SetHasBattery(bool hasBattery) {
    hasBattery_ = hasBattery;
    if (power_ != nullptr) {
        power_->SetHasBattery(hasBattery);
    }
}

void CZentrixUSBDevice::LinkPowerControl(CMpDevicePowerUI* power) {
    power_ = power;
    if (power_ != nullptr) {
        power_->SetHasBattery(hasBattery_);
    }
}

int CZentrixUSBDevice::ReceiverLinkPresent() {
    if (!channel_.connected() || !receiver_) {
        return 0;
    }
    return channel_.CheckLink() == 1 ? 1 : 0;
}

void CZentrixUSBDevice::ReadAfterConnect() {
    ++readsAfterConnect_;
    DebugOutput::Printf("device read: %s", name_.c_str());
    FrameOutdated();  // a device (re)connected has not seen the frame yet
    ReadFromDevice();
}

bool CZentrixUSBDevice::ReadFirmwareVersion() {
    std::array<uint8_t, 32> info{};
    uint16_t version = 0;
    if (channel_.ReadInfo(info, &version) != 1) {
        return false;
    }
    firmwareVersion_ = version;
    return true;
}

void CZentrixUSBDevice::SetLightCount(size_t count) {
    lightCount_ = count;
    lightButtons_.resize(count, nullptr);
    frame_.SetLightCount(count);  // clears the frame and the effect records, always
}

CDeviceKeyButtonUI* CZentrixUSBDevice::KeyButton(size_t index) const {
    return index < keyButtons_.size() ? keyButtons_[index] : nullptr;
}

CDeviceKeyButtonUI* CZentrixUSBDevice::LightButton(size_t index) const {
    return index < lightButtons_.size() ? lightButtons_[index] : nullptr;
}

void CZentrixUSBDevice::StepBreathing() {
    std::lock_guard lock(effectLock_);
    effects_.StepBreathing(frame_, CurrentEffect());
}

void CZentrixUSBDevice::StepBreathingFourColours() {
    std::lock_guard lock(effectLock_);
    effects_.StepBreathingFourColours(frame_, CurrentEffect());
}

void CZentrixUSBDevice::StepStatic() {
    devices::LightingEffects::StepStatic(frame_, CurrentEffect());
}

void CZentrixUSBDevice::StepColourCycle() {
    std::lock_guard lock(effectLock_);
    effects_.StepColourCycle(frame_, CurrentEffect());
}

void CZentrixUSBDevice::StepBlink() {
    std::lock_guard lock(effectLock_);
    effects_.StepBlink(frame_, CurrentEffect(), platform::MonotonicMs());
}

void CZentrixUSBDevice::StepBlinkFourColours() {
    std::lock_guard lock(effectLock_);
    effects_.StepBlinkFourColours(frame_, CurrentEffect(), platform::MonotonicMs());
}

void CZentrixUSBDevice::StepOff() {
    devices::LightingEffects::StepOff(frame_);
}

bool CZentrixUSBDevice::SetLight(size_t index, const devices::LightEntry& entry) {
    return frame_.SetLight(index, entry);
}

devices::LightEntry CZentrixUSBDevice::GetLight(size_t index) const {
    return frame_.GetLight(index);
}

bool CZentrixUSBDevice::ShowFrameOnPage() {
    if (!lightingControl_) {
        return false;
    }
    // Called every 5 ms: a frame already shown costs nothing more; a drawing nobody watches
    // rests and catches up when it is watched again.
    const uint64_t generation = frame_.generation();
    const bool pageShown = PageWatched();
    if (generation == presentedGeneration_ && pageShown == presentedOnPage_) {
        return false;
    }
    presentedGeneration_ = generation;
    presentedOnPage_ = pageShown;
    const std::vector<devices::LightEntry> entries = frame_.Snapshot();
    for (size_t i = 0; pageShown && i < entries.size() && i < lightButtons_.size(); ++i) {
        CDeviceKeyButtonUI* button = lightButtons_[i];
        if (button != nullptr) {
            button->SetLight(Rgb24(entries[i]), entries[i].level);
        }
    }
    return true;
}

void CZentrixUSBDevice::PresentOnPageOnly() {
    ShowFrameOnPage();
    frameSent_ = true;
}

void CZentrixUSBDevice::PresentFrame() {
    if (!lightingControl_) {
        return;
    }
    if (!ShowFrameOnPage() && frameSent_) {
        return;  // nothing new, and the device has it
    }
    if (receiver_) {
        frameSent_ = true;
        return;  // behind the receiver the page shows the frame; nothing is sent
    }
    // On the device's own thread; a frame waiting there already sends the newest.
    work_.Post([this] { SendFrame(); }, {}, "frame");
}

void CZentrixUSBDevice::SendFrame() {
    // A frame that did not reach the device holds the next ones back for a moment.
    const uint64_t now = platform::MonotonicMs();
    if (now < streamHeldUntilMs_) {
        frameSent_ = false;
        return;
    }
    frameSent_ = channel_.StreamLighting(frame_.StreamBytes()) == hid::kResultOk;
    if (!frameSent_) {
        streamHeldUntilMs_ = now + kStreamHoldOffMs;
    }
}

void CZentrixUSBDevice::FadeKey(size_t index, int mode) {
    reactive_.Fade(index, mode);
}

void CZentrixUSBDevice::LightReactiveKeys() {
    reactive_.LightFromRing();
}

void CZentrixUSBDevice::RotateRing(bool up) {
    reactive_.Rotate(up);
}

void CZentrixUSBDevice::ClearReactive() {
    reactive_.Clear();
}

void CZentrixUSBDevice::SelectFunctionTab(int type) {
    functionType_ = type;
    auto* functions = dynamic_cast<ui::CTabLayoutUI*>(FindSubControl("device_function_switch"));
    auto* keys = dynamic_cast<ui::CTabLayoutUI*>(FindSubControl("device_key_function_switch"));
    auto keyPage = [&](int page) {
        if (functions != nullptr) {
            functions->SelectItem(0);
        }
        if (keys != nullptr) {
            keys->SelectItem(page);
        }
    };
    auto functionPage = [&](int page) {
        if (functions != nullptr) {
            functions->SelectItem(page);
        }
    };
    switch (type) {
        case 2:
        case 6:
            keyPage(1);
            break;
        case 3:
        case 8:
            functionPage(1);
            break;
        case 5:
            functionPage(2);
            break;
        case 4:
            if (productCode() == 1 || productCode() == 2) {
                functionPage(3);
            } else {
                keyPage(2);
            }
            break;
        case 7:
            keyPage(2);
            break;
        default:
            keyPage(0);
            break;
    }
}

void CZentrixUSBDevice::SetIdentity(const hid::SupportedDeviceRecord& record) {
    identity_ = record;
}

void CZentrixUSBDevice::SetLightingControl(bool on) {
    lightingControl_ = on;
    FrameOutdated();
    if (on && productCode() == 1) {
        work_.Post([this] { channel_.LightingControl(); });
    }
}

bool CZentrixUSBDevice::ReloadProfileWhen(bool outdated, const char* line) {
    if (!outdated) {
        return false;
    }
    DebugOutput::Write(line);
    LoadProfile();
    RefreshPage();
    return true;
}

void CZentrixUSBDevice::CheckPresence(std::function<void(bool present)> answer) {
    auto present = std::make_shared<bool>(false);
    work_.Post([this, present] { *present = IsPresent() == 1; },
               [present, answer = std::move(answer)] {
                   if (answer) {
                       answer(*present);
                   }
               },
               "presence");
}

std::filesystem::path CZentrixUSBDevice::DefaultProfilePath() const {
    return platform::Paths::DefaultDataDir() / (name_ + ".Json");
}

std::filesystem::path CZentrixUSBDevice::UserDataFolder() const {
    return platform::Paths::UserDataFolder(name_);
}

bool CZentrixUSBDevice::OpenEventInterface(const std::string& path) {
    if (!eventChannel_.connected()) {
        if (!eventChannel_.OpenInterface(hid::CommandChannel::Path::kCable, path)) {
            return false;
        }
        eventChannel_.SetConnected(true);
    }
    if (!eventThread_.IsRunning()) {
        eventThread_.Start([this](platform::Event& stop) { RunEvents(stop); });
    }
    return true;
}

void CZentrixUSBDevice::CloseEventInterface() {
    if (!eventChannel_.connected() && !eventThread_.IsRunning()) {
        return;
    }
    devices::StopDeviceThread(eventThread_);
    eventChannel_.SetConnected(false);
    eventChannel_.CloseInterface(hid::CommandChannel::Path::kCable);
}

void CZentrixUSBDevice::StartLightingThread() {
    StopLightingThread();
    lightingThread_.Start([this](platform::Event& stop) { RunLighting(stop); });
}

void CZentrixUSBDevice::StopLightingThread() {
    if (lightingThread_.IsRunning()) {
        devices::StopDeviceThread(lightingThread_);
    }
}

void CZentrixUSBDevice::SetFrameWakeHandler(std::function<void()> handler) {
    {
        std::lock_guard lock(syncMutex_);
        frameWake_ = handler;
    }
    frame_.SetChangeHandler([this] { WakeFrame(); });
}

void CZentrixUSBDevice::WakeFrame() {
    std::function<void()> handler;
    {
        std::lock_guard lock(syncMutex_);
        handler = frameWake_;
    }
    if (handler) {
        handler();
    }
}

void CZentrixUSBDevice::FrameOutdated() {
    frameSent_ = false;
    presentedGeneration_ = ~uint64_t{0};
    WakeFrame();
}

bool CZentrixUSBDevice::FrameSettled() const {
    if (!lightingControl_) {
        return true;  // nothing is shown or sent; turning it back on presents the frame
    }
    return presentedGeneration_ == frame_.generation() && presentedOnPage_ == PageWatched() &&
           frameSent_;
}

bool CZentrixUSBDevice::ParkFrame() {
    return frame_.Park(presentedGeneration_);
}

void CZentrixUSBDevice::SetSyncRequestHandler(std::function<void()> handler) {
    std::lock_guard lock(syncMutex_);
    syncRequested_ = std::move(handler);
}

void CZentrixUSBDevice::OnDeviceEvent(uint16_t code) {
    if (code != kSyncRequestCode) {
        return;
    }
    DebugOutput::Write("接收到自动添加设备的同步信息要求");
    std::function<void()> handler;
    {
        std::lock_guard lock(syncMutex_);
        handler = syncRequested_;
    }
    if (handler) {
        handler();
    }
}

void CZentrixUSBDevice::StepForMode(int mode) {
    switch (mode) {
        case kModeOwn0:
            StepMode0();
            break;
        case kModeColourCycle:
            StepColourCycle();
            break;
        case kModeBreathing:
            StepBreathing();
            break;
        case kModeStatic:
            StepStatic();
            break;
        case kModeBlink:
            StepBlink();
            break;
        case kModeOwn6:
            StepMode6();
            break;
        case kModeOwn7:
            StepMode7();
            break;
        case kModeOff:
            StepOff();
            break;
        default:
            PlaySequence();
            break;
    }
}

void CZentrixUSBDevice::RunLighting(platform::Event& stop) {
    int ticks = 0;
    for (;;) {
        if (stop.Wait(1)) {
            DebugOutput::Write("MS灯光线程设定退出");
            return;
        }
        if (!channel_.connected()) {
            stop.Wait(100);
            continue;
        }
        if (channel_.hold()) {
            continue;
        }
        stop.Wait(1);
        ++ticks;
        const int mode = CurrentLightingMode();
        const bool stepped = mode >= kModeOwn0 && mode <= kModeOff && mode != 5;
        if (!stepped) {
            PlaySequence();  // the sequence player runs on every tick
        } else if (ticks >= devices::LightTables::SpeedTicks(CurrentEffect().speed)) {
            ticks = 0;
            StepForMode(mode);
        }
        std::lock_guard lock(effectLock_);
        UpdatePerLightEffects();
    }
}

void CZentrixUSBDevice::RunEvents(platform::Event& stop) {
    hid::HidInterface& events = eventChannel_.cable();
    std::vector<uint8_t> report(64);
    const auto ended = [this] { DebugOutput::Write(EventThreadEndLine()); };
    for (;;) {
        if (stop.Wait(0)) {
            return ended();
        }
        if (!eventChannel_.connected()) {
            stop.Wait(kEventReadSliceMs);
            continue;
        }
        // Every handle of the node gets every report, the answers to this program's commands
        // among them (hundreds a second while lighting streams): once one is there, the thread
        // lets the others gather for a moment and then takes them all, rather than waking for
        // each. The node's queue holds far more than gather meanwhile. The wait goes in slices
        // so that the stop event is seen.
        if (!events.WaitForInput(kEventReadSliceMs)) {
            if (events.lastReadFailure() != hid::HidInterface::Failure::kTimeout &&
                stop.Wait(kEventReadSliceMs)) {
                return ended();
            }
            continue;
        }
        if (stop.Wait(kEventGatherMs)) {
            return ended();
        }
        uint32_t got = 0;
        while (events.Read(report.data(), static_cast<uint32_t>(report.size()), &got, 0) == 1) {
            if (!events.DecodeInput(report.data(), got)) {
                continue;
            }
            const std::vector<hid::HidDataEntry> entries = events.inputEntries();
            if (!entries.empty() && !entries[0].usages.empty()) {
                DebugOutput::Write("接收到自动添加设备的同步信息要求  TEST");
                OnDeviceEvent(entries[0].usages[0]);
            }
        }
    }
}

void CZentrixUSBDevice::PollCommandStatus() {
    if (statusPending_.exchange(true)) {
        return;  // the last poll has not come back: the device is slow, not asked twice
    }
    auto status = std::make_shared<std::optional<CommandStatus>>();
    work_.Post(
        [this, status] {
            if (!channel_.connected() || channel_.CheckLink() != hid::kResultOk) {
                return;
            }
            CommandStatus read{};
            if (channel_.ReadStatus(0, read) == hid::kResultOk) {
                read[3] = channel_.receiverMode() ? 1 : 0;
                *status = read;
            }
        },
        [this, status] {
            statusPending_ = false;
            if (*status) {
                ShowCommandStatus(**status);
            }
        });
}

void CZentrixUSBDevice::ShowCommandStatus(const CommandStatus& status) {
    if (power_ != nullptr) {
        power_->SetStatus(status);
    }
    if (ui::CPaintManagerUI* manager = GetManager(); manager != nullptr && manager->GetWindow()) {
        manager->GetWindow()->PostMessage(kStatusMessage, status[4], 0);
    }
}

std::filesystem::path CZentrixUSBDevice::SelectedProfilePath() const {
    profiles::ProfileList list(UserDataFolder(), DefaultProfilePath(), PageKind());
    list.Load();
    const auto path = list.GetProfilePathAt(list.selected());
    return path.empty() ? DefaultProfilePath() : path;
}

void CZentrixUSBDevice::ForgetMacroInProfiles(int row, const std::filesystem::path& except) {
    profiles::ProfileList list(UserDataFolder(), DefaultProfilePath(), PageKind());
    list.Load();
    profiles::CBasicProfiledata data;
    for (size_t i = 0; i < list.GetProfileCount(); ++i) {
        const std::filesystem::path path = list.GetProfilePathAt(static_cast<int>(i));
        if (path == except) {
            continue;
        }
        data.LoadSecondaryProfile(path);
        std::vector<profiles::KeyListEntry> keys = data.GetSecondaryKeyList();
        if (devices::KeyboardMacroImage::ForgetMacroRow(keys, row)) {
            data.SetSecondaryKeyList(keys);
            data.SaveSecondaryProfile(path);
        }
    }
}

}  // namespace marlo::pages
