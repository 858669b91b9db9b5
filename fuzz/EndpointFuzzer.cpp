// Any bytes from another program as an endpoint request parse to a request or to nothing,
// and what parses formats back to the same request.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/MessageEndpoint.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using marlo::platform::MessageEndpoint;
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto request = MessageEndpoint::Parse(text);
    if (request) {
        const auto again = MessageEndpoint::Parse(MessageEndpoint::Format(*request));
        if (!again || again->window != request->window || again->message != request->message ||
            again->data != request->data || again->wParam != request->wParam ||
            again->lParam != request->lParam) {
            std::abort();
        }
    }
    return 0;
}
