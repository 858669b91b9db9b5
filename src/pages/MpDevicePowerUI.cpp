#include "pages/MpDevicePowerUI.h"

#include <algorithm>
#include <string>

namespace marlo::pages {

void CMpDevicePowerUI::SetHasBattery(bool hasBattery) {
    hasBattery_ = hasBattery;
    Show();
}

void CMpDevicePowerUI::SetStatus(const std::array<uint8_t, kStatusBytes>& status) {
    level_ = std::min<int>(status[1], 100);
    charging_ = status[2] != 0;
    viaReceiver_ = status[3] != 0;
    Show();
}

void CMpDevicePowerUI::Show() {
    if (ui::CControlUI* battery = FindSubControl("power_battery_text")) {
        battery->SetVisible(hasBattery_ && level_ >= 0);
        battery->SetText(level_ >= 0 ? std::to_string(level_) + "%" : std::string());
    }
    if (ui::CControlUI* level = FindSubControl("power_battery_level")) {
        level->SetVisible(hasBattery_ && level_ >= 0);
        level->SetAttribute("value", std::to_string(std::max(level_, 0)));
    }
    if (ui::CControlUI* charging = FindSubControl("power_charging")) {
        charging->SetVisible(hasBattery_ && charging_);
    }
    if (ui::CControlUI* cable = FindSubControl("power_link_cable")) {
        cable->SetVisible(!viaReceiver_);
    }
    if (ui::CControlUI* receiver = FindSubControl("power_link_receiver")) {
        receiver->SetVisible(viaReceiver_);
    }
}

}  // namespace marlo::pages
