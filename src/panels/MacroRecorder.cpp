#include "panels/MacroRecorder.h"

#include <algorithm>

namespace marlo::panels {

void CMacroRecorder::Start(DelayMode mode, uint64_t nowMs) {
    mode_ = mode;
    previousMs_ = nowMs;
}

int CMacroRecorder::SetFixedDelay(int64_t ms) {
    fixedDelay_ = static_cast<int>(std::clamp<int64_t>(ms, 0, kMaxDelay));
    return fixedDelay_;
}

int CMacroRecorder::NextDelay(uint64_t nowMs) {
    switch (mode_) {
        case DelayMode::kFixed: return fixedDelay_;
        case DelayMode::kNone: return 0;
        case DelayMode::kRecorded: break;
    }
    const uint64_t elapsed = nowMs > previousMs_ ? nowMs - previousMs_ : 0;
    previousMs_ = nowMs;
    return static_cast<int>(std::min<uint64_t>(elapsed, kMaxDelay));
}

CMacroRecorder::DelayMode CMacroRecorder::ModeOf(int number) {
    switch (number) {
        case 2: return DelayMode::kFixed;
        case 3: return DelayMode::kNone;
        default: return DelayMode::kRecorded;
    }
}

}  // namespace marlo::panels
