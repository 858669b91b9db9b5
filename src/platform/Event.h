#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>

namespace marlo::platform {

// Timeout value that waits without limit.
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

// A signalling event backed by an eventfd, so that it can be polled together with a device's
// file descriptor. A manual-reset event stays signalled until Reset; an auto-reset event is
// consumed by the one wait that it releases.
class Event {
  public:
    enum class Reset { kManual, kAuto };

    explicit Event(Reset reset, bool initiallySignalled = false);
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void ResetEvent();

    // True when signalled; an auto-reset event is consumed by a successful check.
    bool TryConsume();
    bool IsManualReset() const { return reset_ == Reset::kManual; }

    // Readable while the event is signalled. Owned by the event, never closed by the caller.
    int fd() const { return fd_; }

    // Waits for this event alone; true when it was signalled within the timeout.
    bool Wait(uint32_t timeoutMs);

  private:
    Reset reset_;
    int fd_;
};

// Waits for the first of several events, in the order given: when several are signalled, the
// lowest index wins. Returns that index, or nothing when the timeout ran out.
std::optional<size_t> WaitAny(std::span<Event* const> events, uint32_t timeoutMs);
std::optional<size_t> WaitAny(std::initializer_list<Event*> events, uint32_t timeoutMs);

// Milliseconds left of a timeout that started at `startMs` (a monotonic clock reading), for
// waits that loop; kInfinite stays kInfinite.
uint32_t RemainingMs(uint32_t timeoutMs, uint64_t startMs);
uint64_t MonotonicMs();

}  // namespace marlo::platform
