#include "ui/WindowImplBase.h"

#include "ui/LabelUI.h"

#include <charconv>

#include "ui/ControlUI.h"

namespace marlo::ui {

WindowImplBase::WindowImplBase() {
    manager_.Init(this);
}

WindowImplBase::~WindowImplBase() {
    manager_.RemoveNotifier(this);
}

intptr_t WindowImplBase::HandleCustomMessage(uint32_t, uintptr_t, intptr_t, bool& handled) {
    handled = false;
    return 0;
}

intptr_t WindowImplBase::OnCreate() {
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(GetSkinFile(), this, &manager_);
    skinErrors_ = builder.errors();
    if (root) {
        manager_.AttachDialog(std::move(root));
    }
    manager_.AddNotifier(this);
    // The <Window size="w,h"> of the skin gives the window's size.
    const std::string size = manager_.GetWindowAttribute("size");
    int w = 0;
    int h = 0;
    if (const size_t comma = size.find(',');
        comma != std::string::npos &&
        std::from_chars(size.data(), size.data() + comma, w).ec == std::errc() &&
        std::from_chars(size.data() + comma + 1, size.data() + size.size(), h).ec == std::errc() &&
        w > 0 && h > 0) {
        ResizeClient(w, h);
    }
    InitWindow();
    manager_.PostNotify(manager_.GetRoot(), notify::kWindowInit);
    return 0;
}

intptr_t WindowImplBase::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (message == kWmCreate) {
        return OnCreate();
    }
    bool handled = false;
    const intptr_t result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    if (message == kWmKeyDown &&
        OnKeyDown(static_cast<uint32_t>(wParam), (lParam & kKeyShiftFlag) != 0)) {
        return 0;
    }
    return CWindowWnd::HandleMessage(message, wParam, lParam);
}

bool WindowImplBase::OnKeyDown(uint32_t key, bool shift) {
    switch (key) {
        case kVkTab:
            manager_.MoveFocus(!shift);
            return true;
        case kVkReturn:
        case kVkSpace: {
            auto* button = dynamic_cast<CButtonUI*>(manager_.GetFocus());
            if (button == nullptr || !button->IsVisible() || !button->IsEnabled()) {
                return false;
            }
            button->Activate();
            return true;
        }
        case kVkEscape:
            return OnEscape();
        default:
            return false;
    }
}

}  // namespace marlo::ui
