#include "devices/ReactiveKeys.h"

#include <algorithm>

#include "devices/LightTables.h"

namespace marlo::devices {

void ReactiveKeys::Fade(size_t key, int fadeMode) {
    if (key < kKeys) {
        values_[key] = static_cast<uint8_t>(values_[key] -
                                            LightTables::FadeStep(values_[key], fadeMode));
    }
}

void ReactiveKeys::LightFromRing() {
    for (size_t i = 0; i < 9; ++i) {
        if (ring_[i] != 0) {
            values_[i] = 255;
        }
    }
}

void ReactiveKeys::Rotate(bool up) {
    if (up) {
        std::rotate(ring_.rbegin(), ring_.rbegin() + 1, ring_.rend());
    } else {
        std::rotate(ring_.begin(), ring_.begin() + 1, ring_.end());
    }
}

void ReactiveKeys::Clear() {
    values_.fill(0);
    ring_.fill(0);
}

bool ReactiveKeys::Any() const {
    return std::any_of(values_.begin(), values_.end(), [](uint8_t v) { return v != 0; });
}

}  // namespace marlo::devices
