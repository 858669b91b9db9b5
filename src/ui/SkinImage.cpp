#include "ui/SkinImage.h"

#include <array>
#include <charconv>

namespace marlo::ui {

namespace {

// "l,t,r,b" → four numbers; nothing unless exactly four.
std::optional<std::array<int, 4>> Four(std::string_view text) {
    std::array<int, 4> n{};
    size_t count = 0;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        while (p < end && (*p == ',' || *p == ' ')) {
            ++p;
        }
        if (p == end) {
            break;
        }
        int value = 0;
        const auto [next, ec] = std::from_chars(p, end, value);
        if (ec != std::errc() || count == n.size()) {
            return std::nullopt;
        }
        n[count++] = value;
        p = next;
    }
    if (count != n.size()) {
        return std::nullopt;
    }
    return n;
}

std::optional<UiRect> Rect(std::string_view text) {
    const auto n = Four(text);
    if (!n || (*n)[2] < (*n)[0] || (*n)[3] < (*n)[1]) {
        return std::nullopt;
    }
    return UiRect{(*n)[0], (*n)[1], (*n)[2] - (*n)[0], (*n)[3] - (*n)[1]};
}

}  // namespace

std::optional<SkinImage> SkinImage::Parse(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    SkinImage image;
    if (text.find('=') == std::string_view::npos) {
        image.file = std::string(text);
        return image;
    }
    // key='value' pairs, separated by blanks.
    while (!text.empty()) {
        const size_t eq = text.find('=');
        if (eq == std::string_view::npos || eq + 1 >= text.size() || text[eq + 1] != '\'') {
            return std::nullopt;
        }
        const std::string_view key = text.substr(0, eq);
        const size_t close = text.find('\'', eq + 2);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view value = text.substr(eq + 2, close - eq - 2);
        if (key == "file") {
            image.file = std::string(value);
        } else if (key == "source" || key == "dest") {
            const auto rect = Rect(value);
            if (!rect) {
                return std::nullopt;
            }
            (key == "source" ? image.source : image.dest) = rect;
        } else if (key == "corner") {
            const auto n = Four(value);
            if (!n) {
                return std::nullopt;
            }
            image.cornerLeft = (*n)[0];
            image.cornerTop = (*n)[1];
            image.cornerRight = (*n)[2];
            image.cornerBottom = (*n)[3];
        } else {
            return std::nullopt;
        }
        text.remove_prefix(close + 1);
        while (!text.empty() && text.front() == ' ') {
            text.remove_prefix(1);
        }
    }
    if (image.file.empty()) {
        return std::nullopt;
    }
    return image;
}

}  // namespace marlo::ui
