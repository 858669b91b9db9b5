#include "platform/FdIo.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace marlo::platform {

bool WriteAll(int fd, std::string_view bytes, uint32_t timeoutMs) {
    const uint64_t start = MonotonicMs();
    bool socket = true;
    while (!bytes.empty()) {
        ssize_t n = socket ? send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL) : -1;
        if (n < 0 && socket && errno == ENOTSOCK) {
            socket = false;
        }
        if (!socket) {
            n = write(fd, bytes.data(), bytes.size());
        }
        if (n > 0) {
            bytes.remove_prefix(static_cast<size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const uint32_t left = RemainingMs(timeoutMs, start);
            pollfd p{fd, POLLOUT, 0};
            if (left == 0 || poll(&p, 1, left == kInfinite ? -1 : static_cast<int>(left)) <= 0 ||
                (p.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                return false;
            }
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace marlo::platform
