#include "platform/MessageEndpoint.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/FdIo.h"
#include "platform/RuntimeDir.h"
#include "platform/UnixSocket.h"

namespace marlo::platform {
namespace {

constexpr uint32_t kAnswerTimeoutMs = 1000;

}  // namespace

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

bool MessageEndpoint::Start(const std::filesystem::path& socketPath, Handler handler) {
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
    handler_ = std::move(handler);
    worker_.Start([this](Event& stop) { Serve(stop); });
    return true;
}

void MessageEndpoint::Stop() {
    if (listenFd_ < 0) {
        return;
    }
    worker_.Stop(kInfinite);
    close(listenFd_);
    listenFd_ = -1;
    // Only the socket this endpoint made: another program may have put its own there since.
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0 && st.st_dev == socketDevice_ && st.st_ino == socketInode_) {
        unlink(path_.c_str());
    }
}

void MessageEndpoint::Reap(bool all) {
    for (auto it = connections_.begin(); it != connections_.end();) {
        if (all || (*it)->finished) {
            (*it)->thread.join();
            it = connections_.erase(it);
        } else {
            ++it;
        }
    }
}

void MessageEndpoint::Serve(Event& stop) {
    for (;;) {
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {listenFd_, POLLIN, 0}};
        // Wakes now and then to join finished connections even when no new one comes.
        const int n = poll(fds, 2, connections_.empty() ? -1 : 100);
        if (n < 0 && errno != EINTR) {
            break;
        }
        if (fds[0].revents & POLLIN) {
            break;
        }
        Reap(false);
        if ((fds[1].revents & POLLIN) == 0) {
            continue;
        }
        const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            continue;
        }
        if (connections_.size() >= kMaxConnections) {
            WriteAll(client, "error busy\n", 100);
            close(client);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        Connection* raw = connection.get();
        connection->thread = std::thread([this, client, raw, &stop] {
            Answer(client, stop);
            // Closing with the peer's bytes unread would reset the connection and lose the
            // answer: finish writing, then take what is left for a moment.
            shutdown(client, SHUT_WR);
            const uint64_t start = MonotonicMs();
            char discard[4096];
            for (uint32_t left; (left = RemainingMs(200, start)) > 0;) {
                pollfd p[2] = {{client, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
                if (poll(p, 2, static_cast<int>(left)) <= 0 || (p[1].revents & POLLIN) ||
                    recv(client, discard, sizeof discard, 0) <= 0) {
                    break;
                }
            }
            close(client);
            raw->finished = true;
        });
        connections_.push_back(std::move(connection));
    }
    Reap(true);
}

void MessageEndpoint::Answer(int client, Event& stop) {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != getuid()) {
        DebugOutput::Printf("refused a message from user %u", peer.uid);
        WriteAll(client, "error refused: another user\n", kAnswerTimeoutMs);
        return;
    }
    // Read until the request is whole, turns out malformed, the peer stops, or time is up.
    EndpointReader reader;
    const uint64_t start = MonotonicMs();
    while (reader.state() == EndpointReader::State::kIncomplete) {
        const uint32_t left = RemainingMs(kRequestTimeoutMs, start);
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {client, POLLIN, 0}};
        if (left == 0 || poll(fds, 2, static_cast<int>(left)) <= 0 || (fds[0].revents & POLLIN)) {
            break;
        }
        char buffer[65536];
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        reader.Feed(std::string_view(buffer, static_cast<size_t>(n)));
    }
    if (reader.state() != EndpointReader::State::kComplete) {
        WriteAll(client, "error malformed request\n", kAnswerTimeoutMs);
        return;
    }
    const std::string error = handler_(reader.request());
    WriteAll(client, error.empty() ? "ok\n" : "error " + error + "\n", kAnswerTimeoutMs);
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
