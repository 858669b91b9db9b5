#pragma once

#include <cstdint>

#include "ui/ControlUI.h"

namespace marlo::ui {

// A colour field the user picks from: hue across, and from the full colour at the top through
// to white and black below it. The selected colour is 0xFFRRGGBB; a pick by the user sends
// "colorchanged", a colour set by the program sends nothing.
class CColorPaletteUI : public CControlUI {
  public:
    static constexpr const char* kColorChanged = "colorchanged";

    std::string_view GetClass() const override { return "ColorPaletteUI"; }
    bool IsFocusable() const override { return true; }

    uint32_t GetSelectColor() const { return colour_; }
    void SetSelectColor(uint32_t argb);
    // What the display backend reports of the user's pick (also a test acting as one).
    void PickColor(uint32_t argb);
    // The colour at a point of the field, both coordinates 0-1 (x the hue, y from the full
    // colour at the middle up to white and down to black).
    static uint32_t ColourAt(double x, double y);
    // Where a colour lies on the field (the inverse of ColourAt for the colours it shows).
    static void PlaceOf(uint32_t argb, double* x, double* y);

    void DoEvent(TEventUI& event) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  private:
    uint32_t colour_ = 0xFFFFFFFF;
};

}  // namespace marlo::ui
