#pragma once

#include <cstdint>

#include "hook/InputEventTranslator.h"
#include "platform/MessageLoop.h"

namespace marlo::ui {
class IDisplayBackend;
}

namespace marlo::hook {

// Where the outside hook's inputs go, and as which messages (on the UI thread): a key as the
// message its hook mode selects, with its keyboard record; a left button as
// "UWM_MOUSELBUTTONDOWN_USER_MSG" / "UWM_MOUSELBUTTONUP_USER_MSG", every other button as the
// right button's pair, and movement as "UWM_MOUSEMOVE_USER_MSG", each with its mouse record.
// While the program's own hook is installed, a key typed into one of the program's windows is
// the own hook's to send, so the route leaves it alone.
class COutsideRoute {
  public:
    COutsideRoute(platform::WindowHandle target, uint32_t mode, bool ownHook)
        : target_(target), mode_(mode), ownHook_(ownHook) {}

    void Deliver(const OutsideInput& input, ui::IDisplayBackend& backend) const;

  private:
    platform::WindowHandle target_;
    uint32_t mode_;
    bool ownHook_;
};

}  // namespace marlo::hook
