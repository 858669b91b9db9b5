// Any bytes as a keyboard's KeySlots.json: every place read is in range, the map built from it
// never gives one slot to two key positions, and the memory reads back the same after it is
// written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardPositionMap.h"
#include "platform/JsonDocument.h"
#include "profiles/KeySlotMemory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using marlo::profiles::KeySlotMemory;
    const KeySlotMemory memory = KeySlotMemory::FromDocument(marlo::platform::JsonDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(data), size)));
    for (const auto& [position, place] : memory.places()) {
        if (position < 0 || position > KeySlotMemory::kMaxPosition ||
            place.slot > KeySlotMemory::kMaxSlot || place.code > 0xFFFFFF) {
            std::abort();
        }
    }
    if (!(KeySlotMemory::FromDocument(memory.ToDocument()) == memory)) {
        std::abort();
    }
    // A table of 126 slots whose codes come from the memory itself, so its places match.
    std::vector<uint8_t> table(126 * 3, 0xD0);
    for (const auto& [position, place] : memory.places()) {
        if (place.slot < 126) {
            table[place.slot * 3u] = static_cast<uint8_t>(place.code >> 16);
            table[place.slot * 3u + 1] = static_cast<uint8_t>(place.code >> 8);
            table[place.slot * 3u + 2] = static_cast<uint8_t>(place.code);
        }
    }
    const auto map = marlo::devices::KeyboardPositionMap::Build(table, memory);
    std::vector<int> owners(256, 0);
    for (int p = 0; p < marlo::devices::kKeyPositions; ++p) {
        const uint8_t slot = map.SlotOf(p);
        if (slot != marlo::devices::KeyboardPositionMap::kNoSlot && slot < 126 && ++owners[slot] > 1) {
            std::abort();
        }
    }
    return 0;
}
