#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/KeyboardLightingEngine.h"
#include "devices/KeyboardPositionMap.h"

namespace marlo::devices {

// What the keyboard is sent of its lights: the colour stream of the host-streamed modes and
// the selection mask of the custom mode.
class KeyboardColourStream {
  public:
    static constexpr size_t kMaskBytes = 21;
    using Mask = std::array<uint8_t, kMaskBytes>;

    // slots × 3 bytes: at slot·3 the colour of the light over that slot, each byte scaled by
    // the light's level (value × level ÷ 256). Slots no light sits over stay black.
    static std::vector<uint8_t> Build(const KeyboardLightingEngine::Elements& elements,
                                      const KeyboardPositionMap& map, size_t slots);
    // For every selected light over slot s: bit s ÷ 21 of byte s mod 21. A slot past 167 has
    // no bit (there are 21 × 8) and is left out.
    static Mask SelectionMask(const KeyboardLightingEngine::Elements& elements,
                              const KeyboardPositionMap& map);
};

}  // namespace marlo::devices
