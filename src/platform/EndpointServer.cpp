#include "platform/EndpointServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/DebugOutput.h"
#include "platform/EndpointReader.h"
#include "platform/FdIo.h"

namespace marlo::platform {
namespace {

// How long a connection that is done is still read (and its bytes dropped) after its last
// answer: closing with the peer's bytes unread would reset it and lose the answer.
constexpr uint32_t kDrainMs = 200;
constexpr size_t kReadChunk = 65536;

uint64_t Deadline(uint64_t start, uint32_t ms) {
    return start + ms;
}

}  // namespace

EndpointServer::EndpointServer(int listenFd, Handler handler, Limits limits)
    : listenFd_(listenFd),
      handler_(std::move(handler)),
      limits_(limits),
      answered_(std::make_shared<Event>(Event::Reset::kAuto)) {}

EndpointServer::~EndpointServer() {
    for (Connection& c : connections_) {
        close(c.fd);
    }
}

void EndpointServer::Answer(Connection& c, const std::string& error) {
    c.out += error.empty() ? "ok\n" : "error " + error + "\n";
}

void EndpointServer::Accept(uint64_t now) {
    for (;;) {
        const int client = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (client < 0) {
            return;
        }
        if (connections_.size() >= limits_.maxConnections) {
            WriteAll(client, "error busy\n", 100);
            close(client);
            continue;
        }
        Connection& c = connections_.emplace_back();
        c.fd = client;
        c.requestStartMs = now;
        ucred peer{};
        socklen_t length = sizeof peer;
        if (getsockopt(client, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
            peer.uid != getuid()) {
            DebugOutput::Printf("refused a message from user %u", peer.uid);
            Answer(c, "refused: another user");
            c.closing = true;
        }
    }
}

void EndpointServer::Receive(Connection& c, uint64_t now) {
    char buffer[kReadChunk];
    for (;;) {
        const ssize_t n = recv(c.fd, buffer, sizeof buffer, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                c.peerDone = true;
            }
            break;
        }
        if (n == 0) {
            c.peerDone = true;
            break;
        }
        if (c.closing) {
            continue;  // done with it: what comes is dropped
        }
        if (c.in.empty()) {
            c.requestStartMs = now;
        }
        c.in.append(buffer, static_cast<size_t>(n));
        TakeRequests(c, now);
        if (c.in.size() > EndpointReader::kMaxRequest || c.closing ||
            c.waiting.size() >= limits_.maxWaitingAnswers) {
            break;  // the rest waits in the socket
        }
    }
    if (c.peerDone && !c.in.empty() && !c.closing) {
        Answer(c, "malformed request");  // cut short
        c.in.clear();
        c.closing = true;
    }
}

void EndpointServer::TakeRequests(Connection& c, uint64_t now) {
    while (!c.in.empty() && !c.closing && c.waiting.size() < limits_.maxWaitingAnswers) {
        EndpointReader reader;
        const EndpointReader::State state = reader.Feed(c.in);
        if (state == EndpointReader::State::kIncomplete) {
            return;
        }
        if (state == EndpointReader::State::kMalformed) {
            // Answered after the answers of the requests before it, then the end.
            Waiting refused{EndpointReply(answered_), now};
            refused.reply.Settle("malformed request");
            c.waiting.push_back(std::move(refused));
            c.in.clear();
            c.closing = true;
            return;
        }
        c.in.erase(0, reader.consumed());
        c.requestStartMs = now;
        c.lastActiveMs = now;
        c.hadRequest = true;
        Waiting waiting{EndpointReply(answered_), Deadline(now, limits_.withdrawAfterMs)};
        c.waiting.push_back(waiting);
        handler_(reader.request(), waiting.reply);
    }
}

bool EndpointServer::Advance(Connection& c, uint64_t now) {
    for (Waiting& w : c.waiting) {
        if (now >= w.withdrawAtMs) {
            w.reply.Withdraw(kWithdrawn);  // nothing once it was claimed
        }
    }
    while (!c.waiting.empty()) {
        const auto answer = c.waiting.front().reply.answer();
        if (!answer) {
            break;
        }
        Answer(c, *answer);
        c.waiting.pop_front();
        c.lastActiveMs = now;
    }
    if (c.closing) {
        if (!c.out.empty() || !c.waiting.empty()) {
            return true;
        }
        if (c.drainUntilMs == 0 && !c.peerDone) {
            shutdown(c.fd, SHUT_WR);
            c.drainUntilMs = Deadline(now, kDrainMs);
            return true;
        }
        return !c.peerDone && now < c.drainUntilMs;
    }
    if (!c.waiting.empty() || !c.out.empty()) {
        return true;
    }
    if (c.in.empty() && c.peerDone && c.hadRequest) {
        return false;  // the peer said all it had and has its answers
    }
    if (c.in.empty() && c.peerDone) {
        Answer(c, "malformed request");  // closed without a request
        c.closing = true;
        return true;
    }
    if (now < DeadlineOf(c)) {
        return true;
    }
    if (c.in.empty() && c.hadRequest) {
        return false;  // kept, and idle too long
    }
    Answer(c, "malformed request");  // never came whole
    c.in.clear();
    c.closing = true;
    return true;
}

uint64_t EndpointServer::DeadlineOf(const Connection& c) const {
    if (c.closing) {
        return c.drainUntilMs != 0 ? c.drainUntilMs : UINT64_MAX;
    }
    uint64_t next = UINT64_MAX;
    for (const Waiting& w : c.waiting) {
        if (!w.reply.answer()) {
            next = std::min(next, w.withdrawAtMs);
        }
    }
    if (!c.waiting.empty()) {
        return next;
    }
    if (c.in.empty() && c.hadRequest) {
        return Deadline(c.lastActiveMs, limits_.idleTimeoutMs);
    }
    return Deadline(c.requestStartMs, limits_.requestTimeoutMs);
}

void EndpointServer::Send(Connection& c) {
    while (!c.out.empty()) {
        const ssize_t n = send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                c.out.clear();
                c.peerDone = true;
                c.closing = true;
            }
            return;
        }
        c.out.erase(0, static_cast<size_t>(n));
    }
}

