#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>

#include "platform/FileLock.h"

namespace marlo::profiles {

// The lock a device folder's list operations hold (the profile list's and the macro index's),
// across read, change and write, in the program and the CLI alike: ".lists.lock" in the
// folder, made with the folder when missing. Nothing when it could not be had in time.
std::optional<platform::FileLock> LockListsFolder(const std::filesystem::path& folder);

inline constexpr const char* kListsLockName = ".lists.lock";
inline constexpr uint32_t kListsLockWaitMs = 10000;

}  // namespace marlo::profiles
