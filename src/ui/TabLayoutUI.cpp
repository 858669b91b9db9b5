#include "ui/TabLayoutUI.h"

#include <charconv>

namespace marlo::ui {

bool CTabLayoutUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    CControlUI* raw = control.get();
    if (!CContainerUI::AddAt(std::move(control), index)) {
        return false;
    }
    const int at = GetItemIndex(raw);
    if (curSel_ >= at && curSel_ >= 0 && GetCount() > 1) {
        ++curSel_;
    }
    raw->SetVisible(false);
    if (curSel_ < 0 && at == wanted_) {
        SelectItem(at, false);
    } else if (curSel_ >= 0) {
        GetItemAt(curSel_)->SetVisible(true);
    }
    return true;
}

bool CTabLayoutUI::SelectItem(int index, bool triggerEvent) {
    if (index < 0 || index >= GetCount()) {
        return false;
    }
    const int old = curSel_;
    curSel_ = index;
    for (int i = 0; i < GetCount(); ++i) {
        GetItemAt(i)->SetVisible(i == index);
    }
    if (old != index) {
        Invalidate();  // the display shows the selected page
    }
    if (triggerEvent && old != index) {
        SendNotify(notify::kTabSelect, static_cast<uintptr_t>(index), old);
    }
    return true;
}

void CTabLayoutUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectedid") {
        std::from_chars(value.data(), value.data() + value.size(), wanted_);
        if (wanted_ < GetCount()) {
            SelectItem(wanted_, false);
        }
    }
    CContainerUI::SetAttribute(name, value);
}

}  // namespace marlo::ui
