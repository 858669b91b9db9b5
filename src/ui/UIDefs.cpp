#include "ui/UIDefs.h"

#include <charconv>

namespace marlo::ui {

uint32_t ParseColor(const std::string& text, uint32_t fallback) {
    std::string_view v = text;
    if (v.starts_with("#")) {
        v.remove_prefix(1);
    } else if (v.starts_with("0x") || v.starts_with("0X")) {
        v.remove_prefix(2);
    }
    uint32_t color = 0;
    const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), color, 16);
    if (ec != std::errc() || end != v.data() + v.size() || v.empty()) {
        return fallback;
    }
    return v.size() <= 6 ? (0xFF000000u | color) : color;
}

}  // namespace marlo::ui
