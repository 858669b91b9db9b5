#pragma once

#include <string>

#include "profiles/MacroEvent.h"

namespace marlo::panels {

// How a macro step reads in the step list: "Press A", "Release Left button", "Move left 10",
// in the program's language, and the skin styles its label takes (the press or release style,
// and the keyboard or mouse style).
struct MacroStepText {
    static constexpr int kKeyboardType = 10;
    static constexpr int kKeyboardTypeAlt = 9;
    static constexpr int kMouseButtonType = 1;
    static constexpr int kMoveLeftType = 2;  // 2-5: move left, right, up, down by "Button"
    static constexpr int kMoveDownType = 5;

    std::string text;
    const char* actionStyle = "";
    const char* kindStyle = "";

    static MacroStepText Of(const profiles::MacroEvent& event);
    static bool IsMovement(int type) { return type >= kMoveLeftType && type <= kMoveDownType; }
};

}  // namespace marlo::panels
