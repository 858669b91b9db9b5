#pragma once

#include <sys/un.h>

#include <filesystem>

namespace marlo::platform {

// Unix socket helpers shared by the simulator, the transport and the message endpoint.
class UnixSocket {
  public:
    // The address of a socket file; false when the path is too long for one.
    static bool Address(const std::filesystem::path& path, sockaddr_un& address);
    // A listening socket of `type` (SOCK_STREAM, SOCK_SEQPACKET) at `path`, replacing a stale
    // socket file; -1 on failure. Close-on-exec and non-blocking.
    static int Listen(const std::filesystem::path& path, int type, int backlog);
    // A connected socket of `type`, or -1.
    static int Connect(const std::filesystem::path& path, int type);
};

}  // namespace marlo::platform
