#include "ui/HeadlessUser.h"

#include "ui/WindowWnd.h"

#include "ui/ControlUI.h"
#include "ui/HeadlessBackend.h"
#include "ui/ListUI.h"
#include "ui/PaintManagerUI.h"
#include "ui/ProgressUI.h"

namespace marlo::ui {

CControlUI* HeadlessUser::Usable(std::string_view name) const {
    CControlUI* control = manager_.FindControl(name);
    return control != nullptr && control->IsVisible() && control->IsEnabled() ? control : nullptr;
}

bool HeadlessUser::Click(std::string_view name) {
    return ClickControl(Usable(name));
}

bool HeadlessUser::ClickControl(CControlUI* control) {
    if (control == nullptr || !control->IsVisible() || !control->IsEnabled()) {
        return false;
    }
    TEventUI down{UiEventType::kButtonDown};
    control->DoEvent(down);
    if (control->IsFocusable()) {
        control->SetFocus();
    }
    TEventUI up{UiEventType::kButtonUp};
    control->DoEvent(up);
    return true;
}

bool HeadlessUser::DoubleClick(std::string_view name) {
    CControlUI* control = Usable(name);
    if (control == nullptr) {
        return false;
    }
    TEventUI event{UiEventType::kDoubleClick};
    control->DoEvent(event);
    return true;
}

bool HeadlessUser::PickComboItem(std::string_view name, int index) {
    auto* combo = dynamic_cast<CComboUI*>(Usable(name));
    if (combo == nullptr || combo->GetItemAt(index) == nullptr) {
        return false;
    }
    Click(name);  // opens the drop list
    TEventUI up{UiEventType::kButtonUp};
    combo->GetItemAt(index)->DoEvent(up);
    combo->CloseDropList();
    return true;
}

bool HeadlessUser::MoveSlider(std::string_view name, int value) {
    auto* slider = dynamic_cast<CSliderUI*>(Usable(name));
    if (slider == nullptr) {
        return false;
    }
    slider->SetFocus();
    const int step = value >= slider->GetValue() ? 1 : -1;
    for (int v = slider->GetValue(); v != value; v += step) {
        slider->MoveThumb(v + step);
        if (slider->GetValue() != v + step) {
            break;  // stopped at an end
        }
    }
    slider->MoveThumb(slider->GetValue());
    slider->ReleaseThumb();
    return true;
}

bool HeadlessUser::Type(std::string_view name, std::string_view text) {
    CControlUI* control = Usable(name);
    if (control == nullptr) {
        return false;
    }
    control->SetFocus();
    for (size_t i = 0; i < text.size();) {
        // One UTF-8 character at a time, as a keyboard delivers them.
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        uint32_t code = n == 1 ? lead : n == 2 ? lead & 0x1F : n == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; k < n && i + k < text.size(); ++k) {
            code = code << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        TEventUI event{UiEventType::kChar, code};
        control->DoEvent(event);
        i += n;
    }
    return true;
}

bool HeadlessUser::PressKey(std::string_view name, uint32_t key) {
    CControlUI* control = Usable(name);
    if (control == nullptr) {
        return false;
    }
    control->SetFocus();
    // A keyboard hook sees the key first, down and up, and may keep it from the control.
    if (auto* headless = dynamic_cast<HeadlessBackend*>(CPaintManagerUI::GetBackend())) {
        const bool swallowed = headless->HookKey({key, true});
        headless->HookKey({key, false});
        if (swallowed) {
            return true;
        }
    }
    TEventUI event{UiEventType::kKeyDown, key};
    control->DoEvent(event);
    return true;
}

bool HeadlessUser::Focus(std::string_view name) {
    CControlUI* control = Usable(name);
    if (control == nullptr) {
        return false;
    }
    control->SetFocus();
    return manager_.GetFocus() == control;
}

bool HeadlessUser::PressWindowKey(uint32_t key, bool shift) {
    CWindowWnd* window = manager_.GetWindow();
    if (window == nullptr) {
        return false;
    }
    // The window may close on it (Escape in a dialog): nothing of it is looked at afterwards.
    window->SendMessage(kWmKeyDown, key, shift ? kKeyShiftFlag : 0);
    return true;
}

}  // namespace marlo::ui
