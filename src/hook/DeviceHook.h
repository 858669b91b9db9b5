#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "hook/EvdevInput.h"
#include "hook/HookRecords.h"
#include "platform/MessageLoop.h"

namespace marlo::hook {

class COutsideRoute;

// The input hook for capturing a key or recording a macro. While installed, the keys of the
// program's windows go to the target window as the registered message the mode selects (the
// record, with WM_KEYDOWN or WM_KEYUP, as its payload), and are kept from everything else,
// except Num Lock, Caps Lock and Scroll Lock. One hook for the process; installing again
// replaces it.
//
// The outside hook reads the desktop's keyboards and mice (CEvdevInput) while installed, where
// this user may read them, and hands their inputs to the target window on the UI thread
// (COutsideRoute). Where it may not, it is simply not there and the own hook works alone.
class CDeviceHook {
  public:
    static constexpr uint32_t kWmKeyDown = LowLevelKeyRecord::kWmKeyDown;
    static constexpr uint32_t kWmKeyUp = LowLevelKeyRecord::kWmKeyUp;
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

    // `inputDirectory` holds the desktop's input event nodes.
    explicit CDeviceHook(std::string inputDirectory = "/dev/input");
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // 1 when installed (either hook needs a display), else 0.
    int Install(uintptr_t owner, uint32_t mode, platform::WindowHandle target, bool ownHook,
                bool outsideHook);
    void Uninstall();
    bool installed() const { return installed_; }
    // True while the outside hook reads at least one input device.
    bool outsideReading() const { return outside_.running(); }
    uint32_t mode() const { return mode_; }

    // The registered message a mode sends (0 for a mode that sends none), by name.
    static const char* MessageOfMode(uint32_t mode);

  private:
    bool OnKey(uint32_t virtualKey, bool down);

    bool installed_ = false;
    CEvdevInput outside_;
    // Shared with the inputs on their way to the UI thread, which drop out once it is gone.
    std::shared_ptr<const COutsideRoute> route_;
    uintptr_t owner_ = 0;
    uint32_t mode_ = 0;
    platform::WindowHandle target_{};
};

}  // namespace marlo::hook
