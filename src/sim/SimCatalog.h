#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimDevice.h"

namespace marlo::sim {

// The kinds of device the simulator can plug, by name.
class SimCatalog {
  public:
    static constexpr uint16_t kKeyboardVendor = 0x320F;
    static constexpr uint16_t kKeyboardProduct = 0x5055;
    // The receiver's product ID is the emulator's own choice.
    static constexpr uint16_t kReceiverProduct = 0x5088;
    static constexpr uint16_t kHeadsetVendor = 0x0C76;
    static constexpr uint16_t kHeadsetProduct = 0x1630;

    // "keyboard", "keyboard-if0", "receiver", "headset", "mouse"; nothing for an unknown kind.
    static std::unique_ptr<SimDevice> Create(std::string_view kind);
    static std::vector<std::string> Kinds();
};

}  // namespace marlo::sim
