#include "EndpointDelivery.h"

#include <mutex>

#include "platform/MessageRegistry.h"
#include "platform/NumberText.h"
#include "ui/UIDefs.h"
#include "ui/WindowWnd.h"

namespace marlo::app {
namespace {

constexpr uint32_t kAcceptedPrivate[] = {0xC00, 0xC15, 0x218};
constexpr uint32_t kSpectrumKind = 1;

// On the UI thread: the request to its window; "" when delivered, else the reason.
std::string DeliverNow(const platform::EndpointRequest& request, uint32_t message) {
    const std::string target = request.window.empty() ? "MainWnd" : request.window;
    ui::CWindowWnd* window = ui::CWindowWnd::FindWindow(target);
    if (window == nullptr) {
        return "no window " + target;
    }
    if (request.kind == platform::EndpointRequest::Kind::kPost) {
        return window->PostMessage(message, request.wParam, static_cast<intptr_t>(request.lParam))
                   ? ""
                   : "cannot post " + request.message;
    }
    window->SendPayload(ui::kWmCopyData, ui::CopyDataBlock{request.dataKind, request.data});
    return "";
}

bool IsSpectrum(const platform::EndpointRequest& request) {
    return request.kind == platform::EndpointRequest::Kind::kCopyData &&
           request.dataKind == kSpectrumKind &&
           (request.window.empty() || request.window == "MainWnd");
}

}  // namespace

// The newest spectrum not yet delivered, and whether a call to deliver it is on its way.
struct CEndpointDelivery::Mailbox {
    std::mutex mutex;
    std::optional<platform::EndpointRequest> newest;
    bool posted = false;
};

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

CEndpointDelivery::CEndpointDelivery(platform::MessageLoop& loop)
    : loop_(loop), spectra_(std::make_shared<Mailbox>()) {}

void CEndpointDelivery::Deliver(const platform::EndpointRequest& request,
                                platform::EndpointReply reply) {
    uint32_t message = ui::kWmCopyData;
    if (request.kind == platform::EndpointRequest::Kind::kPost) {
        const auto accepted = AcceptedMessage(request.message);
        if (!accepted) {
            reply.Settle("message " + request.message + " is not accepted from other programs");
            return;
        }
        message = *accepted;
    }
    if (IsSpectrum(request)) {
        if (!reply.Settle("")) {
            return;
        }
        std::lock_guard lock(spectra_->mutex);
        spectra_->newest = request;  // one that still waited is replaced
        if (spectra_->posted) {
            return;
        }
        spectra_->posted = true;
        loop_.Post([mailbox = spectra_] {
            std::optional<platform::EndpointRequest> newest;
            {
                std::lock_guard taken(mailbox->mutex);
                newest.swap(mailbox->newest);
                mailbox->posted = false;
            }
            if (newest) {
                DeliverNow(*newest, ui::kWmCopyData);
            }
        });
        return;
    }
    loop_.Post([request, reply, message] {
        if (reply.Claim()) {  // not withdrawn meanwhile
            reply.Answer(DeliverNow(request, message));
        }
    });
}

}  // namespace marlo::app
