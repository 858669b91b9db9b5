#pragma once

#include <cstdint>

namespace marlo::hook {

// What the hook hands its window with each key: the low-level keyboard record (as an owned
// payload, never a pointer in a parameter).
struct LowLevelKeyRecord {
    static constexpr uint32_t kWmKeyDown = 0x0100;
    static constexpr uint32_t kWmKeyUp = 0x0101;
    static constexpr uint32_t kFlagUp = 0x80;

    uint32_t message = 0;  // kWmKeyDown or kWmKeyUp
    uint32_t vkCode = 0;
    uint32_t scanCode = 0;
    uint32_t flags = 0;  // kFlagUp when the key goes up
    uint32_t time = 0;   // milliseconds of the monotonic clock

    static LowLevelKeyRecord Of(uint32_t virtualKey, bool down, uint32_t time) {
        return {down ? kWmKeyDown : kWmKeyUp, virtualKey, 0, down ? 0 : kFlagUp, time};
    }
};

// What the outside hook hands its window with each mouse button and movement.
struct MouseHookRecord {
    uint32_t virtualKey = 0;  // the button: 0x01 left, 0x02 right, 0x04 middle, 0x05/0x06 side
    bool down = false;
    int32_t dx = 0;  // movement: the distance since the last one
    int32_t dy = 0;
    uint32_t time = 0;  // milliseconds of the monotonic clock
};

}  // namespace marlo::hook
