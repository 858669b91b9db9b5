#pragma once

#include <filesystem>
#include <optional>

namespace marlo::platform {

// Keeps a file that cannot be parsed before anything replaces it: it is renamed beside
// itself as "<name>.unreadable-YYYYMMDD-HHMMSS" (with "-N" added when that name is taken).
// Returns the backup's path, or nothing when the file is missing or could not be renamed.
std::optional<std::filesystem::path> KeepUnreadableFile(const std::filesystem::path& file);

}  // namespace marlo::platform
