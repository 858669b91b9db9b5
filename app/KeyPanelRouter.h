#pragma once

#include <string_view>

#include "ui/UIDefs.h"

namespace marlo::pages {
class CZentrixKeyboardDevice;
}  // namespace marlo::pages

namespace marlo::panels {
class CKeySetControlUI;
}  // namespace marlo::panels

namespace marlo::app {

class CMainWnd;

// The key assignment panel's rows on the keyboard's page: a key of the drawing ("key_" and
// its position) opens in the panel, the category combo turns its pages, and the panel's
// buttons store the edited code in the key list (Apply), show the key's default, go back to
// what it was (Cancel), or save the profile and write the keys to the keyboard.
class CKeyPanelRouter {
  public:
    explicit CKeyPanelRouter(CMainWnd& window) : window_(window) {}

    // False for a control that is not one of the panel's.
    bool OnClick(pages::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    bool OnItemSelect(pages::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    // An edit field of the panel lost the focus: a number outside its range is set to the
    // nearest one it takes (never stored as typed). False for another control.
    bool OnKillFocus(pages::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    // The key captured in the panel's key field.
    void OnCapturedKey(pages::CZentrixKeyboardDevice& keyboard, uint32_t virtualKey);
    // The key open in the panel, -1 for none.
    int keyPosition() const { return position_; }

  private:
    static panels::CKeySetControlUI* Panel(pages::CZentrixKeyboardDevice& keyboard);
    void OpenKey(pages::CZentrixKeyboardDevice& keyboard, panels::CKeySetControlUI& panel,
                 int position);

    CMainWnd& window_;
    int position_ = -1;
};

}  // namespace marlo::app
