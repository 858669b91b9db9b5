#pragma once

#include <cstdint>
#include <functional>
#include <thread>

#include "platform/Event.h"

namespace marlo::platform {

// A worker thread that owns a manual-reset stop event. The body receives the stop event and
// must let every one of its waits wake on it; there is no forced termination, so a worker that
// honours its stop event always ends within the bound its owner waits.
class WorkerThread {
  public:
    enum class StopResult { kEnded, kTimedOut, kNotRunning };
    using Body = std::function<void(Event& stop)>;

    WorkerThread() = default;
    // Signals the stop event and waits for the end without limit.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the body on a new thread; false when a thread is already running. `name` (a
    // literal of at most 15 bytes) names the thread for the system's tools.
    bool Start(Body body, const char* name = nullptr);
    bool IsRunning() const { return thread_.joinable(); }

    void SignalStop() { stop_.Set(); }
    // Waits up to `timeoutMs` for the thread to end. kTimedOut leaves it running: a later
    // call or the destructor waits again.
    StopResult WaitForEnd(uint32_t timeoutMs);
    // SignalStop, then WaitForEnd.
    StopResult Stop(uint32_t timeoutMs);

    Event& stopEvent() { return stop_; }

  private:
    Event stop_{Event::Reset::kManual};
    Event ended_{Event::Reset::kManual};
    std::thread thread_;
};

}  // namespace marlo::platform
