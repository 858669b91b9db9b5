#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace marlo::platform {

SingleInstance::SingleInstance(const std::filesystem::path& lockFile)
    : fd_(open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    if (fd_ < 0) {
        first_ = true;  // without a lock file, start as the first instance
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        first_ = true;
    } else {
        anotherRunning_ = errno == EWOULDBLOCK;
        first_ = !anotherRunning_;
    }
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

}  // namespace marlo::platform
