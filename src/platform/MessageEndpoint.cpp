#include "platform/MessageEndpoint.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/FdIo.h"
#include "platform/RuntimeDir.h"
#include "platform/UnixSocket.h"

namespace marlo::platform {

MessageEndpoint::MessageEndpoint() = default;

MessageEndpoint::~MessageEndpoint() {
    Stop();
}

std::optional<std::filesystem::path> MessageEndpoint::DefaultPath() {
    const auto dir = PrivateRuntimeDir();
    if (!dir) {
        return std::nullopt;
    }
    return *dir / "endpoint.sock";
}

bool MessageEndpoint::Listen(const std::filesystem::path& socketPath) {
    if (listenFd_ >= 0) {
        errno = EBUSY;
        return false;
    }
    const int fd = UnixSocket::Listen(socketPath, SOCK_STREAM, 16);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    if (stat(socketPath.c_str(), &st) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return false;
    }
    socketDevice_ = st.st_dev;
    socketInode_ = st.st_ino;
    listenFd_ = fd;
    path_ = socketPath;
    return true;
}

bool MessageEndpoint::Start(const std::filesystem::path& socketPath, Handler handler) {
    // Answered where it comes, on the endpoint's thread.
    return Start(
        socketPath,
        [handler = std::move(handler)](const EndpointRequest& request, EndpointReply reply) {
            reply.Settle(handler(request));
        },
        kRequestTimeoutMs);
}

bool MessageEndpoint::Start(const std::filesystem::path& socketPath, AsyncHandler handler,
                            uint32_t withdrawAfterMs) {
    if (!Listen(socketPath)) {
        return false;
    }
    server_ = std::make_unique<EndpointServer>(
        listenFd_, std::move(handler),
        EndpointServer::Limits{kMaxConnections, kMaxWaitingAnswers, kRequestTimeoutMs,
                               kIdleTimeoutMs, withdrawAfterMs});
    worker_.Start([this](Event& stop) { server_->Run(stop); }, "endpoint");
    return true;
}

void MessageEndpoint::Stop() {
    if (listenFd_ < 0) {
        return;
    }
    worker_.Stop(kInfinite);
    server_.reset();  // closes every connection
    close(listenFd_);
    listenFd_ = -1;
    // Only the socket this endpoint made: another program may have put its own there since.
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0 && st.st_dev == socketDevice_ && st.st_ino == socketInode_) {
        unlink(path_.c_str());
    }
}

std::string MessageEndpoint::Send(const std::filesystem::path& socketPath,
                                  const EndpointRequest& request, uint32_t timeoutMs) {
    const int fd = UnixSocket::Connect(socketPath, SOCK_STREAM);
    if (fd < 0) {
        return std::string("cannot reach the program: ") + std::strerror(errno);
    }
    timeval timeout{static_cast<time_t>(timeoutMs / 1000),
                    static_cast<suseconds_t>(timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string answer;
    // The answer is read even when the request could not be written whole: a program too busy
    // to take it answers and closes at once, maybe before the request was sent.
    WriteAll(fd, EndpointReader::Format(request));
    char buffer[256];
    for (ssize_t n; answer.size() < 4096 && (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        answer.append(buffer, static_cast<size_t>(n));
        if (answer.find('\n') != std::string::npos) {
            break;
        }
    }
    close(fd);
    if (answer == "ok\n") {
        return "";
    }
    if (answer.starts_with("error ") && answer.ends_with("\n")) {
        return answer.substr(6, answer.size() - 7);
    }
    return "no answer";
}

}  // namespace marlo::platform
