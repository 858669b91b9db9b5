#include "panels/MacroStepText.h"

#include <cstdio>

#include "panels/KeyFunctionTables.h"
#include "ui/ResourceManager.h"

namespace marlo::panels {
namespace {

std::string Text(const std::string& id) { return ui::CResourceManager::GetInstance().GetText(id); }

std::string KeyName(int virtualKey) {
    const auto row = KeyFunctionTables::KeyboardRowOfVirtualKey(static_cast<uint16_t>(virtualKey));
    if (row) {
        return Text(KeyFunctionTables::Keyboard()[*row].name);
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%02X", virtualKey & 0xFF);
    return Text("macro_key_code") + " " + code;
}

std::string ButtonName(int button) {
    switch (button) {
        case 1: case 2: case 4: case 5: case 6:
            return Text("macro_mouse_" + std::to_string(button));
        default:
            return Text("macro_mouse_other") + " " + std::to_string(button);
    }
}

}  // namespace

MacroStepText MacroStepText::Of(const profiles::MacroEvent& event) {
    MacroStepText out;
    const bool down = event.action == "down";
    out.actionStyle = down ? "macro_label_down_style" : "macro_label_up_style";
    if (IsMovement(event.type)) {
        out.kindStyle = "macro_label_mouse_style";
        out.text = Text("macro_move_" + std::to_string(event.type)) + " " +
                   std::to_string(event.button);
        return out;
    }
    const std::string verb = Text(down ? "macro_step_down" : "macro_step_up");
    if (event.type == kMouseButtonType) {
        out.kindStyle = "macro_label_mouse_style";
        out.text = verb + " " + ButtonName(event.button);
    } else {
        out.kindStyle = "macro_label_keyboard_style";
        out.text = verb + " " + KeyName(event.button);
    }
    return out;
}

}  // namespace marlo::panels
