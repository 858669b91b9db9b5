#pragma once

#include <cstdint>
#include <vector>

namespace marlo::sim {

// Report descriptors of the emulated devices.
class Descriptors {
  public:
    // The keyboard's interface 1: keyboard, system control, device events (consumer page,
    // 16-bit codes, report ID 3) and the command collection (vendor page 0xFF1C usage 0x92,
    // 64-byte reports under report ID 4).
    static std::vector<uint8_t> KeyboardInterface1();
    // The keyboard's boot interface 0 with a vendor collection (not a command interface).
    static std::vector<uint8_t> KeyboardInterface0();
    // The headset's interface 3: one consumer collection with 64-byte command reports (ID 4)
    // and 17-byte lighting reports (ID 0xFF).
    static std::vector<uint8_t> HeadsetInterface3();
    // A plain five-button mouse without report IDs.
    static std::vector<uint8_t> Mouse();
};

}  // namespace marlo::sim
