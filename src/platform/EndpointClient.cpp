#include "platform/EndpointClient.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/EndpointReader.h"
#include "platform/Event.h"
#include "platform/FdIo.h"
#include "platform/UnixSocket.h"

namespace marlo::platform {

EndpointClient::EndpointClient(std::filesystem::path socketPath) : path_(std::move(socketPath)) {}

EndpointClient::~EndpointClient() {
    Close();
}

void EndpointClient::Close() {
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
    }
}

std::string EndpointClient::Try(const std::string& bytes, uint32_t timeoutMs, bool& sent) {
    sent = false;
    if (fd_ < 0) {
        fd_ = UnixSocket::Connect(path_, SOCK_STREAM);
        if (fd_ < 0) {
            return std::string("cannot reach the program: ") + std::strerror(errno);
        }
    }
    if (!WriteAll(fd_, bytes, timeoutMs)) {
        Close();
        return "the request could not be sent";
    }
    sent = true;
    std::string answer;
    const uint64_t start = MonotonicMs();
    while (answer.find('\n') == std::string::npos && answer.size() < 4096) {
        const uint32_t left = RemainingMs(timeoutMs, start);
        pollfd p{fd_, POLLIN, 0};
        if (left == 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
            Close();  // an answer may still come: this connection can no longer be trusted
            return "no answer";
        }
        char buffer[256];
        const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n <= 0) {
            Close();
            return answer.empty() ? "closed" : "no answer";
        }
        answer.append(buffer, static_cast<size_t>(n));
    }
    const size_t end = answer.find('\n');
    if (end != answer.size() - 1) {
        Close();  // more than one answer to one request: not the endpoint we know
        return "no answer";
    }
    if (answer == "ok\n") {
        return "";
    }
    if (answer.starts_with("error ")) {
        if (answer == "error busy\n" || answer == "error malformed request\n") {
            Close();  // the endpoint closes these
        }
        return answer.substr(6, answer.size() - 7);
    }
    Close();
    return "no answer";
}

std::string EndpointClient::Send(const EndpointRequest& request, uint32_t timeoutMs) {
    const std::string bytes = EndpointReader::Format(request);
    const bool kept = fd_ >= 0;
    bool sent = false;
    std::string error = Try(bytes, timeoutMs, sent);
    // A kept connection the endpoint had closed meanwhile fails at once: once more, anew.
    if (kept && fd_ < 0 && (error == "closed" || !sent)) {
        error = Try(bytes, timeoutMs, sent);
    }
    return error;
}

}  // namespace marlo::platform
