#pragma once

#include "panels/KeyFunctionTables.h"

namespace marlo::panels {

// What the key assignment panel's controls hold, category by category: combo positions
// (-1 for none selected) and the numbers of the edit fields.
struct KeySetState {
    int category = 0;
    int mouseButton = -1;                                        // 1
    int moveDirection = 0, moveCount = 0, moveDelay = 0, moveSpeed = 0;  // 2
    int wheelDirection = 0, wheelCount = 0, wheelDelay = 0, wheelSpeed = 0;  // 3
    int dpi = -1;                                                // 4
    int fireInterval = 0, fireCount = 0;                         // 5
    int keyboardRow = -1;  // 6: the captured key's row of the keyboard table, -1 for none
    int modifier = -1;     // 6: option 0 (none) to 4 (Win), -1 for none selected
    int media = -1;        // 7
    int system = -1;       // 8
    int macro = -1, runMode = -1, repeat = 0;                    // 9
    bool cycleShown = false;                                     // 9: run mode 4's count
    int gunKey = -1;                                             // 10
    int shortcut = -1;                                           // 11
};

// The key assignment panel's two directions: Show puts a code into the controls (and picks
// the category), Read builds a code from them. Both know the code the panel was opened with
// and how many macros there are.
class KeyAssignmentCodec {
  public:
    static constexpr uint8_t kTypeMacro = 0x70;        // 'p': run modes 0-3
    static constexpr uint8_t kTypeMacroRepeat = 0x71;  // 'q': run mode 4, a repeat count

    KeyAssignmentCodec(KeyCode opened, int macroCount) : opened_(opened), macros_(macroCount) {}

    // Into `state`; a code that matches no row of its table leaves that combo as it was. The
    // code Read would give for the shown state may differ only where Show corrects it (a key
    // with no row becomes no key).
    void Show(KeyCode code, KeySetState& state) const;
    // The code of the selected category; the opened code where the controls say nothing.
    KeyCode Read(const KeySetState& state) const;

  private:
    void ShowKeyboardKey(KeyCode code, KeySetState& state) const;
    KeyCode ReadKeyboardKey(const KeySetState& state) const;
    KeyCode ReadMacro(const KeySetState& state) const;
    KeyCode RowOrOpened(std::span<const KeyFunctionRow> table, int row) const;

    KeyCode opened_;
    int macros_;
};

}  // namespace marlo::panels
