#include "platform/MessageEndpoint.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

#include "platform/DebugOutput.h"
#include "platform/RuntimeDir.h"
#include "platform/UnixSocket.h"

namespace marlo::platform {
namespace {

constexpr uint32_t kRequestTimeoutMs = 2000;
constexpr size_t kMaxHeader = 4096;

bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// The next line of `text` from `pos`, without its line end.
std::optional<std::string> Line(const std::string& text, size_t& pos) {
    const size_t end = text.find('\n', pos);
    if (end == std::string::npos) {
        return std::nullopt;
    }
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    return line;
}

template <typename T>
std::optional<T> Number(const std::optional<std::string>& text) {
    if (!text)
        return std::nullopt;
    T value{};
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc() || end != text->data() + text->size() || text->empty())
        return std::nullopt;
    return value;
}

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
        return false;
    }
    // A socket file left by a program that ended without cleaning up is replaced.
    const int fd = UnixSocket::Listen(socketPath, SOCK_STREAM, 16);
    if (fd < 0) {
        return false;
    }
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
    unlink(path_.c_str());
}

void MessageEndpoint::Serve(Event& stop) {
    for (;;) {
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {listenFd_, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents & POLLIN) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (client >= 0) {
                Answer(client, stop);
                // Closing with the peer's bytes unread would reset the connection and lose the
                // answer: finish writing, then take what is left for a moment.
                shutdown(client, SHUT_WR);
                const uint64_t start = MonotonicMs();
                char discard[4096];
                for (uint32_t left; (left = RemainingMs(200, start)) > 0;) {
                    pollfd p{client, POLLIN, 0};
                    if (poll(&p, 1, static_cast<int>(left)) <= 0 ||
                        recv(client, discard, sizeof discard, 0) <= 0) {
                        break;
                    }
                }
                close(client);
            }
        }
    }
}

void MessageEndpoint::Answer(int client, Event& stop) {
    ucred peer{};
    socklen_t length = sizeof peer;
    if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 || peer.uid != getuid()) {
        DebugOutput::Printf("refused a message from user %u", peer.uid);
        WriteAll(client, "error refused: another user\n");
        return;
    }
    // Read until the request is complete, the peer stops writing, or the time is up.
    std::string text;
    const uint64_t start = MonotonicMs();
    for (;;) {
        if (const auto request = Parse(text)) {
            const std::string error = handler_(*request);
            WriteAll(client, error.empty() ? "ok\n" : "error " + error + "\n");
            return;
        }
        if (text.size() > kMaxHeader + kMaxData) {
            break;
        }
        const uint32_t left = RemainingMs(kRequestTimeoutMs, start);
        pollfd fds[2] = {{stop.fd(), POLLIN, 0}, {client, POLLIN, 0}};
        if (left == 0 || poll(fds, 2, static_cast<int>(left)) <= 0 || (fds[0].revents & POLLIN)) {
            break;
        }
        char buffer[65536];
        const ssize_t n = recv(client, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (n <= 0)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    WriteAll(client, "error malformed request\n");
}

std::optional<EndpointRequest> MessageEndpoint::Parse(const std::string& text) {
    size_t pos = 0;
    const auto kind = Line(text, pos);
    const auto window = Line(text, pos);
    if (!kind || !window || window->size() > kMaxHeader) {
        return std::nullopt;
    }
    EndpointRequest request;
    request.window = *window;
    if (*kind == "post") {
        const auto message = Line(text, pos);
        const auto w = Number<uint64_t>(Line(text, pos));
        const auto l = Number<int64_t>(Line(text, pos));
        if (!message || message->empty() || !w || !l) {
            return std::nullopt;
        }
        request.kind = EndpointRequest::Kind::kPost;
        request.message = *message;
        request.wParam = *w;
        request.lParam = *l;
        return request;
    }
    if (*kind == "copydata") {
        const auto dataKind = Number<uint32_t>(Line(text, pos));
        const auto size = Number<size_t>(Line(text, pos));
        if (!dataKind || !size || *size > kMaxData || text.size() - pos < *size) {
            return std::nullopt;
        }
        request.kind = EndpointRequest::Kind::kCopyData;
        request.dataKind = *dataKind;
        request.data = text.substr(pos, *size);
        return request;
    }
    return std::nullopt;
}

std::string MessageEndpoint::Format(const EndpointRequest& r) {
    if (r.kind == EndpointRequest::Kind::kPost) {
        return "post\n" + r.window + "\n" + r.message + "\n" + std::to_string(r.wParam) + "\n" +
               std::to_string(r.lParam) + "\n";
    }
    return "copydata\n" + r.window + "\n" + std::to_string(r.dataKind) + "\n" +
           std::to_string(r.data.size()) + "\n" + r.data;
}

std::string MessageEndpoint::Send(const std::filesystem::path& socketPath,
                                  const EndpointRequest& request) {
    const int fd = UnixSocket::Connect(socketPath, SOCK_STREAM);
    if (fd < 0) {
        return std::string("cannot reach the program: ") + std::strerror(errno);
    }
    timeval timeout{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::string answer;
    if (WriteAll(fd, Format(request))) {
        char buffer[256];
        for (ssize_t n; (n = recv(fd, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<size_t>(n));
            if (answer.find('\n') != std::string::npos)
                break;
        }
    }
    close(fd);
    if (answer == "ok\n") {
        return "";
    }
    if (answer.starts_with("error ")) {
        return answer.substr(6, answer.size() - 7);
    }
    return "no answer";
}

}  // namespace marlo::platform
