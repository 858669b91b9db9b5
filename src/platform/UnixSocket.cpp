#include "platform/UnixSocket.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace marlo::platform {

bool UnixSocket::Address(const std::filesystem::path& path, sockaddr_un& address) {
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address.sun_path) {
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.native().size() + 1);
    return true;
}

int UnixSocket::Listen(const std::filesystem::path& path, int type, int backlog) {
    sockaddr_un address{};
    if (!Address(path, address)) {
        return -1;
    }
    const int fd = socket(AF_UNIX, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, backlog) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int UnixSocket::Connect(const std::filesystem::path& path, int type) {
    sockaddr_un address{};
    if (!Address(path, address)) {
        return -1;
    }
    const int fd = socket(AF_UNIX, type | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace marlo::platform
