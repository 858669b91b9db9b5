#pragma once

#include <cstddef>

namespace marlo::profiles {

// The largest file of each kind the program reads. Each is many times what the kind can hold
// (so a real file never meets it) and small enough that reading and rewriting one stays quick
// and cheap: a larger file is refused with a message and kept, never deleted.
struct DocumentLimits {
    // A profile: the headset's, the largest, is about 20 KB.
    static constexpr size_t kProfileBytes = 2 * 1024 * 1024;
    // A profile holds one entry per device it configures; none has more than a few.
    static constexpr size_t kProfileDevices = 16;
    // The profile list and the macro index: 50 entries of a few hundred bytes.
    static constexpr size_t kListBytes = 1024 * 1024;
    // A macro file of 4,000 steps (the longest a device takes) is about 600 KB.
    static constexpr size_t kMacroFileBytes = 4 * 1024 * 1024;
    static constexpr size_t kMacroSteps = 4000;
    // Light configurations and effects.
    static constexpr size_t kLightBytes = 4 * 1024 * 1024;
};

}  // namespace marlo::profiles
