#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/EndpointRequest.h"

namespace marlo::platform {

// Collects the bytes of one endpoint request as they arrive and tells when it is whole:
//   post\n<window>\n<message name>\n<wParam>\n<lParam>\n
//   copydata\n<window>\n<kind>\n<length>\n<bytes>
// Anything else is refused as soon as it cannot become a request: an unknown kind, a header
// line over kMaxLine bytes, a number that is not one, a block over kMaxData.
class EndpointReader {
  public:
    static constexpr size_t kMaxLine = 4096;
    static constexpr size_t kMaxData = 1024 * 1024;
    static constexpr size_t kMaxRequest = 5 * (kMaxLine + 1) + kMaxData;

    enum class State { kIncomplete, kComplete, kMalformed };

    // Takes more bytes; the state after them. Bytes after a complete request are ignored.
    State Feed(std::string_view bytes);
    State state() const { return state_; }
    // The request, once complete, and how many of the bytes fed it took: what follows them
    // is the next request of the connection.
    const EndpointRequest& request() const { return request_; }
    size_t consumed() const { return consumed_; }

    // A whole request's text, or nothing when `text` is not exactly one well-formed request.
    static std::optional<EndpointRequest> Parse(std::string_view text);
    static std::string Format(const EndpointRequest& request);

  private:
    // Looks at what has come so far: complete, malformed, or still incomplete.
    State Examine();

    std::string text_;
    State state_ = State::kIncomplete;
    EndpointRequest request_;
    size_t consumed_ = 0;
};

}  // namespace marlo::platform
