#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "profiles/ProfileRecords.h"

namespace marlo::devices {

// The keyboard's 26-byte lighting and settings block, as it is written (command 6) and read
// (command 5). The mode travels as the keyboard numbers it: the device value of the mode
// list's entry, or 0xFE for the two modes the host streams (29 and 30).
class KeyboardBlock {
  public:
    static constexpr size_t kSize = 26;
    static constexpr uint8_t kHostStreamed = 0xFE;
    // The slowest speed; the block stores 4 − speed.
    static constexpr uint8_t kMaxSpeed = 4;
    using Bytes = std::array<uint8_t, kSize>;

    // `modeValues`: the device value of each entry of the keyboard's mode list.
    static Bytes Build(const profiles::LightInfo& light,
                       const profiles::KeyboardSystemStages& stages,
                       std::span<const int> modeValues);

    // What a block read from the keyboard says, over the current settings: the mode (kept when
    // the keyboard streams from the host or names a mode the list does not have), brightness,
    // speed, direction, colours, groups and the flags. Repeat and repeat delay are not in the
    // block and stay. `activeSlot` replaces byte 0 of the copy; byte 16 is cleared.
    static void Read(Bytes& block, uint8_t activeSlot, std::span<const int> modeValues,
                     profiles::LightInfo& light, profiles::KeyboardSystemStages& stages);

    // The mode list's index for a device value; nothing when no entry has it.
    static int ModeIndexOf(int deviceValue, std::span<const int> modeValues);
};

}  // namespace marlo::devices
