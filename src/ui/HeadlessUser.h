#pragma once

#include <string>
#include <string_view>

#include "ui/UIDefs.h"

namespace marlo::ui {

class CControlUI;
class CPaintManagerUI;

// Acts on a window's controls as a person would, through the same entry points a display
// backend's peers use, so the notifications are exactly those of a real screen. Every call
// returns false when the named control is missing, hidden or disabled.
class HeadlessUser {
  public:
    explicit HeadlessUser(CPaintManagerUI& manager) : manager_(manager) {}

    bool Click(std::string_view name);
    // The same for one control (a name shared by several pages).
    bool ClickControl(CControlUI* control);
    bool DoubleClick(std::string_view name);
    // Opens a combo box and picks item `index` of it.
    bool PickComboItem(std::string_view name, int index);
    // Drags a slider through the values between its value and `value`, then lets go.
    bool MoveSlider(std::string_view name, int value);
    // Focuses an edit and types UTF-8 text into it, one character at a time.
    bool Type(std::string_view name, std::string_view text);
    // Focuses a control and presses a key (a Windows virtual-key code).
    bool PressKey(std::string_view name, uint32_t key);
    bool Focus(std::string_view name);
    // A key pressed with no control taking it: to the window (Tab, Shift+Tab, Space, Enter,
    // Escape). False without a window.
    bool PressWindowKey(uint32_t key, bool shift = false);

  private:
    CControlUI* Usable(std::string_view name) const;
    CPaintManagerUI& manager_;
};

}  // namespace marlo::ui
