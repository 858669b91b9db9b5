#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/DisplayBackend.h"

namespace marlo::ui {

// An image as the skin writes it: a plain file name ("common/x.png"), or
// "file='common/x.png' source='l,t,r,b' dest='l,t,r,b' corner='l,t,r,b'": the part of the
// file to take (all of it without `source`), where in the control to draw it (all of it
// without `dest`), and the corners that keep their size while the middle stretches.
struct SkinImage {
    std::string file;
    std::optional<UiRect> source;  // x, y, width, height in the file's pixels
    std::optional<UiRect> dest;    // x, y, width, height in the control (at 96 DPI)
    int cornerLeft = 0;
    int cornerTop = 0;
    int cornerRight = 0;
    int cornerBottom = 0;

    // Nothing for an empty or malformed text (an unknown key, an unclosed quote, a rectangle
    // without four numbers or with its right before its left).
    static std::optional<SkinImage> Parse(std::string_view text);
    bool operator==(const SkinImage&) const = default;
};

}  // namespace marlo::ui
