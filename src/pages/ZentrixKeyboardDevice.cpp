#include "pages/ZentrixKeyboardDevice.h"

#include "pages/DeviceKeyButtonUI.h"
#include "pages/DeviceProfileUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"

namespace marlo::pages {

CZentrixKeyboardDevice::CZentrixKeyboardDevice()
    : CZentrixUSBDevice(std::make_unique<devices::KeyboardDriver>(
          devices::KeyboardDriver::StandardPlaces(), devices::KeyboardDriver::Lighting::kStepped)),
      driver_(static_cast<devices::KeyboardDriver&>(deviceDriver())) {
    SetDeviceName("keyboard");
}

CZentrixKeyboardDevice::~CZentrixKeyboardDevice() {
    StopThreads();
}

bool CZentrixKeyboardDevice::ReloadChangedProfile() {
    return ReloadProfileWhen(driver_.ProfileOutdated(),
                             "the keyboard's profile was changed by another program: read again");
}

void CZentrixKeyboardDevice::ReconcileMacros() {
    if (driver_.ReconcileMacros()) {
        RefreshPage();
    }
}

void CZentrixKeyboardDevice::ForgetMacro(int row, WriteDone done) {
    // The keys in hand are the selected profile's: they are saved with the keys.
    ForgetMacroInProfiles(row, SelectedProfilePath());
    driver_.ForgetMacroKeys(row);
    RefreshPage();
    SaveKeys(std::move(done));
}

void CZentrixKeyboardDevice::ApplyProfile(WriteDone done) {
    driver_.PostWrite([this] { return driver_.ApplyProfile(); },
                      [this, done = std::move(done)](int macros, bool failed) {
                          RefreshPage();
                          if (done) {
                              done(macros, failed);
                          }
                      },
                      "apply");
}

void CZentrixKeyboardDevice::SaveKeys(WriteDone done) {
    driver_.PostWrite([this] { return driver_.SaveKeys(); }, std::move(done), "keys");
}

void CZentrixKeyboardDevice::TakeLightSettings(const profiles::LightInfo& light, WriteDone done) {
    // The drawing and the panel follow at once; the profile and the keyboard take the lighting
    // as it is when the write runs.
    driver_.SetLightInfo(light);
    driver_.PostWrite([this] { return driver_.TakeLightSettings(driver_.lightInfo()) ? 1 : 0; },
                      std::move(done), "lighting");
}

void CZentrixKeyboardDevice::ShowGameLighting(int mode) {
    CZentrixUSBDevice::ShowGameLighting(mode);
    work().Post([this, mode] { driver_.ShowGameLighting(mode); });
}

void CZentrixKeyboardDevice::RestoreOwnLighting() {
    CZentrixUSBDevice::RestoreOwnLighting();
    work().Post([this] { driver_.RestoreOwnLighting(); });
}

void CZentrixKeyboardDevice::SelectFunctionTab(int type) {
    CZentrixUSBDevice::SelectFunctionTab(type);
    if (type == 1 || type == 2) {
        if (CDeviceKeyButtonUI* fn = KeyButton(kFnPosition)) {
            fn->SetEnabled(type == 1);
        }
    }
}

ui::CControlUI* CZentrixKeyboardDevice::SystemControl(const std::string& name) {
    return FindSubControl(name);
}

void CZentrixKeyboardDevice::RefreshPage() {
    const profiles::KeyboardSystemStages stages = driver_.systemStages();
    // Values outside 0-3 show the first option.
    const auto choose = [this](const char* prefix, int value) {
        const int shown = value >= 0 && value <= 3 ? value : 0;
        if (auto* option =
                dynamic_cast<ui::COptionUI*>(SystemControl(prefix + std::to_string(shown)))) {
            option->Selected(true, false);
        }
    };
    choose("polling_rate_option_", stages.pollingRate);
    choose("repeat_delay_check_", stages.repeatDelay);
    const auto check = [this](const char* name, int value) {
        if (auto* box = dynamic_cast<ui::COptionUI*>(SystemControl(name))) {
            box->Selected(value != 0, false);
        }
    };
    check("winlockflag_option", stages.winFlag);
    check("wflag_option", stages.wFlag);
    check("6flag_option", stages.key6Flag);
    if (auto* slider = dynamic_cast<ui::CSliderUI*>(SystemControl("repeat_rate_slider"))) {
        slider->SetValue(stages.repeat);
    }
    if (ui::CControlUI* label = SystemControl("repeat_delay_time_label1")) {
        const int delay = stages.repeatDelay <= 3 ? stages.repeatDelay : 0;
        label->SetText(std::to_string(kRepeatDelaysMs[delay]) + " ms");
    }
    if (ui::CControlUI* box = SystemControl("repeat_input_richedit")) {
        box->SetToolTip("Repeat_input_text");
    }
    PageRefreshed();
}

bool CZentrixKeyboardDevice::TakeSystemSetting(const std::string& name, WriteDone done) {
    const auto selectedIndex = [this](const char* prefix) -> int {
        for (int i = 0; i <= 3; ++i) {
            if (auto* option =
                    dynamic_cast<ui::COptionUI*>(SystemControl(prefix + std::to_string(i)));
                option != nullptr && option->IsSelected()) {
                return i;
            }
        }
        return 0;
    };
    const auto checked = [this](const char* n) -> uint16_t {
        auto* box = dynamic_cast<ui::COptionUI*>(SystemControl(n));
        return box != nullptr && box->IsSelected() ? 1 : 0;
    };
    profiles::KeyboardSystemStages stages = driver_.systemStages();
    bool inBlock = true;
    if (name.starts_with("polling_rate_option_")) {
        stages.pollingRate = static_cast<uint16_t>(selectedIndex("polling_rate_option_"));
    } else if (name.starts_with("repeat_delay_check_")) {
        stages.repeatDelay = static_cast<uint16_t>(selectedIndex("repeat_delay_check_"));
        inBlock = false;
    } else if (name == "winlockflag_option") {
        stages.winFlag = checked("winlockflag_option");
    } else if (name == "wflag_option") {
        stages.wFlag = checked("wflag_option");
    } else if (name == "6flag_option") {
        stages.key6Flag = checked("6flag_option");
    } else if (name == "repeat_rate_slider") {
        auto* slider = dynamic_cast<ui::CSliderUI*>(SystemControl(name));
        stages.repeat = static_cast<uint16_t>(slider != nullptr ? slider->GetValue() : 0);
        inBlock = false;
    } else {
        return false;
    }
    // The page follows at once; the profile and the keyboard take the settings as they are
    // when the write runs, so settings changed meanwhile go together.
    driver_.SetSystemStages(stages);
    RefreshPage();
    driver_.PostWrite(
        [this, inBlock] {
            driver_.TakeSystemStages(driver_.systemStages(), inBlock);
            return 1;
        },
        std::move(done), inBlock ? "settings block" : "settings");
    return true;
}

void CZentrixKeyboardDevice::ResetRepeat() {
    driver_.ResetRepeat();
    RefreshPage();
}

void CZentrixKeyboardDevice::StatusPoll() {
    PollCommandStatus();
}

void CZentrixKeyboardDevice::ReadFromDevice() {
    driver_.StopLightingThread();  // it must not stream while the tables are read
    work().Post(
        [this] {
            driver_.ReadFirmwareVersion();
            driver_.ReadKeyTables();
            driver_.LoadProfile();
            driver_.ReadLightingBlock();
        },
        [this] {
            RefreshPage();
            driver_.StartLightingThread();
            driver_.StartKeyReader();
        });
}

void CZentrixKeyboardDevice::RefreshFromDevice() {
    if (driver_.TakeProfileListRequest()) {
        if (CDeviceProfileUI* panel = profilePanel()) {
            panel->LoadProfileList();
        }
    }
    driver_.StopLightingThread();
    work().Post(
        [this] {
            driver_.LoadProfile();
            driver_.ReadLightingBlock();
        },
        [this] {
            RefreshPage();
            driver_.StartLightingThread();
        });
}

}  // namespace marlo::pages
