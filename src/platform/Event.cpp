#include "platform/Event.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <stdexcept>
#include <vector>

namespace marlo::platform {

Event::Event(Reset reset, bool initiallySignalled)
    : reset_(reset), fd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0) {
        // Without an event no worker could ever be stopped; this is not a recoverable state.
        throw std::runtime_error("eventfd failed");
    }
    if (initiallySignalled) {
        Set();
    }
}

Event::~Event() {
    close(fd_);
}

void Event::Set() {
    const uint64_t one = 1;
    // A counter that is already high only means "still signalled"; EAGAIN cannot lose that.
    while (write(fd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void Event::ResetEvent() {
    uint64_t value = 0;
    while (read(fd_, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

bool Event::TryConsume() {
    if (reset_ == Reset::kAuto) {
        uint64_t value = 0;
        ssize_t n;
        do {
            n = read(fd_, &value, sizeof value);
        } while (n < 0 && errno == EINTR);
        return n == sizeof value;
    }
    pollfd p{fd_, POLLIN, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLIN) != 0;
}

bool Event::Wait(uint32_t timeoutMs) {
    Event* self = this;
    return WaitAny(std::span<Event* const>(&self, 1), timeoutMs).has_value();
}

uint64_t MonotonicMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint32_t RemainingMs(uint32_t timeoutMs, uint64_t startMs) {
    if (timeoutMs == kInfinite) {
        return kInfinite;
    }
    const uint64_t elapsed = MonotonicMs() - startMs;
    return elapsed >= timeoutMs ? 0 : static_cast<uint32_t>(timeoutMs - elapsed);
}

std::optional<size_t> WaitAny(std::span<Event* const> events, uint32_t timeoutMs) {
    std::vector<pollfd> fds(events.size());
    for (size_t i = 0; i < events.size(); ++i) {
        fds[i] = pollfd{events[i]->fd(), POLLIN, 0};
    }
    const uint64_t start = MonotonicMs();
    for (;;) {
        // Check in index order first, so the lowest signalled index wins and an auto-reset
        // event taken by another waiter between poll() and read() is simply waited for again.
        for (size_t i = 0; i < events.size(); ++i) {
            if (events[i]->TryConsume()) {
                return i;
            }
        }
        const uint32_t left = RemainingMs(timeoutMs, start);
        if (left == 0) {
            return std::nullopt;
        }
        const int pollMs =
            left == kInfinite ? -1 : static_cast<int>(std::min<uint32_t>(left, 1u << 30));
        const int n = poll(fds.data(), fds.size(), pollMs);
        if (n < 0 && errno != EINTR) {
            return std::nullopt;
        }
    }
}

std::optional<size_t> WaitAny(std::initializer_list<Event*> events, uint32_t timeoutMs) {
    return WaitAny(std::span<Event* const>(events.begin(), events.size()), timeoutMs);
}

}  // namespace marlo::platform
