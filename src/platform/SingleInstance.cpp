#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace marlo::platform {

SingleInstance::SingleInstance(const std::filesystem::path& lockFile)
    : fd_(open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600)) {
    if (fd_ < 0) {
        error_ = "cannot open the instance lock " + lockFile.string() + ": " + std::strerror(errno);
        return;
    }
    if (flock(fd_, LOCK_EX | LOCK_NB) == 0) {
        state_ = State::kFirst;
    } else if (errno == EWOULDBLOCK) {
        state_ = State::kAnotherRunning;
    } else {
        error_ = "cannot take the instance lock " + lockFile.string() + ": " + std::strerror(errno);
    }
}

SingleInstance::~SingleInstance() {
    if (fd_ >= 0) {
        close(fd_);
    }
}

}  // namespace marlo::platform
