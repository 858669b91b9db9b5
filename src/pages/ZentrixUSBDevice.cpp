#include "pages/ZentrixUSBDevice.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

#include "devices/KeyboardMacroImage.h"
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

}  // namespace

CZentrixUSBDevice::CZentrixUSBDevice()
    : CZentrixUSBDevice(std::make_unique<devices::DeviceDriver>()) {}

CZentrixUSBDevice::CZentrixUSBDevice(std::unique_ptr<devices::DeviceDriver> driver)
    : driver_(std::move(driver)) {}

CZentrixUSBDevice::~CZentrixUSBDevice() {
    StopThreads();
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

void CZentrixUSBDevice::SetUp(const Setup& setup) {
    pagePath_ = setup.pagePath;
    if (!setup.name.empty()) {
        name_ = setup.name;
    }
    SetLightCount(setup.lightCount);
    keyCount_ = setup.keyCount;
    hasBattery_ = setup.hasBattery;
    power_ = setup.power;
    if (power_ != nullptr) {
        power_->SetHasBattery(hasBattery_);
    }
    driver_->SetIdentity(setup.identity);
    kindIndex_ = setup.kindIndex;
    BuildPage();
}

void CZentrixUSBDevice::ReadAfterConnect() {
    ++readsAfterConnect_;
    DebugOutput::Printf("device read: %s", name_.c_str());
    FrameOutdated();  // a device (re)connected has not seen the frame yet
    driver_->FrameOutdated();
    ReadFromDevice();
}

void CZentrixUSBDevice::ReadFromDevice() {
    work().Post([this] { driver_->ReadFirmwareVersion(); });
}

void CZentrixUSBDevice::SetLightCount(size_t count) {
    lightCount_ = count;
    lightButtons_.resize(count, nullptr);
    driver_->frame().SetLightCount(count);  // clears the frame and the effect records, always
}

CDeviceKeyButtonUI* CZentrixUSBDevice::KeyButton(size_t index) const {
    return index < keyButtons_.size() ? keyButtons_[index] : nullptr;
}

CDeviceKeyButtonUI* CZentrixUSBDevice::LightButton(size_t index) const {
    return index < lightButtons_.size() ? lightButtons_[index] : nullptr;
}

bool CZentrixUSBDevice::ShowFrameOnPage() {
    if (!lightingControl()) {
        return false;
    }
    // Called every 5 ms: a frame already shown costs nothing more; a drawing nobody watches
    // rests and catches up when it is watched again.
    const uint64_t generation = frame().generation();
    const bool pageShown = PageWatched();
    if (generation == presentedGeneration_ && pageShown == presentedOnPage_) {
        return false;
    }
    presentedGeneration_ = generation;
    presentedOnPage_ = pageShown;
    const std::vector<devices::LightEntry> entries = frame().Snapshot();
    for (size_t i = 0; pageShown && i < entries.size() && i < lightButtons_.size(); ++i) {
        CDeviceKeyButtonUI* button = lightButtons_[i];
        if (button != nullptr) {
            button->SetLight(Rgb24(entries[i]), entries[i].level);
        }
    }
    return true;
}

void CZentrixUSBDevice::SetVisible(bool visible) {
    CHorizontalLayoutUI::SetVisible(visible);
    driver_->SetWatched(PageWatched());
}

void CZentrixUSBDevice::PresentFrame() {
    // Both sides do nothing while the lighting control is off.
    driver_->SendFrameLater(ShowFrameOnPage());
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
    work().Post([this, present] { *present = driver_->IsPresent() == 1; },
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

bool CZentrixUSBDevice::FrameSettled() const {
    if (!lightingControl()) {
        return true;  // nothing is shown or sent; turning it back on presents the frame
    }
    return presentedGeneration_ == frame().generation() && presentedOnPage_ == PageWatched() &&
           driver_->frameSent();
}

bool CZentrixUSBDevice::ParkFrame() {
    return driver_->frame().Park(presentedGeneration_);
}

void CZentrixUSBDevice::PollCommandStatus() {
    driver_->PollStatus(
        [this](const devices::DeviceDriver::CommandStatus& status) { ShowCommandStatus(status); });
}

void CZentrixUSBDevice::ShowCommandStatus(const devices::DeviceDriver::CommandStatus& status) {
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
