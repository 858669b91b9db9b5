#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/MessageEndpoint.h"
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

// Hands a request of another program to a window on the UI thread: a post of an accepted
// message, or a copy-data block sent as WM_COPYDATA with the block as an owned payload. Runs
// on the endpoint's thread. A request the UI thread does not take within kDeliveryTimeoutMs is
// withdrawn and never delivered later. Returns "" when delivered, else the reason.
std::string DeliverToWindow(platform::MessageLoop& loop, const platform::EndpointRequest& request);

}  // namespace marlo::app
