#include "ui/ColorPaletteUI.h"

#include <algorithm>
#include <cmath>

namespace marlo::ui {

namespace {

// Steps of the arrow keys across the field.
constexpr double kHueStep = 1.0 / 36;
constexpr double kShadeStep = 1.0 / 20;

uint32_t Pack(double r, double g, double b) {
    const auto channel = [](double v) {
        return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    return 0xFF000000u | channel(r) << 16 | channel(g) << 8 | channel(b);
}

}  // namespace

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
    if (argb != colour_) {
        colour_ = argb;
        Invalidate();
    }
}

void CColorPaletteUI::PickColor(uint32_t argb) {
    if (!IsEnabled() || !IsVisible()) {
        return;
    }
    SetSelectColor(argb | 0xFF000000u);
    SendNotify(kColorChanged);
}

uint32_t CColorPaletteUI::ColourAt(double x, double y) {
    x = std::clamp(x, 0.0, 1.0);
    y = std::clamp(y, 0.0, 1.0);
    // The pure hue: six sectors around the wheel.
    const double h = std::fmod(x * 6, 6.0);
    const double f = h - std::floor(h);
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h)) {
        case 0: r = 1, g = f; break;
        case 1: r = 1 - f, g = 1; break;
        case 2: g = 1, b = f; break;
        case 3: g = 1 - f, b = 1; break;
        case 4: r = f, b = 1; break;
        default: r = 1, b = 1 - f; break;
    }
    if (y <= 0.5) {  // towards white
        const double s = y * 2;
        return Pack(1 - s * (1 - r), 1 - s * (1 - g), 1 - s * (1 - b));
    }
    const double v = (1 - y) * 2;  // towards black
    return Pack(r * v, g * v, b * v);
}

void CColorPaletteUI::PlaceOf(uint32_t argb, double* x, double* y) {
    const double r = ((argb >> 16) & 0xFF) / 255.0;
    const double g = ((argb >> 8) & 0xFF) / 255.0;
    const double b = (argb & 0xFF) / 255.0;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    const double span = high - low;
    double h = 0;
    if (span > 0) {
        if (high == r) {
            h = std::fmod((g - b) / span + 6, 6.0);
        } else if (high == g) {
            h = (b - r) / span + 2;
        } else {
            h = (r - g) / span + 4;
        }
    }
    *x = h / 6;
    // A colour with a full channel lies above the middle (its white share is `low`), any
    // other below it (its darkness is what the highest channel lacks).
    *y = high >= 1.0 ? (1 - low) / 2 : 1 - high / 2;
}

void CColorPaletteUI::DoEvent(TEventUI& event) {
    if (!IsEnabled() || !IsVisible() || event.type != UiEventType::kKeyDown) {
        CControlUI::DoEvent(event);
        return;
    }
    double x = 0;
    double y = 0;
    PlaceOf(colour_, &x, &y);
    switch (event.key) {
        case kVkLeft: x = std::fmod(x - kHueStep + 1, 1.0); break;
        case kVkRight: x = std::fmod(x + kHueStep, 1.0); break;
        case kVkUp: y = std::max(0.0, y - kShadeStep); break;
        case kVkDown: y = std::min(1.0, y + kShadeStep); break;
        default: CControlUI::DoEvent(event); return;
    }
    PickColor(ColourAt(x, y));
}

void CColorPaletteUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "selectcolor") {
        SetSelectColor(ParseColor(std::string(value), colour_));
    }
    CControlUI::SetAttribute(name, value);
}

}  // namespace marlo::ui
