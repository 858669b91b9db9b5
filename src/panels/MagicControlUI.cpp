#include "panels/MagicControlUI.h"

#include <string>

#include "ui/OptionUI.h"

namespace marlo::panels {

void CMagicControlUI::SetSwitch(bool on) {
    if (auto* option = dynamic_cast<ui::COptionUI*>(FindSubControl("magic_enable_option"))) {
        option->Selected(on, false);
    }
    if (ui::CControlUI* area = FindSubControl("magic_option_layout")) {
        area->SetEnabled(on);
    }
}

bool CMagicControlUI::GetSwitch() const {
    const auto* option = dynamic_cast<const ui::COptionUI*>(
        const_cast<CMagicControlUI*>(this)->FindSubControl("magic_enable_option"));
    return option != nullptr && option->IsSelected();
}

void CMagicControlUI::SelectEffect(int effect) {
    effect_ = effect >= 1 && effect <= kEffects ? effect : 0;
    for (int n = 1; n <= kEffects; ++n) {
        if (auto* option = dynamic_cast<ui::COptionUI*>(
                FindSubControl("magic_option_" + std::to_string(n)))) {
            option->Selected(n == effect_, false);
        }
    }
}

}  // namespace marlo::panels
