#pragma once

#include <array>
#include <cstdint>

#include "platform/MessageLoop.h"

namespace marlo::hook {

// What the keyboard hook hands its window with each key: the low-level keyboard record (as an
// owned payload, never a pointer in a parameter).
struct LowLevelKeyRecord {
    uint32_t message = 0;  // WM_KEYDOWN or WM_KEYUP
    uint32_t vkCode = 0;
    uint32_t scanCode = 0;
    uint32_t flags = 0;  // 0x80 when the key goes up
    uint32_t time = 0;   // milliseconds of the monotonic clock
};

// The input hook for capturing a key or recording a macro. While installed, the keys of the
// program's windows go to the target window as the registered message the mode selects (the
// record, with WM_KEYDOWN or WM_KEYUP, as its payload), and are kept from everything else,
// except Num Lock, Caps Lock and Scroll Lock. One hook for the process; installing again
// replaces it.
class CDeviceHook {
  public:
    static constexpr uint32_t kWmKeyDown = 0x0100;
    static constexpr uint32_t kWmKeyUp = 0x0101;
    // The registered messages, in registration order.
    static constexpr std::array<const char*, 24> kMessages = {
        "WM_HOOK_KEY_SINGLEKEY_MSG",       "WM_HOOK_KEY_HITKEY_MSG",
        "WM_HOOK_KEY_KBMACRO_MSG",         "WM_HOOK_KEY_MSMACRO_MSG",
        "WM_HOOK_KEY_KBMACROSINGLE_MSG",   "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
        "WM_HOOK_KEY_KBMACROLATER_MSG",    "WM_HOOK_MOU_SINGLEKEY_MSG",
        "WM_HOOK_MOU_HITKEY_MSG",          "WM_HOOK_MOU_KBMACRO_MSG",
        "WM_HOOK_MOU_MSMACRO_MSG",         "WM_HOOK_KEY_MSMACROSINGLE_MSG",
        "WM_HOOK_KEY_MSMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG",
        "UWM_MOUSERBUTTONDOWN_USER_MSG",   "UWM_MOUSELBUTTONUP_USER_MSG",
        "UWM_MOUSELBUTTONDOWN_USER_MSG",   "UWM_MOUSERBUTTONUP_USER_MSG",
        "UWM_MOUSERBUTTONDOWN_USER_MSG",   "UWM_MOUSEMOVE_USER_MSG",
        "Game_Start",                      "Game_End",
        "Game_Kill",                       "Game_Death"};

    ~CDeviceHook() { Uninstall(); }

    // 1 when installed (the program's own hook needs a display), else 0. The outside hook
    // (the desktop's input devices) is not there on this system: its flag is kept and
    // nothing more.
    int Install(uintptr_t owner, uint32_t mode, platform::WindowHandle target, bool ownHook,
                bool outsideHook);
    void Uninstall();
    bool installed() const { return installed_; }
    uint32_t mode() const { return mode_; }

    // The registered message a mode sends (0 for a mode that sends none), by name.
    static const char* MessageOfMode(uint32_t mode);

  private:
    bool OnKey(uint32_t virtualKey, bool down);

    bool installed_ = false;
    bool outside_ = false;
    uintptr_t owner_ = 0;
    uint32_t mode_ = 0;
    platform::WindowHandle target_{};
};

}  // namespace marlo::hook
