#include "ui/ListOwnerUI.h"

#include <algorithm>

#include "ui/PaintManagerUI.h"

namespace marlo::ui {

IListItemUI* CListOwnerUI::AsItem(CControlUI* control) {
    return dynamic_cast<IListItemUI*>(control);
}

bool CListOwnerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    IListItemUI* item = AsItem(control.get());
    if (!CVerticalLayoutUI::AddAt(std::move(control), index)) {
        return false;
    }
    if (item != nullptr) {
        item->SetOwner(this);
    }
    if (curSel_ >= index) {
        ++curSel_;
    }
    return true;
}

bool CListOwnerUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (!CVerticalLayoutUI::Remove(control)) {
        return false;
    }
    if (curSel_ == index) {
        curSel_ = -1;
    } else if (curSel_ > index) {
        --curSel_;
    }
    return true;
}

void CListOwnerUI::RemoveAll() {
    CVerticalLayoutUI::RemoveAll();
    curSel_ = -1;
}

bool CListOwnerUI::SelectItem(int index, bool takeFocus, bool triggerEvent) {
    if (index == curSel_) {
        return true;
    }
    CControlUI* control = GetItemAt(index);
    IListItemUI* item = AsItem(control);
    if (index >= 0 && (item == nullptr || !control->IsEnabled())) {
        return false;
    }
    if (IListItemUI* old = AsItem(GetItemAt(curSel_))) {
        old->SetSelectedState(false);
        GetItemAt(curSel_)->Invalidate();  // its selected look goes
    }
    const int old = curSel_;
    curSel_ = index;
    if (item != nullptr) {
        item->SetSelectedState(true);
        control->Invalidate();
    }
    if (takeFocus) {
        SetFocus();
    }
    Invalidate();
    if (triggerEvent) {
        SendNotify(notify::kItemSelect, static_cast<uintptr_t>(std::max(index, -1)), old);
    }
    return true;
}

void CListOwnerUI::ItemActivated(CControlUI* item) {
    if (GetItemIndex(item) < 0) {
        return;
    }
    SelectItem(GetItemIndex(item));
    if (CPaintManagerUI* m = GetManager()) {
        // The notification comes from the item: handlers read the item's own name.
        m->SendNotify(item, notify::kItemActivate);
    }
}

void CListOwnerUI::DoEvent(TEventUI& event) {
    if (event.type == UiEventType::kKeyDown && (event.key == kVkUp || event.key == kVkDown)) {
        const int next = curSel_ + (event.key == kVkDown ? 1 : -1);
        if (next >= 0 && next < GetCount()) {
            SelectItem(next, true);
        }
        return;
    }
    if (event.type == UiEventType::kKeyDown && event.key == kVkReturn && curSel_ >= 0) {
        ItemActivated(GetItemAt(curSel_));
        return;
    }
    CVerticalLayoutUI::DoEvent(event);
}

}  // namespace marlo::ui
