#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "devices/KeyIdentityTable.h"
#include "profiles/KeySlotMemory.h"

namespace marlo::devices {

// Which of the keyboard's key slots sits under each key position of the page. A position's
// slot is the one whose entry in the keyboard's key table holds the position's factory code.
// A keyboard may read back what was written to a slot instead of the slot's own key: then a
// remapped position is found where the slot memory says it was written, as long as that slot
// still holds what was written there. No slot ever serves two positions: a slot's owner by
// factory code wins, and the other position is left out (said in a debug line).
class KeyboardPositionMap {
  public:
    static constexpr uint8_t kNoSlot = 255;
    static constexpr int kFnPosition = 110;
    // The Fn key's slot when no slot holds its code (and no other key owns that slot).
    static constexpr uint8_t kFnFallbackSlot = 113;

    KeyboardPositionMap() { Clear(); }

    // From the keyboard's key table (three bytes per slot, type first) and where remapped
    // positions were written.
    static KeyboardPositionMap Build(std::span<const uint8_t> keyTable,
                                     const profiles::KeySlotMemory& memory = {});

    void Clear();
    // kNoSlot for a position outside the page or without a slot.
    uint8_t SlotOf(int position) const;
    bool HasSlot(int position) const { return SlotOf(position) != kNoSlot; }
    // The slot under each position, as the colour stream walks them.
    const std::array<uint8_t, kKeyPositions>& streamSlots() const { return slots_; }
    // The memory of a key table written through this map: every position whose slot holds
    // something other than the position's factory code.
    profiles::KeySlotMemory Remember(std::span<const uint8_t> keyTable) const;

  private:
    std::array<uint8_t, kKeyPositions> slots_{};
};

}  // namespace marlo::devices
