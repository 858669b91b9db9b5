#include "ui/SkinStyle.h"

#include <string>
#include <vector>

#include "ui/ControlUI.h"

namespace marlo::ui {

namespace {

const char* Prefix(SkinState state) {
    switch (state) {
        case SkinState::kHot:
            return "hot";
        case SkinState::kPushed:
            return "pushed";
        case SkinState::kFocused:
            return "focused";
        case SkinState::kSelected:
            return "selected";
        case SkinState::kDisabled:
            return "disabled";
        case SkinState::kNormal:
            break;
    }
    return "";
}

// The state's attribute, else the first of the normal names the control has.
std::optional<std::string> Pick(const CControlUI& control, SkinState state,
                                std::initializer_list<const char*> normalNames,
                                const char* stateSuffix) {
    if (state != SkinState::kNormal) {
        std::string name = std::string(Prefix(state)) + stateSuffix;
        if (auto value = control.GetAttribute(name)) {
            return value;
        }
        if (state == SkinState::kFocused) {  // the skins also write "focus…"
            if (auto value = control.GetAttribute(std::string("focus") + stateSuffix)) {
                return value;
            }
        }
    }
    for (const char* name : normalNames) {
        if (auto value = control.GetAttribute(name)) {
            return value;
        }
    }
    return std::nullopt;
}

uint32_t Colour(const std::optional<std::string>& value) {
    return value ? ParseColor(*value) : 0;
}

std::vector<int> Numbers(const std::string& text) {
    std::vector<int> n;
    int value = 0;
    bool in = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            in = true;
        } else if (in) {
            n.push_back(value);
            value = 0;
            in = false;
        }
    }
    if (in) {
        n.push_back(value);
    }
    return n;
}

}  // namespace

SkinLook SkinLook::For(const CControlUI& control, SkinState state) {
    SkinLook look;
    look.background = Colour(Pick(control, state, {"bkcolor"}, "bkcolor"));
    look.border = Colour(Pick(control, state, {"bordercolor"}, "bordercolor"));
    look.text = Colour(Pick(control, state, {"textcolor"}, "textcolor"));
    if (const auto size = control.GetAttribute("bordersize")) {
        const auto n = Numbers(*size);
        look.borderSize = n.empty() ? 0 : n.front();
    }
    if (const auto round = control.GetAttribute("borderround")) {
        const auto n = Numbers(*round);
        look.roundX = n.empty() ? 0 : n[0];
        look.roundY = n.size() > 1 ? n[1] : look.roundX;
    }
    if (const auto image = Pick(control, state, {"normalimage", "bkimage"}, "image")) {
        look.image = SkinImage::Parse(*image);
    }
    if (const auto fore = Pick(control, state, {"foreimage"}, "foreimage")) {
        look.foreImage = SkinImage::Parse(*fore);
    }
    return look;
}

}  // namespace marlo::ui
