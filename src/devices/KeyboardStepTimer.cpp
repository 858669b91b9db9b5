#include "devices/KeyboardStepTimer.h"

#include <algorithm>
#include <array>

namespace marlo::devices {
namespace {

using Periods = std::array<int, 5>;
constexpr Periods kUsual = {10, 8, 5, 3, 1};  // modes 1-10, 12, 14-24 (and those past 30)
constexpr Periods kSteady = {3, 3, 3, 3, 3};  // modes 11 and 13
constexpr Periods kQuick = {1, 0, 0, 0, 0};   // modes 25-28
constexpr Periods kHost = {0, 0, 0, 0, 80};   // mode 30

}  // namespace

int KeyboardStepTimer::Period(int mode, int deviceSpeed) {
    const auto speed = static_cast<size_t>(std::clamp(deviceSpeed, 0, 4));
    if (mode == 29) {
        return -1;
    }
    if (mode == 11 || mode == 13) {
        return kSteady[speed];
    }
    if (mode >= 25 && mode <= 28) {
        return kQuick[speed];
    }
    if (mode == 30) {
        return kHost[speed];
    }
    return kUsual[speed];
}

uint64_t KeyboardStepTimer::TicksBeforeStep(int mode, int deviceSpeed, bool streaming) {
    const int period = Period(mode, deviceSpeed);
    if (period < 0) {
        return 2;  // more than one
    }
    if (period == 0) {
        return streaming ? 0 : 1;
    }
    return static_cast<uint64_t>(period);
}

bool KeyboardStepTimer::Due(int mode, int deviceSpeed, uint64_t nowUs, bool streaming) {
    const uint64_t ticks = TicksBeforeStep(mode, deviceSpeed, streaming);
    const uint64_t passed = nowUs >= lastStepUs_ ? (nowUs - lastStepUs_) / kTickUs : 0;
    if (passed < ticks) {
        return false;
    }
    // The next count starts at the tick the step was due on, so that steps do not drift; a
    // thread that fell far behind starts again from now.
    lastStepUs_ = ticks > 0 && passed <= ticks + 1 ? lastStepUs_ + ticks * kTickUs : nowUs;
    return true;
}

uint64_t KeyboardStepTimer::NextDueUs(int mode, int deviceSpeed, uint64_t nowUs,
                                      bool streaming) const {
    const uint64_t due = lastStepUs_ + TicksBeforeStep(mode, deviceSpeed, streaming) * kTickUs;
    return std::max(due, nowUs);
}

}  // namespace marlo::devices
