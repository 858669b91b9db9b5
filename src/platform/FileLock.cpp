#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/Event.h"

namespace marlo::platform {

namespace {

std::filesystem::path WaitFile(const std::filesystem::path& file) {
    std::filesystem::path wait = file;
    wait += ".wait";
    return wait;
}

}  // namespace

FileLock::~FileLock() {
    Release();
}

FileLock::FileLock(FileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FileLock& FileLock::operator=(FileLock&& other) noexcept {
    if (this != &other) {
        Release();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

bool FileLock::Acquire(const std::filesystem::path& file, uint32_t waitMs) {
    Release();
    const int fd = open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    // flock has no timed form: try, and sleep a little between tries. The holders keep it
    // for milliseconds (one command's reports), so a short sleep costs little.
    const uint64_t start = MonotonicMs();
    int waiting = -1;  // the shared lock on "<file>.wait" while this waits
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = fd;
            break;
        }
        const uint32_t left = RemainingMs(waitMs, start);
        if ((errno != EWOULDBLOCK && errno != EINTR) || left == 0) {
            close(fd);
            break;
        }
        if (waiting < 0) {
            waiting = open(WaitFile(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
            if (waiting >= 0 && flock(waiting, LOCK_SH | LOCK_NB) != 0) {
                close(waiting);
                waiting = -1;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<uint32_t>(left, 1)));
    }
    if (waiting >= 0) {
        close(waiting);
    }
    return fd_ >= 0;
}

bool FileLock::Awaited(const std::filesystem::path& file) {
    const int fd = open(WaitFile(file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        return false;
    }
    const bool awaited = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return awaited;
}

uint64_t FileLock::SwapHolder(uint64_t holder) {
    uint64_t before = 0;
    if (fd_ < 0 || pread(fd_, &before, sizeof before, 0) != sizeof before) {
        before = 0;
    }
    if (fd_ >= 0 && pwrite(fd_, &holder, sizeof holder, 0) != sizeof holder) {
        return 0;  // unrecorded: the next holder will take it for another's and settle
    }
    return before;
}

void FileLock::Release() {
    if (fd_ >= 0) {
        close(fd_);  // closing the last descriptor of the open file drops the lock
        fd_ = -1;
    }
}

}  // namespace marlo::platform
