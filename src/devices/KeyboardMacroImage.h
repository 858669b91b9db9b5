#pragma once

#include <cstdint>
#include <vector>

#include "devices/KeyboardPositionMap.h"
#include "profiles/MacroEvent.h"
#include "profiles/ProfileRecords.h"

namespace marlo::devices {

// The macros the keyboard plays and the key table that points at them. Keys refer to macros
// by their row in the macro list; on the keyboard, macro i is the i-th distinct macro the keys
// use (in position order), so both sides are numbered the same way.
class KeyboardMacroImage {
  public:
    static constexpr uint8_t kMacroType = 0x70;      // "p"
    static constexpr uint8_t kMacroOnceType = 0x71;  // "q"
    // Positions below this are keys; the ones above never carry macros to the keyboard.
    static constexpr int kKeyPositionsWithMacros = 126;
    static constexpr uint16_t kSignature = 0x55AA;
    static constexpr size_t kHeaderSize = 16;
    // Results of Build besides the count of events too many.
    static constexpr int kOk = 0;
    static constexpr int kCannotAllocate = -1;

    static bool IsMacro(const profiles::Assignment& a) {
        return a.type == kMacroType || a.type == kMacroOnceType;
    }

    // A macro row is gone: keys that played it take their default, keys that played a later
    // row follow it down by one. True when a key changed.
    static bool ForgetMacroRow(std::vector<profiles::KeyListEntry>& keys, int row);

    // The distinct macro rows the keys use, in order of first use; a row not below
    // `macroCount` is not one.
    static std::vector<int> CollectMacros(const std::vector<profiles::KeyListEntry>& keys,
                                          const KeyboardPositionMap& map, int macroCount);

    // The keyboard's key table with every mapped position's assignment written over
    // `deviceTable` (three bytes per slot), macro rows renumbered as CollectMacros lists
    // them; a key whose macro is gone takes its default. Slots past the table are left out.
    static std::vector<uint8_t> KeyTable(std::vector<uint8_t> deviceTable,
                                         const std::vector<profiles::KeyListEntry>& keys,
                                         const KeyboardPositionMap& map, int macroCount);

    // The image of these macros: 0 and the image, or (bytes over ÷ 4) + 1 when it does not
    // fit in `capacity` bytes (nothing built).
    struct Built {
        int result = kOk;
        std::vector<uint8_t> image;
    };
    static Built Build(const std::vector<std::vector<profiles::MacroEvent>>& macros,
                       size_t capacity);
};

}  // namespace marlo::devices
