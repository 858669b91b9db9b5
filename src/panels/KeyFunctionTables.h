#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace marlo::panels {

// An assignment code: what a key or button does, as the device stores it.
struct KeyCode {
    uint8_t type = 0;
    uint8_t value1 = 0;
    uint8_t value2 = 0;
    uint32_t Packed() const { return uint32_t{type} << 16 | uint32_t{value1} << 8 | value2; }
    static KeyCode From(uint32_t packed) {
        return {static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 8),
                static_cast<uint8_t>(packed)};
    }
    bool operator==(const KeyCode&) const = default;
};

// One row of a function table: its key (the combo position, or for the keyboard table the
// key's Windows virtual-key code; 0 for a key that has none) and its code; the keyboard rows
// also name their key (a language text id).
struct KeyFunctionRow {
    uint16_t key = 0;
    KeyCode code;
    const char* name = "";
};

// The functions a key can be given, category by category, in the order of their combo boxes.
class KeyFunctionTables {
  public:
    static constexpr size_t kKeyboardRows = 142;
    static constexpr size_t kModifierRows = 8;  // rows 0-7 of the keyboard table

    static std::span<const KeyFunctionRow> MouseButtons();  // category 1
    static std::span<const KeyFunctionRow> Dpi();           // category 4
    static std::span<const KeyFunctionRow> Media();         // category 7
    static std::span<const KeyFunctionRow> System();        // category 8
    static std::span<const KeyFunctionRow> Shortcuts();     // category 11
    static std::span<const KeyFunctionRow> Keyboard();      // category 6

    // The first row of a table with that code's value 1 and value 2.
    static std::optional<size_t> RowOf(std::span<const KeyFunctionRow> table, uint8_t value1,
                                       uint8_t value2);
    // The keyboard row of a virtual-key code (the first one).
    static std::optional<size_t> KeyboardRowOfVirtualKey(uint16_t virtualKey);
};

}  // namespace marlo::panels
