#include "KeyPanelRouter.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "ControlRouter.h"
#include "MainWnd.h"
#include "pages/DeviceKeyButtonUI.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "panels/KeySetControlUI.h"
#include "ui/ListUI.h"

namespace marlo::app {

using panels::KeyCode;

panels::CKeySetControlUI* CKeyPanelRouter::Panel(pages::CZentrixKeyboardDevice& keyboard) {
    return dynamic_cast<panels::CKeySetControlUI*>(keyboard.FindSubControl("KeySetControlItem"));
}

void CKeyPanelRouter::OpenKey(pages::CZentrixKeyboardDevice& keyboard,
                              panels::CKeySetControlUI& panel, int position) {
    // The open key is marked on the drawing.
    if (position_ >= 0) {
        if (auto* before = keyboard.KeyButton(static_cast<size_t>(position_))) {
            before->SetSelected(false);
        }
    }
    position_ = position;
    if (auto* button = keyboard.KeyButton(static_cast<size_t>(position))) {
        button->SetSelected(true);
    }
    panel.Open(KeyCode::From(keyboard.KeyCodesAt(position).assignment));
    panel.EnableButtons(true);
}

bool CKeyPanelRouter::OnClick(pages::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    panels::CKeySetControlUI* panel = Panel(keyboard);
    if (panel == nullptr || sender == nullptr) {
        return false;
    }
    const std::string& name = sender->GetName();
    if (const auto position = CControlRouter::IndexAfter(name, "key_");
        position && *position < devices::kKeyPositions &&
        dynamic_cast<pages::CDeviceKeyButtonUI*>(sender) != nullptr) {
        OpenKey(keyboard, *panel, *position);
        return true;
    }
    const bool keyOpen = position_ >= 0;
    if (CControlRouter::Is(name, "key_butt_keysave")) {
        if (keyOpen) {
            const KeyCode code = panel->Read();
            keyboard.SetKeyAssignment(position_, code.Packed());
            panel->Open(code);
        }
        return true;
    }
    if (CControlRouter::Is(name, "key_butt_keycancel")) {
        if (keyOpen) {
            panel->Open(KeyCode::From(keyboard.KeyCodesAt(position_).assignment));
        }
        return true;
    }
    if (CControlRouter::Is(name, "key_butt_keydefalut")) {
        if (keyOpen) {
            panel->Show(KeyCode::From(keyboard.KeyCodesAt(position_).byDefault));
        }
        return true;
    }
    if (CControlRouter::Is(name, "key_butt_prosave")) {
        if (keyOpen) {
            keyboard.SetKeyAssignment(position_, panel->Read().Packed());
        }
        keyboard.SaveKeys(
            [this](int macros, bool failed) { window_.ShowKeysWritten(macros, failed); });
        return true;
    }
    return false;
}

bool CKeyPanelRouter::OnKillFocus(pages::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    struct Range {
        const char* name;
        int low;
        int high;
    };
    static constexpr Range kRanges[] = {
        {"keyset_mouseswing_num_edit", 0, 127},    {"keyset_mouseswing_delay_edit", 0, 15},
        {"keyset_mouseswing_speed_edit", 0, 15},   {"keyset_mousewheel_num_edit", 0, 128},
        {"keyset_mousewheel_delay_edit", 0, 15},   {"keyset_mousewheel_speed_edit", 0, 15},
        {"keyset_mousefire_interval_edit", 0, 255}, {"keyset_mousefire_num_edit", 0, 255},
        {"keyset_macro_cycle_edit", 1, 255},
    };
    if (Panel(keyboard) == nullptr || sender == nullptr) {
        return false;
    }
    for (const Range& range : kRanges) {
        if (!CControlRouter::Is(sender->GetName(), range.name)) {
            continue;
        }
        const std::string& text = sender->GetText();
        long value = range.low;  // an empty or unreadable field takes the lowest
        if (!text.empty()) {
            char* end = nullptr;
            const long read = std::strtol(text.c_str(), &end, 10);
            value = end != nullptr && *end == '\0' ? read : range.low;
        }
        const long kept = std::clamp<long>(value, range.low, range.high);
        if (std::to_string(kept) != text) {
            sender->SetText(std::to_string(kept));
        }
        return true;
    }
    return false;
}

void CKeyPanelRouter::OnCapturedKey(pages::CZentrixKeyboardDevice& keyboard, uint32_t virtualKey) {
    if (panels::CKeySetControlUI* panel = Panel(keyboard); panel != nullptr && position_ >= 0) {
        panel->CaptureVirtualKey(static_cast<uint16_t>(virtualKey));
    }
}

bool CKeyPanelRouter::OnItemSelect(pages::CZentrixKeyboardDevice& keyboard,
                                   ui::CControlUI* sender) {
    panels::CKeySetControlUI* panel = Panel(keyboard);
    auto* combo = dynamic_cast<ui::CComboUI*>(sender);
    if (panel == nullptr || combo == nullptr) {
        return false;
    }
    if (CControlRouter::Is(sender->GetName(), "keyset_function_combo")) {
        panel->SelectCategoryItem(combo->GetCurSel());
        return true;
    }
    if (CControlRouter::Is(sender->GetName(), "keyset_macro_over_combo")) {
        // Run mode 4 repeats a number of times: its count shows.
        if (ui::CControlUI* cycle = panel->FindSubControl("keyset_macro_cycle_layout")) {
            cycle->SetVisible(combo->GetCurSel() == 4);
        }
        return true;
    }
    return false;
}

}  // namespace marlo::app
