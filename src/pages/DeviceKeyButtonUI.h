#pragma once

#include <cstdint>

#include "ui/LabelUI.h"

namespace marlo::pages {

// A key or a light on the device picture: the colour it shows, at a level (0-255), and
// whether the person has selected it. Clicking it is a click like any button's.
class CDeviceKeyButtonUI : public ui::CButtonUI {
  public:
    std::string_view GetClass() const override { return "DeviceKeyButtonUI"; }

    // 0xRRGGBB.
    void SetKeyColour(uint32_t rgb);
    uint32_t GetKeyColour() const { return colour_; }
    void SetLevel(uint8_t level);
    uint8_t GetLevel() const { return level_; }
    // Colour and level at once: the drawing changes once (animated lights change both on
    // every frame).
    void SetLight(uint32_t rgb, uint8_t level);
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    // "keycolor" (#RRGGBB or #AARRGGBB), "level" and "selected" besides a button's own.
    void SetAttribute(std::string_view name, std::string_view value) override;

  private:
    // Hands the drawing colours to the display ("bkcolor", "textcolor", "bordercolor").
    void Publish();
    // And the ring of a selected key ("bordercolor", "bordersize").
    void PublishRing();

    uint32_t colour_ = 0;
    uint8_t level_ = 0;
    bool selected_ = false;
};

}  // namespace marlo::pages
