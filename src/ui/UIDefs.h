#pragma once

#include <cstdint>
#include <string>

namespace marlo::ui {

class CControlUI;

// Window messages of the toolkit that cross window boundaries.
inline constexpr uint32_t kWmUser = 0x0400;
inline constexpr uint32_t kWmClose = 0x0010;
inline constexpr uint32_t kWmTimer = 0x0113;
inline constexpr uint32_t kWmKeyDown = 0x0100;
// With kWmKeyDown: the key came with Shift held (Shift+Tab moves the focus back).
inline constexpr intptr_t kKeyShiftFlag = intptr_t{1} << 28;
inline constexpr uint32_t kWmDpiChanged = 0x02E0;
inline constexpr uint32_t kWmCopyData = 0x004A;
// A chosen menu item reaches its owner window with this message; its payload is a MenuCmd.
inline constexpr uint32_t kWmMenuCommand = kWmUser + 121;
// Mouse buttons as the tray callback carries them in lParam.
inline constexpr intptr_t kWmLButtonUp = 0x0202;
inline constexpr intptr_t kWmRButtonUp = 0x0205;
inline constexpr intptr_t kWmLButtonDblClk = 0x0203;

// The block of a WM_COPYDATA message, carried as its payload (wParam and lParam are 0).
struct CopyDataBlock {
    uint32_t kind = 0;
    std::string bytes;
};

// Notification types, exactly as handlers compare them.
namespace notify {
inline constexpr const char* kClick = "click";
inline constexpr const char* kSelectChanged = "selectchanged";
inline constexpr const char* kValueChanged = "valuechanged";
inline constexpr const char* kMoveValueChanged = "movevaluechanged";
inline constexpr const char* kItemSelect = "itemselect";
inline constexpr const char* kItemActivate = "itemactivate";
inline constexpr const char* kItemClick = "itemclick";
inline constexpr const char* kKillFocus = "killfocus";
inline constexpr const char* kSetFocus = "setfocus";
inline constexpr const char* kTextChanged = "textchanged";
inline constexpr const char* kReturn = "return";
inline constexpr const char* kWindowInit = "windowinit";
inline constexpr const char* kWindowSize = "windowsize";
inline constexpr const char* kTimer = "timer";
inline constexpr const char* kDropDown = "dropdown";
inline constexpr const char* kTabSelect = "tabselect";
}  // namespace notify

// One notification from a control to the notifiers of its window.
struct TNotifyUI {
    std::string sType;
    std::string sVirtualWnd;
    CControlUI* pSender = nullptr;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

class INotifyUI {
  public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Input the display backend (or a test acting as a user) hands to a control.
enum class UiEventType { kKeyDown, kChar, kButtonDown, kButtonUp, kDoubleClick, kScrollWheel };

struct TEventUI {
    UiEventType type = UiEventType::kButtonUp;
    uint32_t key = 0;  // Windows virtual-key code, or the character for kChar
    int delta = 0;     // wheel steps
};

// Virtual-key codes the controls act on.
inline constexpr uint32_t kVkBack = 0x08;
inline constexpr uint32_t kVkTab = 0x09;
inline constexpr uint32_t kVkReturn = 0x0D;
inline constexpr uint32_t kVkEscape = 0x1B;
inline constexpr uint32_t kVkSpace = 0x20;
inline constexpr uint32_t kVkEnd = 0x23;
inline constexpr uint32_t kVkHome = 0x24;
inline constexpr uint32_t kVkLeft = 0x25;
inline constexpr uint32_t kVkUp = 0x26;
inline constexpr uint32_t kVkRight = 0x27;
inline constexpr uint32_t kVkDown = 0x28;
inline constexpr uint32_t kVkDelete = 0x2E;

// "#FF202020" or "0xFF202020" as ARGB; nothing parsed gives `fallback`.
uint32_t ParseColor(const std::string& text, uint32_t fallback = 0);

}  // namespace marlo::ui
