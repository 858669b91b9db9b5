#include "devices/KeyboardColourStream.h"

namespace marlo::devices {

std::vector<uint8_t> KeyboardColourStream::Build(
    const KeyboardLightingEngine::Elements& elements, const KeyboardPositionMap& map,
    size_t slots) {
    std::vector<uint8_t> bytes(slots * 3, 0);
    const auto& slotOf = map.streamSlots();
    for (size_t light = 0; light < elements.size() && light < slotOf.size(); ++light) {
        const size_t slot = slotOf[light];
        if (slot >= slots) {
            continue;  // no slot under it (kNoSlot included)
        }
        const auto& e = elements[light];
        bytes[slot * 3] = static_cast<uint8_t>(e.colour.red * e.level / 256);
        bytes[slot * 3 + 1] = static_cast<uint8_t>(e.colour.green * e.level / 256);
        bytes[slot * 3 + 2] = static_cast<uint8_t>(e.colour.blue * e.level / 256);
    }
    return bytes;
}

KeyboardColourStream::Mask KeyboardColourStream::SelectionMask(
    const KeyboardLightingEngine::Elements& elements, const KeyboardPositionMap& map) {
    Mask mask{};
    for (size_t light = 0; light < elements.size(); ++light) {
        const int slot = map.SlotOf(static_cast<int>(light));
        if (!elements[light].selected || slot == KeyboardPositionMap::kNoSlot ||
            slot / static_cast<int>(kMaskBytes) >= 8) {
            continue;
        }
        mask[static_cast<size_t>(slot) % kMaskBytes] |=
            static_cast<uint8_t>(1u << (slot / static_cast<int>(kMaskBytes)));
    }
    return mask;
}

}  // namespace marlo::devices
