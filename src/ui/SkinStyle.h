#pragma once

#include <cstdint>
#include <optional>

#include "ui/SkinImage.h"

namespace marlo::ui {

class CControlUI;

// The states a control is drawn in, most specific first when several hold.
enum class SkinState { kNormal, kHot, kPushed, kFocused, kSelected, kDisabled };

// How a control looks in one state, from its skin attributes: a state's own attribute
// ("hotbkcolor", "pushedtextcolor", "selectedimage", "focusbordercolor", "disabledimage", …)
// where it has one, else the normal one ("bkcolor", "textcolor", "normalimage" or "bkimage",
// "bordercolor"). Colours are 0xAARRGGBB, 0 when not set; sizes at 96 DPI.
struct SkinLook {
    uint32_t background = 0;
    uint32_t border = 0;
    uint32_t text = 0;
    int borderSize = 0;
    int roundX = 0;  // "borderround", the corners' radii
    int roundY = 0;
    std::optional<SkinImage> image;
    std::optional<SkinImage> foreImage;

    static SkinLook For(const CControlUI& control, SkinState state);
};

}  // namespace marlo::ui
