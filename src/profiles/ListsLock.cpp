#include "profiles/ListsLock.h"

namespace marlo::profiles {

std::optional<platform::FileLock> LockListsFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    platform::FileLock lock;
    if (!lock.Acquire(folder / kListsLockName, kListsLockWaitMs)) {
        return std::nullopt;
    }
    return lock;
}

}  // namespace marlo::profiles
