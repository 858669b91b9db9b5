#include "hook/OutsideRoute.h"

#include "hook/DeviceHook.h"
#include "hook/HookRecords.h"
#include "platform/Event.h"
#include "platform/MessageRegistry.h"
#include "ui/DisplayBackend.h"

namespace marlo::hook {
namespace {

constexpr uint32_t kLeftButton = 0x01;

const char* ButtonMessage(uint32_t button, bool down) {
    if (button == kLeftButton) {
        return down ? "UWM_MOUSELBUTTONDOWN_USER_MSG" : "UWM_MOUSELBUTTONUP_USER_MSG";
    }
    return down ? "UWM_MOUSERBUTTONDOWN_USER_MSG" : "UWM_MOUSERBUTTONUP_USER_MSG";
}

}  // namespace

void COutsideRoute::Deliver(const OutsideInput& input, ui::IDisplayBackend& backend) const {
    const auto now = static_cast<uint32_t>(platform::MonotonicMs());
    platform::MessageLoop& loop = backend.loop();
    switch (input.kind) {
        case OutsideInput::Kind::kKey: {
            const char* name = CDeviceHook::MessageOfMode(mode_);
            if (name == nullptr || (ownHook_ && backend.HasKeyFocus())) {
                return;
            }
            loop.SendPayload(target_, platform::MessageRegistry::Register(name),
                             LowLevelKeyRecord::Of(input.virtualKey, input.down, now));
            return;
        }
        case OutsideInput::Kind::kButton:
            loop.SendPayload(
                target_,
                platform::MessageRegistry::Register(ButtonMessage(input.virtualKey, input.down)),
                MouseHookRecord{input.virtualKey, input.down, 0, 0, now});
            return;
        case OutsideInput::Kind::kMove:
            loop.SendPayload(target_, platform::MessageRegistry::Register("UWM_MOUSEMOVE_USER_MSG"),
                             MouseHookRecord{0, false, input.dx, input.dy, now});
            return;
    }
}

}  // namespace marlo::hook
