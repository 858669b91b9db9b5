#include "devices/DeviceKeyButtonUI.h"

#include <charconv>
#include <string>

#include "ui/UIDefs.h"

namespace marlo::devices {

void CDeviceKeyButtonUI::SetKeyColour(uint32_t rgb) {
    if ((rgb & 0xFFFFFF) != colour_) {
        colour_ = rgb & 0xFFFFFF;
        Invalidate();
    }
}

void CDeviceKeyButtonUI::SetLevel(uint8_t level) {
    if (level != level_) {
        level_ = level;
        Invalidate();
    }
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (selected != selected_) {
        selected_ = selected;
        Invalidate();
    }
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "keycolor") {
        SetKeyColour(ui::ParseColor(std::string(value)));
    } else if (name == "level") {
        unsigned parsed = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (ec == std::errc() && end == value.data() + value.size() && parsed <= 255) {
            SetLevel(static_cast<uint8_t>(parsed));
        }
    } else if (name == "selected") {
        SetSelected(value == "true");
    }
    CButtonUI::SetAttribute(name, value);
}

}  // namespace marlo::devices
