#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <string>

namespace marlo::profiles {

// One step of a macro: a key or button pressed or released, then a wait.
struct MacroEvent {
    std::string action;  // "down" presses; anything else releases
    int type = 0;        // 10 and 9 keyboard keys, 1 mouse button, 2-5 other mouse entries
    int button = 0;
    std::string delay;  // milliseconds, decimal digits

    static MacroEvent FromJson(const Json::Value& object);
    Json::Value ToJson() const;
    bool operator==(const MacroEvent&) const = default;
};

// The 4 bytes the device keeps per event: delay (little-endian, low 16 bits), type with bit 7
// set for a press, button.
std::array<uint8_t, 4> EventToDeviceRecord(const MacroEvent& event);
// The delay text as a number: leading decimal digits, 0 when there are none.
int64_t DelayMs(const std::string& delay);

}  // namespace marlo::profiles
