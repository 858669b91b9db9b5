#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "hook/InputEventTranslator.h"

namespace marlo::hook {

// The inputs of the outside hook on their way from its reader's thread to the UI thread.
// Movement that follows movement is summed into one input, so a fast mouse adds one entry, not
// hundreds; keys and buttons keep their order. At most kMax inputs wait: past that, new ones are
// dropped and counted (a UI thread that stalls for seconds does not grow the program).
class COutsideQueue {
  public:
    static constexpr size_t kMax = 1024;

    // Adds an input; true when the queue was empty, so the caller hands the UI thread one call
    // that takes them all.
    bool Push(const OutsideInput& input);
    // Everything waiting, oldest first; the queue is empty after.
    std::vector<OutsideInput> Take();
    uint64_t dropped() const;

    // `into` and `more` as one movement (each axis clamped to 32 bits).
    static void AddMove(OutsideInput& into, const OutsideInput& more);

  private:
    mutable std::mutex mutex_;
    std::vector<OutsideInput> waiting_;
    uint64_t dropped_ = 0;
};

}  // namespace marlo::hook
