#include "devices/DeviceKeyButtonUI.h"

#include <string>

#include "platform/NumberText.h"
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
        if (const auto level = platform::NumberText::Parse<uint8_t>(value)) {
            SetLevel(*level);
        }
    } else if (name == "selected") {
        SetSelected(value == "true");
    }
    CButtonUI::SetAttribute(name, value);
}

}  // namespace marlo::devices
