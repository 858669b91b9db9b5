#include "panels/KeyAssignmentCodec.h"

namespace marlo::panels {
namespace {

using Tables = KeyFunctionTables;

// Show's selection in a table: the matching row, or the combo as it was.
void Select(std::span<const KeyFunctionRow> table, KeyCode code, int& combo) {
    if (const auto row = Tables::RowOf(table, code.value1, code.value2)) {
        combo = static_cast<int>(*row);
    }
}

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value);
}

}  // namespace

void KeyAssignmentCodec::Show(KeyCode code, KeySetState& state) const {
    const uint8_t type = code == opened_ ? 0 : code.type;
    switch (type) {
        case 0x10:
            Select(Tables::MouseButtons(), code, state.mouseButton);
            state.category = 1;
            break;
        case 0x11:
            state.moveDelay = code.value1 >> 4;
            state.moveSpeed = code.value1 & 0x0F;
            state.moveCount = code.value2 & 0x7F;
            state.moveDirection = (code.value2 & 0x80) != 0 ? 1 : 0;
            state.category = 2;
            break;
        case 0x12: {
            const bool back = (code.value2 & 0x80) != 0;
            state.wheelDelay = code.value1 >> 4;
            state.wheelSpeed = code.value1 & 0x0F;
            state.wheelCount = back ? 128 - (code.value2 & 0x7F) : code.value2 & 0x7F;
            state.wheelDirection = back ? 1 : 0;
            state.category = 3;
            break;
        }
        case 0x13:
            Select(Tables::Dpi(), code, state.dpi);
            state.category = 4;
            break;
        case 0x14:
            state.fireInterval = code.value1;
            state.fireCount = code.value2;
            state.category = 5;
            break;
        case 0x20:
            ShowKeyboardKey(code, state);
            break;
        case 0x30:
            Select(Tables::Media(), code, state.media);
            state.category = 7;
            break;
        case 0x40:
            Select(Tables::System(), code, state.system);
            state.category = 8;
            break;
        case kTypeMacro:
        case kTypeMacroRepeat: {
            // A macro the list does not have (its number is not below the count) is shown as
            // none, not as a row past the end of the list.
            const bool exists = code.value1 < macros_;
            state.macro = exists ? code.value1 : -1;
            if (type == kTypeMacro) {
                state.runMode = exists ? code.value2 : -1;
                state.cycleShown = false;
            } else {
                state.runMode = 4;
                state.cycleShown = exists;
                state.repeat = code.value2;
            }
            state.category = 9;
            break;
        }
        case 0x72:
            state.gunKey = code.value1;
            state.category = 10;
            break;
        case 0xB0:
            state.category = 11;
            break;
        default:
            state.category = 0;
            break;
    }
}

void KeyAssignmentCodec::ShowKeyboardKey(KeyCode code, KeySetState& state) const {
    const auto keys = Tables::Keyboard();
    state.category = 6;
    if (code.value1 > 128) {
        Select(Tables::Shortcuts(), code, state.shortcut);
        state.category = 11;
        return;
    }
    if (code.value1 != 0) {
        // Left and right of a modifier are the same option: Ctrl 1, Shift 2, Alt 3, Win 4.
        state.modifier = -1;
        for (size_t r = 0; r < Tables::kModifierRows; ++r) {
            if (keys[r].code.value1 == code.value1) {
                state.modifier = static_cast<int>((r + 1) % 5 + (r + 1) / 5);
                break;
            }
        }
    }
    state.keyboardRow = -1;
    for (size_t r = Tables::kModifierRows; r < keys.size(); ++r) {
        if (keys[r].code.type == 0x20 && keys[r].code.value1 == 0 &&
            keys[r].code.value2 == code.value2) {
            state.keyboardRow = static_cast<int>(r);
            break;
        }
    }
    if (code.value1 == 0) {
        state.modifier = state.keyboardRow >= 0 ? 0 : -1;
    }
}

KeyCode KeyAssignmentCodec::RowOrOpened(std::span<const KeyFunctionRow> table, int row) const {
    return row >= 0 && static_cast<size_t>(row) < table.size()
               ? table[static_cast<size_t>(row)].code
               : opened_;
}

KeyCode KeyAssignmentCodec::Read(const KeySetState& s) const {
    switch (s.category) {
        case 1:
            return RowOrOpened(Tables::MouseButtons(), s.mouseButton);
        case 2:
            return {0x11, Byte((s.moveDelay & 0x0F) << 4 | (s.moveSpeed & 0x0F)),
                    Byte((s.moveCount & 0x7F) | (s.moveDirection == 1 ? 0x80 : 0))};
        case 3:
            return {0x12, Byte((s.wheelDelay & 0x0F) << 4 | (s.wheelSpeed & 0x0F)),
                    s.wheelDirection == 1 ? Byte((128 - s.wheelCount) | 0x80)
                                          : Byte(s.wheelCount & 0x7F)};
        case 4:
            return RowOrOpened(Tables::Dpi(), s.dpi);
        case 5:
            return {0x14, Byte(s.fireInterval), Byte(s.fireCount)};
        case 6:
            return ReadKeyboardKey(s);
        case 7:
            return RowOrOpened(Tables::Media(), s.media);
        case 8:
            return RowOrOpened(Tables::System(), s.system);
        case 9:
            return ReadMacro(s);
        case 10:
            return {0x72, Byte(s.gunKey < 0 ? 0 : s.gunKey), 0};
        case 11:
            return RowOrOpened(Tables::Shortcuts(), s.shortcut);
        default:
            return opened_;
    }
}

KeyCode KeyAssignmentCodec::ReadKeyboardKey(const KeySetState& s) const {
    // The left-hand modifier of the option: Ctrl 0x01, Shift 0x02, Alt 0x04, Win 0x08.
    const uint8_t modifier = s.modifier >= 1 && s.modifier <= 4 ? Byte(1 << (s.modifier - 1)) : 0;
    const auto keys = Tables::Keyboard();
    if (s.keyboardRow < 0 || static_cast<size_t>(s.keyboardRow) >= keys.size()) {
        return {0x20, modifier, 0};
    }
    KeyCode code = keys[static_cast<size_t>(s.keyboardRow)].code;
    if (code.type != 0x20) {
        return code;  // a media, system or device key: its own code, which has no modifier
    }
    // A captured modifier key keeps its own bit beside the option's (it is the key).
    const bool modifierKey = static_cast<size_t>(s.keyboardRow) < Tables::kModifierRows;
    code.value1 = Byte((modifierKey ? code.value1 : 0) | modifier);
    return code;
}

KeyCode KeyAssignmentCodec::ReadMacro(const KeySetState& s) const {
    if (s.macro < 0 || macros_ <= 0) {
        return opened_;
    }
    if (s.runMode == 4) {
        return {kTypeMacroRepeat, Byte(s.macro), Byte(s.repeat)};
    }
    return {kTypeMacro, Byte(s.macro), Byte(s.runMode < 0 ? 0 : s.runMode)};
}

}  // namespace marlo::panels
