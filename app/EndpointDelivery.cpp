#include "EndpointDelivery.h"

#include "platform/MessageRegistry.h"
#include "platform/NumberText.h"
#include "ui/UIDefs.h"
#include "ui/WindowWnd.h"

namespace marlo::app {
namespace {

constexpr uint32_t kAcceptedPrivate[] = {0xC00, 0xC15, 0x218};

// What the UI thread found, as the call's result.
enum Delivery : intptr_t { kDelivered, kNoWindow, kNotPosted };

}  // namespace

std::optional<uint32_t> AcceptedMessage(const std::string& name) {
    if (const auto number = platform::NumberText::Parse<uint32_t>(name)) {
        for (const uint32_t accepted : kAcceptedPrivate) {
            if (*number == accepted) {
                return accepted;
            }
        }
        if (!platform::MessageRegistry::NameOf(*number).empty()) {
            return *number;
        }
        return std::nullopt;
    }
    // Only names this program registered itself: another program cannot grow the registry.
    if (const uint32_t registered = platform::MessageRegistry::Find(name); registered != 0) {
        return registered;
    }
    return std::nullopt;
}

std::string DeliverToWindow(platform::MessageLoop& loop, const platform::EndpointRequest& request) {
    uint32_t message = ui::kWmCopyData;
    if (request.kind == platform::EndpointRequest::Kind::kPost) {
        const auto accepted = AcceptedMessage(request.message);
        if (!accepted) {
            return "message " + request.message + " is not accepted from other programs";
        }
        message = *accepted;
    }
    const std::string target = request.window.empty() ? "MainWnd" : request.window;
    const auto delivered = loop.CallWithin(
        [&request, &target, message]() -> intptr_t {
            ui::CWindowWnd* window = ui::CWindowWnd::FindWindow(target);
            if (window == nullptr) {
                return kNoWindow;
            }
            if (request.kind == platform::EndpointRequest::Kind::kPost) {
                return window->PostMessage(message, request.wParam,
                                           static_cast<intptr_t>(request.lParam))
                           ? kDelivered
                           : kNotPosted;
            }
            window->SendPayload(ui::kWmCopyData, ui::CopyDataBlock{request.dataKind, request.data});
            return kDelivered;
        },
        kDeliveryTimeoutMs);
    // The call either ran to its end (what it refers to stays valid until then: CallWithin
    // waits for a started call) or was withdrawn before it started.
    if (!delivered) {
        return "the program did not take the request in time; it was withdrawn";
    }
    switch (*delivered) {
        case kNoWindow:
            return "no window " + target;
        case kNotPosted:
            return "cannot post " + request.message;
        default:
            return "";
    }
}

}  // namespace marlo::app
