#include "ui/ProgressUI.h"

#include <algorithm>
#include <charconv>

namespace marlo::ui {

void CProgressUI::SetMinValue(int min) {
    min_ = min;
    SetValue(value_);
}

void CProgressUI::SetMaxValue(int max) {
    max_ = max;
    SetValue(value_);
}

void CProgressUI::SetValue(int value) {
    value_ = std::clamp(value, std::min(min_, max_), std::max(min_, max_));
    Invalidate();
}

void CProgressUI::SetAttribute(std::string_view name, std::string_view value) {
    int n = 0;
    if (std::from_chars(value.data(), value.data() + value.size(), n).ec == std::errc()) {
        if (name == "min")
            SetMinValue(n);
        else if (name == "max")
            SetMaxValue(n);
        else if (name == "value")
            SetValue(n);
    }
    CLabelUI::SetAttribute(name, value);
}

void CSliderUI::MoveThumb(int value) {
    if (!IsEnabled() || !IsVisible()) {
        return;
    }
    dragging_ = true;
    const int before = GetValue();
    SetValue(value);
    if (GetValue() != before) {
        SendNotify(notify::kMoveValueChanged);
    }
}

void CSliderUI::ReleaseThumb() {
    if (!dragging_) {
        return;
    }
    dragging_ = false;
    SendNotify(notify::kValueChanged);
}

void CSliderUI::DoEvent(TEventUI& event) {
    if (!IsEnabled() || !IsVisible()) {
        return;
    }
    if (event.type == UiEventType::kKeyDown && (event.key == kVkLeft || event.key == kVkRight ||
                                                event.key == kVkUp || event.key == kVkDown)) {
        const int step = event.key == kVkRight || event.key == kVkUp ? 1 : -1;
        const int before = GetValue();
        SetValue(before + step);
        if (GetValue() != before) {
            SendNotify(notify::kValueChanged);
        }
        return;
    }
    if (event.type == UiEventType::kScrollWheel) {
        MoveThumb(GetValue() + event.delta);
        ReleaseThumb();
        return;
    }
    if (event.type == UiEventType::kButtonDown) {
        SetFocus();
    }
}

}  // namespace marlo::ui
