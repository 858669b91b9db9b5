#pragma once

#include <array>
#include <cstddef>

#include "platform/WorkerThread.h"

namespace marlo::app {

// The main window's worker table: 20 slots, each able to hold one worker thread (slot 0 the
// discovery thread, slot 8 synchronised lighting). At shutdown every slot's stop event is
// signalled and each is waited for, up to 1000 ms, in slot order, with a debug line for each.
class WorkerSlots {
  public:
    static constexpr size_t kSlots = 20;
    static constexpr size_t kDiscoverySlot = 0;
    static constexpr size_t kSyncLightingSlot = 8;
    static constexpr uint32_t kStopWaitMs = 1000;

    // A worker owned elsewhere (not owned here); it must outlive StopAll.
    void Place(size_t slot, platform::WorkerThread* worker);
    platform::WorkerThread* At(size_t slot) const { return slot < kSlots ? slots_[slot] : nullptr; }

    // Signals every stop event, then waits for each slot in order. A worker still running after
    // its wait gets the time-out line and is joined (threads cannot be killed safely; every
    // wait of a worker wakes on its stop event, so it ends soon after). The slots are empty
    // afterwards.
    void StopAll();

  private:
    std::array<platform::WorkerThread*, kSlots> slots_{};
};

}  // namespace marlo::app
