#pragma once

#include <cstdint>
#include <string_view>

#include "platform/Event.h"

namespace marlo::platform {

// Writes all of `bytes` to a file, pipe or socket, blocking or not, within `timeoutMs`
// (kInfinite: no limit). A peer that has gone away makes it fail, never raises SIGPIPE; a
// peer that stops reading makes it fail when the time is up. False unless everything went.
bool WriteAll(int fd, std::string_view bytes, uint32_t timeoutMs = kInfinite);

}  // namespace marlo::platform
