#pragma once

#include <filesystem>
#include <optional>

namespace marlo::platform {

// The program's private folder for sockets and locks: $XDG_RUNTIME_DIR/marlo-gear, or
// /tmp/marlo-gear-<uid> when the variable is not set. It is made with mode 0700; nothing when
// the variable holds a relative path, or the folder cannot be made or is not the user's own
// folder with no access for others.
std::optional<std::filesystem::path> PrivateRuntimeDir();

}  // namespace marlo::platform
