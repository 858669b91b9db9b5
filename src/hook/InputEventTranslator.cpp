#include "hook/InputEventTranslator.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <limits>

#include "hook/EvdevKeys.h"

namespace marlo::hook {
int32_t CInputEventTranslator::Clamped(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

std::optional<OutsideInput> CInputEventTranslator::Feed(uint16_t type, uint16_t code,
                                                        int32_t value) {
    if (type == EV_SYN) {
        if (code == SYN_DROPPED) {
            dropped_ = true;
            dx_ = dy_ = 0;
            return std::nullopt;
        }
        if (code != SYN_REPORT) {
            return std::nullopt;
        }
        const bool wasDropped = dropped_;
        dropped_ = false;
        if (wasDropped || (dx_ == 0 && dy_ == 0)) {
            return std::nullopt;
        }
        OutsideInput move{OutsideInput::Kind::kMove, 0, false, Clamped(dx_), Clamped(dy_)};
        dx_ = dy_ = 0;
        return move;
    }
    if (dropped_) {
        return std::nullopt;
    }
    if (type == EV_REL) {
        if (code == REL_X) {
            dx_ += value;
        } else if (code == REL_Y) {
            dy_ += value;
        }
        return std::nullopt;
    }
    if (type != EV_KEY || value < 0 || value > 2) {
        return std::nullopt;
    }
    if (const uint32_t button = VirtualKeyOfEvdevButton(code)) {
        if (value == 2) {
            return std::nullopt;
        }
        return OutsideInput{OutsideInput::Kind::kButton, button, value != 0, 0, 0};
    }
    if (const uint32_t key = VirtualKeyOfEvdevKey(code)) {
        return OutsideInput{OutsideInput::Kind::kKey, key, value != 0, 0, 0};
    }
    return std::nullopt;
}

}  // namespace marlo::hook
