#include "devices/KeyboardPositionMap.h"

namespace marlo::devices {

void KeyboardPositionMap::Clear() {
    slots_.fill(kNoSlot);
}

KeyboardPositionMap KeyboardPositionMap::Build(std::span<const uint8_t> keyTable) {
    KeyboardPositionMap map;
    const size_t slotCount = keyTable.size() / 3;
    const auto& codes = KeyIdentityCodes();
    for (int position = 0; position < kKeyPositions; ++position) {
        const uint32_t code = codes[static_cast<size_t>(position)];
        for (size_t slot = 0; slot < slotCount && slot < kNoSlot; ++slot) {
            const uint32_t held = uint32_t{keyTable[slot * 3]} << 16 |
                                  uint32_t{keyTable[slot * 3 + 1]} << 8 | keyTable[slot * 3 + 2];
            if (held == code) {
                map.slots_[static_cast<size_t>(position)] = static_cast<uint8_t>(slot);
                break;
            }
        }
    }
    if (map.slots_[kFnPosition] == kNoSlot) {
        map.slots_[kFnPosition] = kFnFallbackSlot;
    }
    return map;
}

uint8_t KeyboardPositionMap::SlotOf(int position) const {
    return position >= 0 && position < kKeyPositions ? slots_[static_cast<size_t>(position)]
                                                     : kNoSlot;
}

}  // namespace marlo::devices
