#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "devices/KeyIdentityTable.h"

namespace marlo::devices {

// Which of the keyboard's key slots sits under each key position of the page: the slot whose
// entry in the keyboard's key table holds the position's factory code. The keyboard keeps
// its slots in its own order, and not every position has one.
class KeyboardPositionMap {
  public:
    static constexpr uint8_t kNoSlot = 255;
    static constexpr int kFnPosition = 110;
    // The Fn key's slot when no slot holds its code.
    static constexpr uint8_t kFnFallbackSlot = 113;

    KeyboardPositionMap() { Clear(); }

    // From the keyboard's key table (three bytes per slot, type first).
    static KeyboardPositionMap Build(std::span<const uint8_t> keyTable);

    void Clear();
    // kNoSlot for a position outside the page or without a slot.
    uint8_t SlotOf(int position) const;
    bool HasSlot(int position) const { return SlotOf(position) != kNoSlot; }
    // The slot under each position, as the colour stream walks them.
    const std::array<uint8_t, kKeyPositions>& streamSlots() const { return slots_; }

  private:
    std::array<uint8_t, kKeyPositions> slots_{};
};

}  // namespace marlo::devices
