#pragma once

#include <cstdint>

namespace marlo::devices {

// When the keyboard's lighting steps. The mode's period is a count of system ticks (a 64th of
// a second) by the keyboard's speed byte (0-4, 4 the fastest): the step is due once that many
// ticks have passed since the last one. Period 0 steps on every turn of the lighting thread:
// as fast as the colour stream goes while one is sent, else once a tick. Mode 29 steps when
// more than one tick has passed. Times are microseconds of a monotonic clock, passed in.
class KeyboardStepTimer {
  public:
    static constexpr uint64_t kTickUs = 15625;
    // The period of a mode at a device speed; -1 for mode 29's "more than one tick".
    static int Period(int mode, int deviceSpeed);

    // Counting starts again from `nowUs` (a new mode, a new read).
    void Restart(uint64_t nowUs) { lastStepUs_ = nowUs; }
    // Whether the step is due at `nowUs`; when it is, counting restarts from the step.
    bool Due(int mode, int deviceSpeed, uint64_t nowUs, bool streaming);
    // When the next step is due (for the thread's wait); `nowUs` when it already is.
    uint64_t NextDueUs(int mode, int deviceSpeed, uint64_t nowUs, bool streaming) const;

  private:
    static uint64_t TicksBeforeStep(int mode, int deviceSpeed, bool streaming);
    uint64_t lastStepUs_ = 0;
};

}  // namespace marlo::devices
