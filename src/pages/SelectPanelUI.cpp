#include "pages/SelectPanelUI.h"

#include <charconv>

#include "pages/DeviceKeyButtonUI.h"

namespace marlo::pages {

namespace {

// The position in a key button's name ("key_<n>"); -1 for another name.
int KeyPosition(const std::string& name) {
    constexpr std::string_view kPrefix = "key_";
    int n = -1;
    if (name.size() > kPrefix.size() && name.compare(0, kPrefix.size(), kPrefix) == 0) {
        const char* end = name.data() + name.size();
        if (std::from_chars(name.data() + kPrefix.size(), end, n).ptr != end) {
            n = -1;
        }
    }
    return n;
}

CDeviceKeyButtonUI* KeyNamed(CSelectPanelUI& panel, int position) {
    return dynamic_cast<CDeviceKeyButtonUI*>(
        panel.FindSubControl("key_" + std::to_string(position)));
}

}  // namespace

void CSelectPanelUI::SelectArea(const std::vector<ui::CControlUI*>& inside) {
    ClearSelection();
    for (ui::CControlUI* control : inside) {
        auto* key = dynamic_cast<CDeviceKeyButtonUI*>(control);
        const int position = key != nullptr ? KeyPosition(key->GetName()) : -1;
        if (position >= 0) {
            key->SetSelected(true);
            selected_.push_back(position);
        }
    }
    SendNotify(kSelectEnd);
}

void CSelectPanelUI::ClearSelection() {
    for (const int position : selected_) {
        if (CDeviceKeyButtonUI* key = KeyNamed(*this, position)) {
            key->SetSelected(false);
        }
    }
    selected_.clear();
}

}  // namespace marlo::pages
