#pragma once

#include <cstdint>
#include <string>

namespace marlo::platform {

// What another program asks of a window: post a message by name (or by an accepted number),
// or send a copy-data block of a kind. Only numbers and owned bytes: nothing in it points
// anywhere.
struct EndpointRequest {
    enum class Kind { kPost, kCopyData };
    Kind kind = Kind::kPost;
    std::string window;   // class name or title; empty: the main window
    std::string message;  // message name or number (posts)
    uint64_t wParam = 0;
    int64_t lParam = 0;
    uint32_t dataKind = 0;
    std::string data;  // copy-data bytes
};

}  // namespace marlo::platform
