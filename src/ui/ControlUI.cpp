#include "ui/ControlUI.h"

#include <utility>

#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

namespace marlo::ui {

namespace {

bool IsTrue(std::string_view v) {
    return v == "true" || v == "1";
}

}  // namespace

void CControlUI::SetName(std::string name) {
    const std::string old = std::exchange(name_, std::move(name));
    if (manager_ != nullptr) {
        manager_->RenameControl(this, old);
    }
}

void CControlUI::SetText(std::string text) {
    text_ = std::move(text);
    Invalidate();
}

std::string CControlUI::GetShownText() const {
    const std::string text = GetText();
    return resourceText_ ? CResourceManager::GetInstance().GetText(text, this) : text;
}

std::string CControlUI::GetShownToolTip() const {
    if (tooltip_.empty()) {
        return tooltip_;
    }
    return CResourceManager::GetInstance().FindText(tooltip_).value_or(tooltip_);
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    visible_ = visible;
    if (!visible && manager_ != nullptr && IsFocused()) {
        manager_->SetFocus(nullptr);
    }
    Invalidate();
}

bool CControlUI::IsVisible() const {
    for (const CControlUI* c = this; c != nullptr; c = c->parent_) {
        if (!c->visible_) {
            return false;
        }
    }
    return true;
}

void CControlUI::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Invalidate();
}

bool CControlUI::IsFocused() const {
    return manager_ != nullptr && manager_->GetFocus() == this;
}

void CControlUI::SetFocus() {
    if (manager_ != nullptr) {
        manager_->SetFocus(this);
    }
}

void CControlUI::SetAttribute(std::string_view name, std::string_view value) {
    attributes_[std::string(name)] = std::string(value);
    if (name == "name") {
        SetName(std::string(value));
    } else if (name == "text") {
        SetText(std::string(value));
    } else if (name == "tooltip") {
        SetToolTip(std::string(value));
    } else if (name == "visible") {
        SetVisible(IsTrue(value));
    } else if (name == "enabled") {
        SetEnabled(IsTrue(value));
    } else if (name == "userdata") {
        SetUserData(std::string(value));
    } else if (name == "resourcetext") {
        SetResourceText(IsTrue(value));
    }
}

std::optional<std::string> CControlUI::GetAttribute(std::string_view name) const {
    const auto it = attributes_.find(name);
    return it == attributes_.end() ? std::nullopt : std::optional(it->second);
}

uint32_t CControlUI::GetColorAttribute(std::string_view name) const {
    const auto value = GetAttribute(name);
    return value ? ParseColor(*value) : 0;
}

std::string CControlUI::GetVirtualWnd() const {
    for (const CControlUI* c = this; c != nullptr; c = c->parent_) {
        if (const auto v = c->GetAttribute("virtualwnd")) {
            return *v;
        }
    }
    return {};
}

void CControlUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (manager_ != nullptr && manager_ != manager) {
        manager_->ForgetControl(this);
    }
    parent_ = parent;
    manager_ = manager;
    if (manager_ != nullptr) {
        manager_->RegisterControl(this);
    }
}

bool CControlUI::Activate() {
    if (!IsVisible() || !IsEnabled()) {
        return false;
    }
    SendNotify(notify::kClick);
    return true;
}

void CControlUI::DoEvent(TEventUI& event) {
    if (event.type == UiEventType::kButtonUp) {
        Activate();
    } else if (parent_ != nullptr && event.type == UiEventType::kScrollWheel) {
        parent_->DoEvent(event);
    }
}

CControlUI* CControlUI::FindControl(const std::function<bool(CControlUI*)>& visit) {
    return visit(this) ? this : nullptr;
}

void CControlUI::Invalidate() {
    if (manager_ != nullptr) {
        manager_->ControlChanged(this);
    }
}

void CControlUI::InvalidateColours() {
    if (manager_ != nullptr) {
        manager_->ControlRecoloured(this);
    }
}

void CControlUI::SendNotify(const char* type, uintptr_t wParam, intptr_t lParam) {
    if (manager_ != nullptr) {
        manager_->SendNotify(this, type, wParam, lParam);
    }
}

}  // namespace marlo::ui
