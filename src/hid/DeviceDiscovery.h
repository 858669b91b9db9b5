#pragma once

#include <cstdint>
#include <filesystem>

#include "hid/DeviceSlots.h"
#include "hid/HidInterface.h"
#include "platform/MessageLoop.h"
#include "platform/WorkerThread.h"

namespace marlo::hid {

// Notices supported interfaces coming and going. Every 100 ms it lists the HID interfaces
// (while a slot is free), claims a free slot for each newly present supported collection and
// sends "device attached" with the slot index; a claimed path that is gone is released with
// "device detached". Both are sent synchronously to the main window, so its handler sees the
// slot as the message says. After the first complete listing it posts the instance message.
class DeviceDiscovery {
  public:
    static constexpr uint32_t kDeviceAttached = 0xC12;
    static constexpr uint32_t kDeviceDetached = 0xC13;
    // Between two passes while the device nodes cannot be watched; while they are, a change
    // starts a pass at once and the passes between are only a safety net.
    static constexpr uint32_t kPassIntervalMs = 100;
    static constexpr uint32_t kWatchedPassIntervalMs = 5000;

    DeviceDiscovery(DeviceSlots& slots, platform::MessageLoop& loop, platform::WindowHandle window,
                    uint32_t instanceMessage);
    ~DeviceDiscovery();
    DeviceDiscovery(const DeviceDiscovery&) = delete;
    DeviceDiscovery& operator=(const DeviceDiscovery&) = delete;

    // Where interfaces are looked for; the process default unless set before Start.
    void SetRoot(const std::filesystem::path& root) { hid_.SetRoot(root); }

    bool Start();
    // Signals the stop event and waits for the thread; a pass in progress, its sleep and a
    // send waiting for the UI thread all end at the signal.
    platform::WorkerThread::StopResult Stop(uint32_t timeoutMs);

    // The thread, for an owner that stops its workers together.
    platform::WorkerThread& worker() { return worker_; }

    // One pass: arrivals (while a slot is free) and removals. `stop` ends a waiting send.
    void RunPass(platform::Event* stop);

  private:
    void Run(platform::Event& stop);
    void FindArrivals(platform::Event* stop);
    void CheckRemovals(platform::Event* stop);

    DeviceSlots& slots_;
    platform::MessageLoop& loop_;
    const platform::WindowHandle window_;
    const uint32_t instanceMessage_;
    HidInterface hid_;
    bool firstPass_ = true;
    // The discovery thread's: whether the last pass missed something, and when to try again.
    bool passMissed_ = false;
    uint32_t retryMs_ = 0;
    platform::WorkerThread worker_;
};

}  // namespace marlo::hid
