#pragma once

#include <string>

#include "platform/MessageEndpoint.h"
#include "platform/MessageLoop.h"

namespace marlo::app {

// Hands a request of another program to a window on the UI thread: a post of a registered
// message (its name registered in this process, or a number such as "0xC15"), or a copy-data
// block sent as WM_COPYDATA. Runs on the endpoint's thread and waits for the UI thread (at
// most a few seconds); returns "" when delivered, else the reason.
std::string DeliverToWindow(platform::MessageLoop& loop, const platform::EndpointRequest& request);

}  // namespace marlo::app
