#pragma once

#include <array>
#include <cstdint>

#include "ui/ContainerUI.h"

namespace marlo::pages {

// A device's battery and link, shown above its page: the level, whether it charges, and
// whether it is reached by cable or through its receiver. Built from "MpDevicePower.xml";
// it looks up its parts by name and leaves out what the layout does not have.
class CMpDevicePowerUI : public ui::CHorizontalLayoutUI {
  public:
    static constexpr size_t kStatusBytes = 6;

    std::string_view GetClass() const override { return "MpDevicePowerUI"; }

    void SetProduct(uint16_t productCode, uint16_t role) {
        productCode_ = productCode;
        role_ = role;
    }
    uint16_t productCode() const { return productCode_; }
    uint16_t role() const { return role_; }
    // Without a battery only the link is shown.
    void SetHasBattery(bool hasBattery);
    bool hasBattery() const { return hasBattery_; }

    // The device's status bytes: 0 powered, 1 battery level in percent, 2 charging, 3 reached
    // through the receiver. A level above 100 is shown as 100.
    void SetStatus(const std::array<uint8_t, kStatusBytes>& status);
    int batteryLevel() const { return level_; }
    bool charging() const { return charging_; }
    bool viaReceiver() const { return viaReceiver_; }

  private:
    void Show();

    uint16_t productCode_ = 0;
    uint16_t role_ = 0;
    bool hasBattery_ = false;
    int level_ = -1;  // not known yet
    bool charging_ = false;
    bool viaReceiver_ = false;
};

}  // namespace marlo::pages
