#include "panels/KeySetControlUI.h"

#include <charconv>
#include <memory>

#include "ui/EditUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/ResourceManager.h"
#include "ui/TabLayoutUI.h"

namespace marlo::panels {
namespace {

// The combo positions of the categories: the position's user data is the category number.
int CategoryOfItem(const ui::CComboUI* combo, int item) {
    const ui::CControlUI* entry = combo != nullptr ? combo->GetItemAt(item) : nullptr;
    if (entry == nullptr) {
        return 0;
    }
    int category = 0;
    const std::string& data = entry->GetUserData();
    std::from_chars(data.data(), data.data() + data.size(), category);
    return category;
}

int Selected(const ui::CComboUI* combo) {
    return combo != nullptr ? combo->GetCurSel() : -1;
}

}  // namespace

void CKeySetControlUI::Init() {
    initialised_ = true;
    SwitchPage(0);
}

ui::CComboUI* CKeySetControlUI::Combo(const char* name) const {
    return dynamic_cast<ui::CComboUI*>(const_cast<CKeySetControlUI*>(this)->FindSubControl(name));
}

ui::CEditUI* CKeySetControlUI::Edit(const char* name) const {
    return dynamic_cast<ui::CEditUI*>(const_cast<CKeySetControlUI*>(this)->FindSubControl(name));
}

int CKeySetControlUI::EditNumber(const char* name) const {
    const ui::CEditUI* edit = Edit(name);
    int value = 0;
    if (edit != nullptr) {
        const std::string& text = edit->GetText();
        std::from_chars(text.data(), text.data() + text.size(), value);
    }
    return value;
}

void CKeySetControlUI::SetEditNumber(const char* name, int value) {
    if (ui::CEditUI* edit = Edit(name)) {
        edit->SetText(std::to_string(value));
    }
}

void CKeySetControlUI::SetMacroList(const std::vector<std::string>& names) {
    macroCount_ = static_cast<int>(names.size());
    ui::CComboUI* combo = Combo("keyset_macro_combo");
    if (combo == nullptr) {
        return;
    }
    combo->RemoveAll();
    for (const std::string& name : names) {
        auto entry = std::make_unique<ui::CListLabelElementUI>();
        entry->SetText(name);
        combo->Add(std::move(entry));
    }
}

void CKeySetControlUI::SwitchPage(int page) {
    page_ = page;
    if (auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(FindSubControl("function_switch_tablayout"))) {
        tabs->SelectItem(page);
    }
}

void CKeySetControlUI::Open(KeyCode code) {
    opened_ = code;
    keyboardRow_ = -1;
    // The key's own code is shown as what it is, not as "no change".
    const KeyAssignmentCodec codec(KeyCode{0xFF, 0xFF, 0xFF}, macroCount_);
    KeySetState state = State();
    codec.Show(code, state);
    Apply(state);
}

void CKeySetControlUI::Show(KeyCode code) {
    KeySetState state = State();
    KeyAssignmentCodec(opened_, macroCount_).Show(code, state);
    Apply(state);
}

KeyCode CKeySetControlUI::Read() const {
    return KeyAssignmentCodec(opened_, macroCount_).Read(State());
}

KeySetState CKeySetControlUI::State() const {
    KeySetState s;
    const ui::CComboUI* categories = Combo("keyset_function_combo");
    s.category = CategoryOfItem(categories, Selected(categories));
    s.mouseButton = Selected(Combo("keyset_mousekey_combo"));
    s.moveDirection = Selected(Combo("keyset_mouseswing_combo")) == 1 ? 1 : 0;
    s.moveCount = EditNumber("keyset_mouseswing_num_edit");
    s.moveDelay = EditNumber("keyset_mouseswing_delay_edit");
    s.moveSpeed = EditNumber("keyset_mouseswing_speed_edit");
    s.wheelDirection = Selected(Combo("keyset_mousewheel_combo")) == 1 ? 1 : 0;
    s.wheelCount = EditNumber("keyset_mousewheel_num_edit");
    s.wheelDelay = EditNumber("keyset_mousewheel_delay_edit");
    s.wheelSpeed = EditNumber("keyset_mousewheel_speed_edit");
    s.dpi = Selected(Combo("keyset_mousedpi_combo"));
    s.fireInterval = EditNumber("keyset_mousefire_interval_edit");
    s.fireCount = EditNumber("keyset_mousefire_num_edit");
    s.keyboardRow = keyboardRow_;
    s.modifier = SelectedModifier();
    s.media = Selected(Combo("keyset_media_combo"));
    s.system = Selected(Combo("keyset_system_combo"));
    s.macro = Selected(Combo("keyset_macro_combo"));
    s.runMode = Selected(Combo("keyset_macro_over_combo"));
    s.repeat = EditNumber("keyset_macro_cycle_edit");
    s.gunKey = Selected(Combo("keyset_gunkey_combo"));
    s.shortcut = Selected(Combo("keyset_combokey_combo"));
    return s;
}

void CKeySetControlUI::Apply(const KeySetState& s) {
    const auto select = [this](const char* name, int item) {
        if (ui::CComboUI* combo = Combo(name)) {
            combo->SelectItem(item, false, false);
        }
    };
    select("keyset_mousekey_combo", s.mouseButton);
    select("keyset_mouseswing_combo", s.moveDirection);
    SetEditNumber("keyset_mouseswing_num_edit", s.moveCount);
    SetEditNumber("keyset_mouseswing_delay_edit", s.moveDelay);
    SetEditNumber("keyset_mouseswing_speed_edit", s.moveSpeed);
    select("keyset_mousewheel_combo", s.wheelDirection);
    SetEditNumber("keyset_mousewheel_num_edit", s.wheelCount);
    SetEditNumber("keyset_mousewheel_delay_edit", s.wheelDelay);
    SetEditNumber("keyset_mousewheel_speed_edit", s.wheelSpeed);
    select("keyset_mousedpi_combo", s.dpi);
    SetEditNumber("keyset_mousefire_interval_edit", s.fireInterval);
    SetEditNumber("keyset_mousefire_num_edit", s.fireCount);
    keyboardRow_ = s.keyboardRow;
    if (ui::CEditUI* key = Edit("keyset_keyboard_text_edit")) {
        const auto keys = KeyFunctionTables::Keyboard();
        key->SetText(keyboardRow_ >= 0 ? ui::CResourceManager::GetInstance()
                                             .FindText(keys[static_cast<size_t>(keyboardRow_)].name)
                                             .value_or(keys[static_cast<size_t>(keyboardRow_)].name)
                                       : "");
    }
    SelectModifier(s.modifier);
    select("keyset_media_combo", s.media);
    select("keyset_system_combo", s.system);
    select("keyset_macro_combo", s.macro);
    select("keyset_macro_over_combo", s.runMode);
    SetEditNumber("keyset_macro_cycle_edit", s.repeat);
    if (ui::CControlUI* cycle = FindSubControl("keyset_macro_cycle_layout")) {
        cycle->SetVisible(s.cycleShown);
    }
    select("keyset_gunkey_combo", s.gunKey);
    select("keyset_combokey_combo", s.shortcut);
    // The category's item and page; a category the combo does not have shows its first item.
    ui::CComboUI* categories = Combo("keyset_function_combo");
    int item = 0;
    for (int i = 0; categories != nullptr && i < categories->GetCount(); ++i) {
        if (CategoryOfItem(categories, i) == s.category) {
            item = i;
        }
    }
    select("keyset_function_combo", item);
    SwitchPage(s.category);
}

void CKeySetControlUI::SelectCategoryItem(int item) {
    SwitchPage(CategoryOfItem(Combo("keyset_function_combo"), item));
}

bool CKeySetControlUI::CaptureVirtualKey(uint16_t virtualKey) {
    const auto row = KeyFunctionTables::KeyboardRowOfVirtualKey(virtualKey);
    if (!row) {
        return false;
    }
    KeySetState state = State();
    state.keyboardRow = static_cast<int>(*row);
    if (state.modifier < 0) {
        state.modifier = 0;
    }
    state.category = 6;
    Apply(state);
    return true;
}

void CKeySetControlUI::EnableButtons(bool enable) {
    for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}) {
        if (ui::CControlUI* button = FindSubControl(name)) {
            button->SetEnabled(enable);
        }
    }
}

void CKeySetControlUI::SelectModifier(int option) {
    for (int i = 0; i <= 4; ++i) {
        if (auto* box = dynamic_cast<ui::COptionUI*>(
                FindSubControl(kModifierPrefix + std::to_string(i)))) {
            box->Selected(i == option, false);
        }
    }
}

int CKeySetControlUI::SelectedModifier() const {
    for (int i = 0; i <= 4; ++i) {
        if (auto* box = dynamic_cast<ui::COptionUI*>(const_cast<CKeySetControlUI*>(this)->FindSubControl(
                kModifierPrefix + std::to_string(i)));
            box != nullptr && box->IsSelected()) {
            return i;
        }
    }
    return -1;
}

}  // namespace marlo::panels
