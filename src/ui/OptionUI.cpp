#include "ui/OptionUI.h"

#include "ui/PaintManagerUI.h"

namespace marlo::ui {

void COptionUI::Selected(bool selected, bool triggerEvent) {
    if (selected_ == selected) {
        return;
    }
    selected_ = selected;
    Invalidate();
    CPaintManagerUI* manager = GetManager();
    if (manager == nullptr) {
        return;
    }
    if (group_.empty()) {
        if (triggerEvent) {
            SendNotify(notify::kSelectChanged);
        }
        return;
    }
    if (selected_) {
        for (COptionUI* other : manager->GetOptionGroup(group_)) {
            if (other != this) {
                other->Selected(false, triggerEvent);
            }
        }
        if (triggerEvent) {
            SendNotify(notify::kSelectChanged);
        }
    }
}

void COptionUI::SetGroup(std::string group) {
    if (GetManager() != nullptr && !group_.empty()) {
        GetManager()->RemoveOptionGroup(group_, this);
    }
    group_ = std::move(group);
    if (GetManager() != nullptr && !group_.empty()) {
        GetManager()->AddOptionGroup(group_, this);
    }
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) {
        return false;
    }
    Selected(group_.empty() ? !selected_ : true);
    return true;
}

void COptionUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "group") {
        SetGroup(std::string(value));
    } else if (name == "selected") {
        Selected(value == "true", false);
    }
    CButtonUI::SetAttribute(name, value);
}

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (GetManager() != nullptr && GetManager() != manager && !group_.empty()) {
        GetManager()->RemoveOptionGroup(group_, this);
    }
    const bool joining = manager != nullptr && GetManager() != manager;
    CButtonUI::SetManager(manager, parent);
    if (joining && !group_.empty()) {
        manager->AddOptionGroup(group_, this);
    }
}

bool CCheckBoxUI::Activate() {
    if (!CButtonUI::Activate()) {
        return false;
    }
    Selected(!IsSelected());
    return true;
}

}  // namespace marlo::ui
