#include "pages/DeviceKeyButtonUI.h"

#include <cstdio>
#include <string>

#include "platform/NumberText.h"
#include "ui/UIDefs.h"

namespace marlo::pages {

namespace {

// An unlit key: the colour the drawing shows at level 0.
constexpr uint32_t kUnlit = 0x2A2E36;

uint32_t Channel(uint32_t rgb, int shift) {
    return (rgb >> shift) & 0xFF;
}

}  // namespace

void CDeviceKeyButtonUI::Publish() {
    // What the display draws: the unlit colour, lit towards the key's colour by its level.
    uint32_t shown = 0;
    int luminance = 0;
    for (const int shift : {16, 8, 0}) {
        const int from = static_cast<int>(Channel(kUnlit, shift));
        const int to = static_cast<int>(Channel(colour_, shift));
        const int value = from + (to - from) * level_ / 255;
        shown |= static_cast<uint32_t>(value) << shift;
        luminance += value * (shift == 8 ? 6 : shift == 16 ? 3 : 1);
    }
    char text[16];
    std::snprintf(text, sizeof text, "#FF%06X", shown);
    CButtonUI::SetAttribute("bkcolor", text);
    CButtonUI::SetAttribute("textcolor", luminance > 1400 ? "#FF101214" : "#FFE8E8E8");
}

void CDeviceKeyButtonUI::PublishRing() {
    CButtonUI::SetAttribute("bordercolor", "#FF2D7FF9");
    CButtonUI::SetAttribute("bordersize", selected_ ? "2" : "0");
}

void CDeviceKeyButtonUI::SetKeyColour(uint32_t rgb) {
    if ((rgb & 0xFFFFFF) != colour_) {
        colour_ = rgb & 0xFFFFFF;
        Publish();
        Invalidate();
    }
}

void CDeviceKeyButtonUI::SetLevel(uint8_t level) {
    if (level != level_) {
        level_ = level;
        Publish();
        Invalidate();
    }
}

void CDeviceKeyButtonUI::SetLight(uint32_t rgb, uint8_t level) {
    if ((rgb & 0xFFFFFF) != colour_ || level != level_) {
        colour_ = rgb & 0xFFFFFF;
        level_ = level;
        Publish();
        InvalidateColours();
    }
}

void CDeviceKeyButtonUI::SetSelected(bool selected) {
    if (selected != selected_) {
        selected_ = selected;
        PublishRing();
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

}  // namespace marlo::pages
