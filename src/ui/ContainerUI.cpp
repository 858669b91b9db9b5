#include "ui/ContainerUI.h"

#include <algorithm>

#include "ui/PaintManagerUI.h"

namespace marlo::ui {

bool CContainerUI::Add(std::unique_ptr<CControlUI> control) {
    return AddAt(std::move(control), GetCount());
}

bool CContainerUI::AddAt(std::unique_ptr<CControlUI> control, int index) {
    if (!control || index < 0 || index > GetCount()) {
        return false;
    }
    CControlUI* raw = control.get();
    items_.insert(items_.begin() + index, std::move(control));
    raw->SetManager(GetManager(), this);
    Invalidate();
    raw->Invalidate();  // a shown window gives the new control its peer
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    const int index = GetItemIndex(control);
    if (index < 0) {
        return false;
    }
    if (CPaintManagerUI* m = GetManager()) {
        // The subtree leaves the window: its names, focus and timers go with it.
        control->FindControl([m](CControlUI* c) {
            m->ForgetControl(c);
            return false;
        });
    }
    items_.erase(items_.begin() + index);
    Invalidate();
    return true;
}

void CContainerUI::RemoveAll() {
    while (!items_.empty()) {
        Remove(items_.back().get());
    }
    scrollPos_ = 0;
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    return index < 0 || index >= GetCount() ? nullptr : items_[static_cast<size_t>(index)].get();
}

int CContainerUI::GetItemIndex(const CControlUI* control) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        if (items_[i].get() == control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

CControlUI* CContainerUI::FindSubControl(std::string_view name) {
    for (const auto& item : items_) {
        if (CControlUI* found =
                item->FindControl([&](CControlUI* c) { return c->GetName() == name; })) {
            return found;
        }
    }
    return nullptr;
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    CControlUI::SetManager(manager, parent);
    for (const auto& item : items_) {
        item->SetManager(manager, this);
    }
}

CControlUI* CContainerUI::FindControl(const std::function<bool(CControlUI*)>& visit) {
    if (visit(this)) {
        return this;
    }
    for (const auto& item : items_) {
        if (CControlUI* found = item->FindControl(visit)) {
            return found;
        }
    }
    return nullptr;
}

void CContainerUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "vscrollbar") {
        scrollable_ = value == "true";
    }
    CControlUI::SetAttribute(name, value);
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.type == UiEventType::kScrollWheel && scrollable_) {
        SetScrollPos(scrollPos_ - event.delta);
        return;
    }
    CControlUI::DoEvent(event);
}

void CContainerUI::SetScrollPos(int pos) {
    scrollPos_ = std::clamp(pos, 0, std::max(0, GetCount() - 1));
    Invalidate();
}

}  // namespace marlo::ui
