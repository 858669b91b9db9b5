#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/EndpointReply.h"
#include "platform/EndpointRequest.h"
#include "platform/MessageLoop.h"

namespace marlo::app {

// The longest a request of another program waits for the UI thread before it is withdrawn.
inline constexpr uint32_t kDeliveryTimeoutMs = 3000;

// The message number a request of another program may post, or nothing when it is not one
// that other programs may send: a message registered in this process (by its name, or by its
// number), or one of the private messages meant for them (progress shown 0xC00, open settings
// 0xC15, and the power broadcast 0x218 that tests send in place of the sleep signal). No
// message whose parameters could carry a pointer (copy-data, menu commands, ...) is accepted.
std::optional<uint32_t> AcceptedMessage(const std::string& name);

// Hands the requests of other programs to the windows on the UI thread, never waiting for it:
// a post of an accepted message, or a copy-data block sent as WM_COPYDATA with the block as an
// owned payload. Each is posted to the UI thread, which claims it when it gets to it (a request
// the endpoint withdrew meanwhile is dropped) and answers "" or the reason.
//
// The audio companion's spectra (copy-data kind 1 to the main window) come many times a second:
// only the newest waits for the UI thread. A spectrum is answered at once, and one that a newer
// spectrum replaced before the UI thread got to it is dropped, so a busy UI thread never has a
// queue of them.
class CEndpointDelivery {
  public:
    explicit CEndpointDelivery(platform::MessageLoop& loop);
    // Runs on the endpoint's thread.
    void Deliver(const platform::EndpointRequest& request, platform::EndpointReply reply);

  private:
    struct Mailbox;

    platform::MessageLoop& loop_;
    std::shared_ptr<Mailbox> spectra_;
};

}  // namespace marlo::app
