#include "hook/DeviceHook.h"

#include "hook/OutsideQueue.h"

#include "hook/OutsideRoute.h"
#include "platform/Event.h"
#include "platform/MessageRegistry.h"
#include "ui/DisplayBackend.h"
#include "ui/PaintManagerUI.h"

namespace marlo::hook {
namespace {

constexpr uint32_t kVkNumLock = 0x90;
constexpr uint32_t kVkCapsLock = 0x14;
constexpr uint32_t kVkScrollLock = 0x91;

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

CDeviceHook::CDeviceHook(std::string inputDirectory) : outside_(std::move(inputDirectory)) {}

CDeviceHook::~CDeviceHook() { Uninstall(); }

int CDeviceHook::Install(uintptr_t owner, uint32_t mode, platform::WindowHandle target,
                         bool ownHook, bool outsideHook) {
    Uninstall();
    ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend();
    if (backend == nullptr && (ownHook || outsideHook)) {
        return 0;
    }
    if (ownHook) {
        backend->SetKeyHook([this](const ui::IDisplayBackend::KeyHookEvent& event) {
            return OnKey(event.virtualKey, event.down);
        });
        installed_ = true;
    }
    if (outsideHook) {
        auto route = std::make_shared<const COutsideRoute>(target, mode, ownHook);
        route_ = route;
        platform::MessageLoop& loop = backend->loop();
        // The reader's thread queues the inputs (bounded, movement summed) and hands the UI
        // thread one call for whatever waits, for as long as the route lives.
        auto queue = std::make_shared<COutsideQueue>();
        outside_.Start([&loop, queue, weak = std::weak_ptr<const COutsideRoute>(route)](
                           const OutsideInput& input) {
            if (!queue->Push(input)) {
                return;  // a call is on its way already
            }
            loop.Post([weak, queue] {
                const std::vector<OutsideInput> inputs = queue->Take();
                const auto live = weak.lock();
                ui::IDisplayBackend* current = ui::CPaintManagerUI::GetBackend();
                if (!live || current == nullptr) {
                    return;
                }
                for (const OutsideInput& each : inputs) {
                    live->Deliver(each, *current);
                }
            });
        });
    }
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
    outside_.Stop();
    route_.reset();
}

bool CDeviceHook::OnKey(uint32_t virtualKey, bool down) {
    if (const char* name = MessageOfMode(mode_)) {
        const auto now = static_cast<uint32_t>(platform::MonotonicMs());
        if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
            backend->loop().SendPayload(target_, platform::MessageRegistry::Register(name),
                                        LowLevelKeyRecord::Of(virtualKey, down, now));
        }
    }
    // The lock keys still work; every other key is kept from the program's other uses.
    return virtualKey != kVkNumLock && virtualKey != kVkCapsLock && virtualKey != kVkScrollLock;
}

}  // namespace marlo::hook
