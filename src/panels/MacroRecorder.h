#pragma once

#include <cstddef>
#include <cstdint>

namespace marlo::panels {

// The delays of recorded macro steps: the time since the previous step (recorded), one fixed
// value, or none; capped at 65535 ms. Times are milliseconds of a monotonic clock, given by
// the caller.
class CMacroRecorder {
  public:
    enum class DelayMode { kRecorded = 1, kFixed = 2, kNone = 3 };
    static constexpr size_t kMaxSteps = 4000;
    static constexpr int kMaxDelay = 65535;

    // Recording starts now: the first step's delay counts from here.
    void Start(DelayMode mode, uint64_t nowMs);
    DelayMode mode() const { return mode_; }
    // The fixed delay (negative counts as 0, above 65535 as 65535); returns the value kept.
    int SetFixedDelay(int64_t ms);
    int fixedDelay() const { return fixedDelay_; }
    // The delay of a step recorded now.
    int NextDelay(uint64_t nowMs);
    // The delay mode of an option number (1, 2, 3); the recorded mode for any other.
    static DelayMode ModeOf(int number);

  private:
    DelayMode mode_ = DelayMode::kRecorded;
    int fixedDelay_ = 0;
    uint64_t previousMs_ = 0;
};

}  // namespace marlo::panels
