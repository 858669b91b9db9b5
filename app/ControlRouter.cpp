#include "ControlRouter.h"

#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "MainWnd.h"
#include "pages/DeviceProfileUI.h"
#include "pages/LitDevice.h"
#include "pages/SelectPanelUI.h"
#include "pages/ZentrixHS6533Device.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "pages/ZentrixUSBDevice.h"
#include "panels/DeviceOptionUI.h"
#include "platform/DebugOutput.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ControlUI.h"
#include "ui/OptionUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/TabLayoutUI.h"

extern char** environ;

namespace marlo::app {

using pages::CDeviceProfileUI;
using pages::CZentrixUSBDevice;
using platform::DebugOutput;
using profiles::ListResult;

namespace {

constexpr const char* kProfileFilter = "Profile Files(*.json)";

// What a person is told when a profile operation is refused.
const char* RefusalText(ListResult result) {
    switch (result) {
        case ListResult::kLimitReached:
            return "message_text_33";
        case ListResult::kBlankName:
        case ListResult::kDuplicateName:
        case ListResult::kBadName:
            return "message_text_34";
        case ListResult::kLastProfile:
            return "message_text_35";
        case ListResult::kBadImport:
        case ListResult::kUnsafeName:
        case ListResult::kTooLarge:
            return "message_text_32";
        case ListResult::kFileError:
            return "message_text_36";
        default:
            return nullptr;
    }
}

// The desktops' own settings programs, in the order they are looked for.
struct SettingsProgram {
    const char* program;
    const char* keyboardArgument;
    const char* mouseArgument;
};

constexpr std::array<SettingsProgram, 6> kSettingsPrograms = {{
    {"gnome-control-center", "keyboard", "mouse"},
    {"systemsettings", "kcm_keyboard", "kcm_mouse"},
    {"cinnamon-settings", "keyboard", "mouse"},
    {"xfce4-keyboard-settings", "", nullptr},
    {"xfce4-mouse-settings", nullptr, ""},
    {"lxqt-config-input", "", ""},
}};

std::optional<std::filesystem::path> FindInPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty()) {
            continue;
        }
        const std::filesystem::path candidate = std::filesystem::path(folder) / program;
        if (access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<int> CControlRouter::IndexAfter(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || !Is(name.substr(0, prefix.size()), prefix)) {
        return std::nullopt;
    }
    int index = 0;
    const char* end = name.data() + name.size();
    const auto [at, ec] = std::from_chars(name.data() + prefix.size(), end, index);
    if (ec != std::errc() || at != end || index < 0) {
        return std::nullopt;
    }
    return index;
}

std::optional<std::string> CControlRouter::DesktopSettingsCommand(int index) {
    for (const SettingsProgram& p : kSettingsPrograms) {
        const char* argument = index == 0 ? p.keyboardArgument : p.mouseArgument;
        if (argument == nullptr) {
            continue;
        }
        if (const auto found = FindInPath(p.program)) {
            std::string command = found->string();
            if (*argument != '\0') {
                command += std::string(" ") + argument;
            }
            return command;
        }
    }
    return std::nullopt;
}

void CControlRouter::StartDesktopSettings(int index) {
    const auto command = DesktopSettingsCommand(index);
    if (!command) {
        DebugOutput::Write("no desktop settings program is installed");
        return;
    }
    // Through a shell that starts it in the background and ends at once: the program outlives
    // nothing of ours, and no child is left to reap. The command line is our own constant.
    const std::string line = *command + " >/dev/null 2>&1 &";
    std::vector<char*> argv = {const_cast<char*>("/bin/sh"), const_cast<char*>("-c"),
                               const_cast<char*>(line.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, argv.data(), environ) != 0) {
        DebugOutput::Printf("cannot start %s", command->c_str());
        return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

CZentrixUSBDevice* CControlRouter::PageOf(ui::CControlUI* control) {
    for (ui::CControlUI* c = control; c != nullptr; c = c->GetParent()) {
        if (auto* device = dynamic_cast<CZentrixUSBDevice*>(c)) {
            return device;
        }
    }
    return nullptr;
}

CDeviceProfileUI* CControlRouter::CurrentProfilePanel() {
    CZentrixUSBDevice* device =
        window_.devices() != nullptr ? window_.devices()->CurrentDevice() : nullptr;
    return device != nullptr ? device->profilePanel() : nullptr;
}

bool CControlRouter::Is(std::string_view name, std::string_view row) {
    return name.size() == row.size() && strncasecmp(name.data(), row.data(), name.size()) == 0;
}

void CControlRouter::Route(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return;
    }
    if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    } else if (msg.sType == pages::CSelectPanelUI::kSelectEnd) {
        if (auto* device = CurrentLitOf(msg.pSender)) {
            lights_.OnSelectEnd(*device, msg.pSender);
        }
    } else if (msg.sType == ui::CColorPaletteUI::kColorChanged) {
        if (auto* device = CurrentLitOf(msg.pSender)) {
            lights_.OnColorChanged(*device, msg.pSender);
        }
    } else if (msg.sType == ui::notify::kValueChanged) {
        if (auto* device = CurrentLitOf(msg.pSender);
            device != nullptr && lights_.OnValueChanged(*device, msg.pSender)) {
            return;
        }
        if (auto* headset = CurrentHeadsetOf(msg.pSender)) {
            headset_.OnValueChanged(*headset, msg.pSender);
        } else if (auto* keyboard = CurrentKeyboard(); keyboard != nullptr && IsSystemSetting(msg)) {
            keyboard->TakeSystemSetting(msg.pSender->GetName(), [this](int, bool failed) {
                window_.ShowWriteStatus(failed);
            });
        }
    } else if (msg.sType == ui::notify::kSelectChanged) {
        OnSelectChanged(msg);
    } else if (msg.sType == ui::notify::kItemSelect) {
        OnItemSelect(msg);
    } else if ((msg.sType == ui::notify::kSetFocus || msg.sType == ui::notify::kKillFocus) &&
               Is(msg.pSender->GetName(), "keyset_keyboard_text_edit")) {
        // The key field takes the next key pressed, whatever it is: the hook, while it has
        // the focus.
        window_.SendMessage(CMainWnd::kHookSwitch, msg.sType == ui::notify::kSetFocus ? 1 : 0,
                            0);
    } else if (msg.sType == ui::notify::kKillFocus) {
        if (macros_.OnKillFocus(msg.pSender)) {
            return;
        }
        if (auto* device = CurrentLitOf(msg.pSender);
            device != nullptr && lights_.OnKillFocus(*device, msg.pSender)) {
            return;
        }
        if (auto* keyboard = CurrentKeyboard();
            keyboard != nullptr && PageOf(msg.pSender) == keyboard) {
            keys_.OnKillFocus(*keyboard, msg.pSender);
        }
    } else if (msg.sType == ui::notify::kItemActivate) {
        if (CZentrixUSBDevice* page = CurrentPageOf(msg.pSender)) {
            macros_.OnItemActivate(*page, msg.pSender);
        }
    }
    // Another tab or page: a recording whose panel went out of sight ends.
    macros_.StopRecordingUnlessShown();
}

bool CControlRouter::OnMenuCommand(const std::string& name) {
    CDeviceList* devices = window_.devices();
    return macros_.OnMenuCommand(devices != nullptr ? devices->CurrentDevice() : nullptr, name);
}

pages::CZentrixHS6533Device* CControlRouter::CurrentHeadsetOf(ui::CControlUI* control) {
    return dynamic_cast<pages::CZentrixHS6533Device*>(CurrentPageOf(control));
}

CZentrixUSBDevice* CControlRouter::CurrentPageOf(ui::CControlUI* control) {
    CDeviceList* devices = window_.devices();
    CZentrixUSBDevice* page = PageOf(control);
    return devices != nullptr && page != nullptr && devices->CurrentDevice() == page ? page
                                                                                     : nullptr;
}

void CControlRouter::OnCapturedKey(uint32_t virtualKey) {
    if (auto* keyboard = CurrentKeyboard()) {
        keys_.OnCapturedKey(*keyboard, virtualKey);
    }
}

void CControlRouter::OnClick(ui::TNotifyUI& msg) {
    const std::string& name = msg.pSender->GetName();
    CDeviceList* devices = window_.devices();
    if (Is(name, "control_light_status")) {
        window_.ToggleLightingControl();
    } else if (const auto index = IndexAfter(name, "windowdeviceset_")) {
        StartDesktopSettings(*index);
    } else if (Is(name, "default_btn")) {
        CZentrixUSBDevice* device = devices->CurrentDevice();
        if (device != nullptr && window_.Ask("message_text_22", true) == 1) {
            // The selected profile takes the factory settings; the device is then given it, as
            // when a profile is chosen.
            CDeviceProfileUI* panel = device->profilePanel();
            if (panel != nullptr && panel->ResetProfile() == profiles::ListResult::kDone) {
                window_.ScheduleProfileSwitch();
            }
        }
    } else if (Is(name, "music_setting_btn")) {
        window_.OpenMusicStyles();
    } else if (Is(name, "reset_repeat_btn")) {
        if (auto* keyboard = CurrentKeyboard()) {
            keyboard->ResetRepeat();
        }
    } else if (Is(name, "device_select_prev")) {
        devices->SelectNeighbour(-1);
    } else if (Is(name, "device_select_next")) {
        devices->SelectNeighbour(1);
    } else if (auto* lit = CurrentLitOf(msg.pSender);
               lit != nullptr && lights_.OnClick(*lit, msg.pSender)) {
        return;  // the lighting panel's (and keys painted in a custom group)
    } else if (auto* keyboard = CurrentKeyboard();
               keyboard != nullptr && PageOf(msg.pSender) == keyboard &&
               keys_.OnClick(*keyboard, msg.pSender)) {
        return;  // the key assignment panel's
    } else if (CZentrixUSBDevice* page = CurrentPageOf(msg.pSender);
               page != nullptr && macros_.OnClick(*page, msg.pSender)) {
        return;  // the macro panel's
    } else if (auto* headset = CurrentHeadsetOf(msg.pSender);
               headset != nullptr && headset_.OnClick(*headset, msg.pSender)) {
        return;  // the headset's sound panel
    } else {
        OnProfileButton(name);
    }
}

bool CControlRouter::OnProfileButton(std::string_view name) {
    CDeviceProfileUI* panel = CurrentProfilePanel();
    if (panel == nullptr) {
        return false;
    }
    std::optional<ListResult> result;
    bool selectionChanged = false;
    if (Is(name, "device_add_btn")) {
        result = panel->NewProfile();
        selectionChanged = true;
    } else if (Is(name, "device_sub_btn")) {
        if (panel->GetProfileCount() <= 1) {
            result = ListResult::kLastProfile;
        } else if (window_.Ask("message_text_30", true) == 1) {
            result = panel->DeleteProfile();
            selectionChanged = true;
        }
    } else if (Is(name, "device_copy_btn")) {
        result = panel->CopyProfile();
    } else if (Is(name, "device_export_btn")) {
        ui::IDisplayBackend::FileQuestion question;
        question.save = true;
        question.title = "Export";
        question.filter = kProfileFilter;
        question.suggestedName = panel->SelectedName() + ".json";
        if (auto* backend = ui::CPaintManagerUI::GetBackend()) {
            if (const auto path = backend->ChooseFile(&window_, question)) {
                result = panel->ExportProfile(*path);
            }
        }
    } else if (Is(name, "device_import_btn")) {
        ui::IDisplayBackend::FileQuestion question;
        question.title = "Import";
        question.filter = kProfileFilter;
        if (auto* backend = ui::CPaintManagerUI::GetBackend()) {
            if (const auto path = backend->ChooseFile(&window_, question)) {
                result = panel->ImportProfile(*path);
            }
        }
    } else if (Is(name, "device_reset_btn")) {
        if (window_.Ask("message_text_31", true) == 1) {
            result = panel->ResetProfile();
            selectionChanged = true;
        }
    } else if (Is(name, "device_profile_edit_save_btn")) {
        ui::CControlUI* edit = panel->FindSubControl("device_profile_name_edit");
        result = panel->RenameProfile(edit != nullptr ? edit->GetText() : std::string());
    } else if (Is(name, "profile_fun_spread_btn")) {
        panel->ShowProfileMenu(!panel->IsProfileMenuShown());
        return true;
    } else {
        return false;
    }
    if (!panel->notice().empty()) {
        DebugOutput::Printf("%s", panel->notice().c_str());
    }
    if (result && *result != ListResult::kDone) {
        if (const char* text = RefusalText(*result)) {
            window_.Ask(text, false);
        }
    } else if (result && selectionChanged) {
        window_.ScheduleProfileSwitch();
    }
    return true;
}

pages::CZentrixKeyboardDevice* CControlRouter::CurrentKeyboard() {
    CDeviceList* devices = window_.devices();
    return devices != nullptr
               ? dynamic_cast<pages::CZentrixKeyboardDevice*>(devices->CurrentDevice())
               : nullptr;
}

CZentrixUSBDevice* CControlRouter::CurrentLitOf(ui::CControlUI* control) {
    CZentrixUSBDevice* page = CurrentPageOf(control);
    return dynamic_cast<pages::ILitDevice*>(page) != nullptr ? page : nullptr;
}

bool CControlRouter::IsSystemSetting(const ui::TNotifyUI& msg) {
    // Only the keyboard page's own controls (the mouse page has a polling rate too).
    const std::string& name = msg.pSender->GetName();
    const bool named = name.starts_with("polling_rate_option_") ||
                       name.starts_with("repeat_delay_check_") || name == "winlockflag_option" ||
                       name == "wflag_option" || name == "6flag_option" ||
                       name == "repeat_rate_slider";
    return named && dynamic_cast<pages::CZentrixKeyboardDevice*>(PageOf(msg.pSender)) != nullptr;
}

void CControlRouter::OnSelectChanged(ui::TNotifyUI& msg) {
    const std::string& name = msg.pSender->GetName();
    if (auto* headset = CurrentHeadsetOf(msg.pSender);
        headset != nullptr && headset_.OnSelectChanged(*headset, msg.pSender)) {
        return;
    }
    if (auto* device = CurrentLitOf(msg.pSender);
        device != nullptr && lights_.OnSelectChanged(*device, msg.pSender)) {
        return;
    }
    auto* option = dynamic_cast<ui::COptionUI*>(msg.pSender);
    const bool selected = option != nullptr && option->IsSelected();
    if (IsSystemSetting(msg)) {
        auto* keyboard = dynamic_cast<pages::CZentrixKeyboardDevice*>(PageOf(msg.pSender));
        // In an option group only the newly selected option speaks for the setting.
        if (selected || dynamic_cast<ui::CCheckBoxUI*>(msg.pSender) != nullptr) {
            keyboard->TakeSystemSetting(
                name, [this](int, bool failed) { window_.ShowWriteStatus(failed); });
        }
        return;
    }
    if (Is(name, "device_select")) {
        for (ui::CControlUI* c = msg.pSender; c != nullptr; c = c->GetParent()) {
            if (auto* entry = dynamic_cast<panels::CDeviceOptionUI*>(c)) {
                if (selected) {
                    CDeviceList* devices = window_.devices();
                    for (int i = 0; i < devices->EntryCount(); ++i) {
                        if (devices->Entry(i) == entry) {
                            devices->ShowEntry(i, true, true);
                        }
                    }
                }
                return;
            }
        }
        return;
    }
    for (size_t tab = 0; tab < CDeviceProfileUI::kTabs.size(); ++tab) {
        if (Is(name, CDeviceProfileUI::kTabs[tab])) {
            CZentrixUSBDevice* page = PageOf(msg.pSender);
            if (selected && page != nullptr) {
                if (auto* panels = dynamic_cast<ui::CTabLayoutUI*>(
                        page->FindSubControl("device_panel_switch"))) {
                    panels->SelectItem(static_cast<int>(tab));
                }
            }
            return;
        }
    }
}

void CControlRouter::OnItemSelect(ui::TNotifyUI& msg) {
    if (auto* device = CurrentLitOf(msg.pSender);
        device != nullptr && lights_.OnItemSelect(*device, msg.pSender)) {
        return;
    }
    if (auto* keyboard = CurrentKeyboard();
        keyboard != nullptr && PageOf(msg.pSender) == keyboard &&
        keys_.OnItemSelect(*keyboard, msg.pSender)) {
        return;
    }
    if (CZentrixUSBDevice* page = CurrentPageOf(msg.pSender);
        page != nullptr && macros_.OnItemSelect(*page, msg.pSender)) {
        return;
    }
    if (auto* headset = CurrentHeadsetOf(msg.pSender);
        headset != nullptr && headset_.OnItemSelect(*headset, msg.pSender)) {
        return;
    }
    if (Is(msg.pSender->GetName(), "device_profile_combo")) {
        CDeviceProfileUI* panel = CurrentProfilePanel();
        if (panel != nullptr &&
            panel->SelectProfile(static_cast<int>(msg.wParam), false) == ListResult::kDone) {
            window_.ScheduleProfileSwitch();
        }
    }
}

}  // namespace marlo::app
