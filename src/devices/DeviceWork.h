#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WorkerThread.h"

namespace marlo::devices {

// A device's own thread for its exchanges, so that nothing but that thread ever waits on the
// device. Work posted here runs in the order posted; what it found is handed back as its
// completion, which runs on the thread that delivers (the UI thread) when DeliverDone is
// called. After each piece of work the delivery handler is called, on the work thread, so the
// owner can post itself a message to deliver.
//
// Without a delivery handler (no window to post to: a test of the device alone) the work and
// its completion run at once on the caller's thread, as a plain call would.
class DeviceWork {
  public:
    using Work = std::function<void()>;
    using Completion = std::function<void()>;

    DeviceWork() = default;
    // Stops the thread; completions not delivered are dropped.
    ~DeviceWork();
    DeviceWork(const DeviceWork&) = delete;
    DeviceWork& operator=(const DeviceWork&) = delete;

    // Called on the work thread when a completion waits for DeliverDone.
    void SetDeliveryHandler(std::function<void()> handler);

    // Queues `work` (starting the thread when needed) and, once it ran, `done`. Work of a
    // kind (`kind` not empty) that reads what it writes when it runs makes a later piece of
    // the same kind redundant while it waits: the later one is not queued again, and its
    // completion follows the waiting one's.
    void Post(Work work, Completion done = {}, std::string_view kind = {});
    // Runs the completions of the work that ran (the delivering thread); how many ran.
    size_t DeliverDone();
    // Drops the work not started, waits for the running piece (1000 ms, then without limit:
    // the channel's waits are bounded), and drops what was not delivered.
    void Stop();

    // For a piece of work that pauses: waits `ms`, and true when the work is being stopped
    // meanwhile (the piece should end then).
    bool Paused(uint32_t ms);

    // Whether work is queued or running, or a completion waits.
    bool busy() const;

  private:
    struct Item {
        Work work;
        std::vector<Completion> done;
        std::string kind;
    };
    bool asynchronous() const;
    void Run(platform::Event& stop);

    mutable std::mutex lock_;
    std::deque<Item> queue_;         // under lock_
    std::vector<Completion> done_;   // under lock_
    bool running_ = false;           // under lock_: a piece of work is running
    std::function<void()> deliver_;  // under lock_
    platform::Event wake_{platform::Event::Reset::kAuto};
    platform::WorkerThread thread_;
    std::mutex threadLock_;  // starting and stopping the thread
};

}  // namespace marlo::devices