int EndpointServer::NextTimeout(uint64_t now) const {
    uint64_t next = UINT64_MAX;
    for (const Connection& c : connections_) {
        next = std::min(next, DeadlineOf(c));
    }
    if (next == UINT64_MAX) {
        return -1;
    }
    return next <= now ? 0 : static_cast<int>(std::min<uint64_t>(next - now, 60000));
}

void EndpointServer::Run(Event& stop) {
    std::vector<pollfd> fds;
    for (;;) {
        const uint64_t now = MonotonicMs();
        fds.assign({{stop.fd(), POLLIN, 0}, {answered_->fd(), POLLIN, 0}, {listenFd_, POLLIN, 0}});
        for (const Connection& c : connections_) {
            short events = 0;
            if (!c.peerDone && (c.drainUntilMs != 0 ||
                                (!c.closing && c.waiting.size() < limits_.maxWaitingAnswers))) {
                events |= POLLIN;
            }
            if (!c.out.empty()) {
                events |= POLLOUT;
            }
            fds.push_back({c.fd, events, 0});
        }
        const int n = poll(fds.data(), fds.size(), NextTimeout(now));
        if (n < 0 && errno != EINTR) {
            DebugOutput::Printf("the message endpoint stopped: %s", std::strerror(errno));
            return;
        }
        if (fds[0].revents & POLLIN) {
            return;
        }
        if (fds[1].revents & POLLIN) {
            answered_->TryConsume();
        }
        const uint64_t later = MonotonicMs();
        size_t i = 3;
        for (auto it = connections_.begin(); it != connections_.end(); ++i) {
            Connection& c = *it;
            const short revents = i < fds.size() ? fds[i].revents : 0;
            if (revents & (POLLHUP | POLLERR)) {
                // Gone both ways: nobody is left to answer.
                close(c.fd);
                it = connections_.erase(it);
                continue;
            }
            if (revents & POLLIN) {
                Receive(c, later);
            }
            // A request held back while answers waited may be whole in `in` already.
            TakeRequests(c, later);
            bool keep = Advance(c, later);
            Send(c);
            if (keep && c.closing && c.out.empty() && c.waiting.empty()) {
                keep = Advance(c, later);  // all written: on to the end
            }
            if (keep) {
                ++it;
            } else {
                close(c.fd);
                it = connections_.erase(it);
            }
        }
        if (fds[2].revents & POLLIN) {
            Accept(later);
        }
    }
}

}  // namespace marlo::platform
