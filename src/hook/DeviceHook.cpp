#include "hook/DeviceHook.h"

#include "platform/Event.h"
#include "platform/MessageRegistry.h"
#include "ui/DisplayBackend.h"
#include "ui/PaintManagerUI.h"

namespace marlo::hook {
namespace {

constexpr uint32_t kVkNumLock = 0x90;
constexpr uint32_t kVkCapsLock = 0x14;
constexpr uint32_t kVkScrollLock = 0x91;
constexpr uint32_t kRecordUp = 0x80;

}  // namespace

const char* CDeviceHook::MessageOfMode(uint32_t mode) {
    switch (mode) {
        case 0x1: return kMessages[0];
        case 0x2: return kMessages[1];
        case 0x4: return kMessages[2];
        case 0x8: return kMessages[5];
        case 0x10: return kMessages[6];
        case 0x20: return kMessages[4];
        case 0x100: return kMessages[7];
        case 0x200: return kMessages[8];
        case 0x400: return kMessages[9];
        default: return nullptr;
    }
}

int CDeviceHook::Install(uintptr_t owner, uint32_t mode, platform::WindowHandle target,
                         bool ownHook, bool outsideHook) {
    Uninstall();
    ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend();
    if (ownHook) {
        if (backend == nullptr) {
            return 0;
        }
        backend->SetKeyHook([this](const ui::IDisplayBackend::KeyHookEvent& event) {
            return OnKey(event.virtualKey, event.down);
        });
        installed_ = true;
    }
    outside_ = outsideHook;
    owner_ = owner;
    target_ = target;
    mode_ = mode;
    return 1;
}

void CDeviceHook::Uninstall() {
    if (installed_) {
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->SetKeyHook(nullptr);
        }
        installed_ = false;
    }
    outside_ = false;
}

bool CDeviceHook::OnKey(uint32_t virtualKey, bool down) {
    if (const char* name = MessageOfMode(mode_)) {
        LowLevelKeyRecord record;
        record.message = down ? kWmKeyDown : kWmKeyUp;
        record.vkCode = virtualKey;
        record.flags = down ? 0 : kRecordUp;
        record.time = static_cast<uint32_t>(platform::MonotonicMs());
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->loop().SendPayload(target_, platform::MessageRegistry::Register(name),
                                        record);
        }
    }
    // The lock keys still work; every other key is kept from the program's other uses.
    return virtualKey != kVkNumLock && virtualKey != kVkCapsLock && virtualKey != kVkScrollLock;
}

}  // namespace marlo::hook
