#include "ui/ListUI.h"

namespace marlo::ui {

std::string CComboUI::GetText() const {
    const CControlUI* item = GetItemAt(GetCurSel());
    return item != nullptr ? item->GetShownText() : std::string();
}

bool CComboUI::Activate() {
    if (!IsVisible() || !IsEnabled()) {
        return false;
    }
    dropped_ = true;
    SendNotify(notify::kDropDown);
    Invalidate();
    return true;
}

bool CComboUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    dropped_ = false;
    return CListOwnerUI::SelectItem(index, takeFocus, triggerEvent);
}

}  // namespace marlo::ui
