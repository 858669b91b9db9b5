#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "HeadsetPanelRouter.h"
#include "KeyPanelRouter.h"
#include "LightPanelRouter.h"
#include "MacroPanelRouter.h"
#include "ui/UIDefs.h"

namespace marlo::pages {
class CZentrixUSBDevice;
class CDeviceProfileUI;
class CZentrixKeyboardDevice;
class CZentrixHS6533Device;
}  // namespace marlo::pages

namespace marlo::app {

class CMainWnd;

// Turns a control's notification into an operation: by its type, then by the control's name
// (ignoring case, first match), or by a prefix and the index the name ends in, on the current
// device (the device of the selected entry of the device list). Rows of panels that do not
// exist yet do nothing.
class CControlRouter {
  public:
    explicit CControlRouter(CMainWnd& window)
        : window_(window), keys_(window), macros_(window), headset_(window), lights_(window) {}

    void Route(ui::TNotifyUI& msg);
    // A key the hook captured for the key assignment panel (its virtual-key code).
    void OnCapturedKey(uint32_t virtualKey);
    // A command of a menu other than the tray's (the macro step menu); false when it is none.
    bool OnMenuCommand(const std::string& name);
    CMacroPanelRouter& macros() { return macros_; }

    // A control's name is a row's name (case does not matter).
    static bool Is(std::string_view name, std::string_view row);
    // "key_12" with the prefix "key_" → 12; nothing for another name.
    static std::optional<int> IndexAfter(std::string_view name, std::string_view prefix);
    // The desktop's keyboard (0) or mouse (1) settings program installed here, as a command
    // line; nothing when none is.
    static std::optional<std::string> DesktopSettingsCommand(int index);

  private:
    void OnClick(ui::TNotifyUI& msg);
    void OnSelectChanged(ui::TNotifyUI& msg);
    void OnItemSelect(ui::TNotifyUI& msg);
    // The profile panel's buttons; false for another name.
    bool OnProfileButton(std::string_view name);
    void StartDesktopSettings(int index);
    pages::CDeviceProfileUI* CurrentProfilePanel();
    pages::CZentrixKeyboardDevice* CurrentKeyboard();
    // The current device when the control sits on its page and it has a lighting panel, else
    // nothing.
    pages::CZentrixUSBDevice* CurrentLitOf(ui::CControlUI* control);
    // A system-setting control of the keyboard's page.
    static bool IsSystemSetting(const ui::TNotifyUI& msg);
    // The device page a control sits on.
    static pages::CZentrixUSBDevice* PageOf(ui::CControlUI* control);
    // That page when it is the current device's, else nothing.
    pages::CZentrixUSBDevice* CurrentPageOf(ui::CControlUI* control);
    // The current headset's page a control sits on, else nothing.
    pages::CZentrixHS6533Device* CurrentHeadsetOf(ui::CControlUI* control);

    CMainWnd& window_;
    CKeyPanelRouter keys_;
    CMacroPanelRouter macros_;
    CHeadsetPanelRouter headset_;
    CLightPanelRouter lights_;
};

}  // namespace marlo::app
