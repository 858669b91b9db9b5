#include "devices/KeyboardPositionMap.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "platform/DebugOutput.h"

namespace marlo::devices {

namespace {

// The factory code of the page's positions that have no key: such a position owns no slot,
// even when a remapped key's slot holds that code (a key switched off).
constexpr uint32_t kNoKeyCode = 0x200000;

uint32_t CodeAt(std::span<const uint8_t> table, size_t slot) {
    return uint32_t{table[slot * 3]} << 16 | uint32_t{table[slot * 3 + 1]} << 8 |
           table[slot * 3 + 2];
}

}  // namespace

void KeyboardPositionMap::Clear() {
    slots_.fill(kNoSlot);
}

KeyboardPositionMap KeyboardPositionMap::Build(std::span<const uint8_t> keyTable,
                                               const profiles::KeySlotMemory& memory) {
    using platform::DebugOutput;
    KeyboardPositionMap map;
    const size_t slotCount = std::min<size_t>(keyTable.size() / 3, kNoSlot);
    const auto& codes = KeyIdentityCodes();
    // Slots that still hold what the memory says was written there: a key remapped to another
    // key's code sits beside that key's own slot (or in its place, when that key moved too).
    std::vector<bool> written(slotCount, false);
    for (const auto& [position, place] : memory.places()) {
        if (place.slot < slotCount && CodeAt(keyTable, place.slot) == place.code) {
            written[place.slot] = true;
        }
    }
    std::vector<int> owner(slotCount, -1);
    const auto take = [&](int position, size_t slot) {
        map.slots_[static_cast<size_t>(position)] = static_cast<uint8_t>(slot);
        owner[slot] = position;
    };
    const auto findByCode = [&](uint32_t code, bool inWritten) -> std::optional<size_t> {
        for (size_t slot = 0; slot < slotCount; ++slot) {
            if (owner[slot] < 0 && (inWritten || !written[slot]) && CodeAt(keyTable, slot) == code) {
                return slot;
            }
        }
        return std::nullopt;
    };
    // The key whose factory code a slot holds and that has no other claim: it owns the slot.
    const auto factoryOwner = [&](uint32_t code) -> int {
        for (int position = 0; position < kKeyPositions; ++position) {
            if (codes[static_cast<size_t>(position)] == code && code != kNoKeyCode &&
                !map.HasSlot(position) && !memory.PlaceOf(position)) {
                return position;
            }
        }
        return -1;
    };
    // First by factory code, in slots nothing was written to.
    for (int position = 0; position < kKeyPositions; ++position) {
        const uint32_t code = codes[static_cast<size_t>(position)];
        if (code == kNoKeyCode) {
            continue;
        }
        if (const auto slot = findByCode(code, false)) {
            take(position, *slot);
        }
    }
    // Then where the memory says a position was written.
    for (int position = 0; position < kKeyPositions; ++position) {
        const auto place = memory.PlaceOf(position);
        if (map.HasSlot(position) || !place) {
            continue;
        }
        if (place->slot >= slotCount || CodeAt(keyTable, place->slot) != place->code) {
            DebugOutput::Printf("key position %d: slot %u no longer holds %06x; left out",
                                position, place->slot, place->code);
            continue;
        }
        int other = owner[place->slot];
        if (other < 0 && (other = factoryOwner(place->code)) >= 0) {
            take(other, place->slot);
        }
        if (other >= 0) {
            DebugOutput::Printf("key position %d: slot %u belongs to key position %d; left out",
                                position, place->slot, other);
            continue;
        }
        take(position, place->slot);
    }
    // Last, a factory code found only in a slot written for a position that no longer lives
    // there.
    for (int position = 0; position < kKeyPositions; ++position) {
        const uint32_t code = codes[static_cast<size_t>(position)];
        if (code == kNoKeyCode || map.HasSlot(position)) {
            continue;
        }
        if (const auto slot = findByCode(code, true)) {
            take(position, *slot);
        }
    }
    if (!map.HasSlot(kFnPosition)) {
        if (kFnFallbackSlot >= slotCount) {
            // A small table: the Fn key keeps its stand-in slot, which is never written.
            map.slots_[kFnPosition] = kFnFallbackSlot;
        } else if (owner[kFnFallbackSlot] >= 0) {
            DebugOutput::Printf("key position %d: slot %u belongs to key position %d; left out",
                                kFnPosition, kFnFallbackSlot, owner[kFnFallbackSlot]);
        } else {
            map.slots_[kFnPosition] = kFnFallbackSlot;
        }
    }
    return map;
}

uint8_t KeyboardPositionMap::SlotOf(int position) const {
    return position >= 0 && position < kKeyPositions ? slots_[static_cast<size_t>(position)]
                                                     : kNoSlot;
}

profiles::KeySlotMemory KeyboardPositionMap::Remember(std::span<const uint8_t> keyTable) const {
    profiles::KeySlotMemory memory;
    const auto& codes = KeyIdentityCodes();
    for (int position = 0; position < kKeyPositions; ++position) {
        const uint8_t slot = slots_[static_cast<size_t>(position)];
        if (slot == kNoSlot || size_t{slot} * 3 + 3 > keyTable.size()) {
            continue;
        }
        const uint32_t held = CodeAt(keyTable, slot);
        if (held != codes[static_cast<size_t>(position)]) {
            memory.Remember(position, {slot, held});
        }
    }
    return memory;
}

}  // namespace marlo::devices
