#pragma once

#include <array>
#include <map>

#include "sim/CommandDevice.h"

namespace marlo::sim {

// The USB headset's HID side: its settings block and status over the command reports, and
// its 13 LEDs over 17-byte lighting reports (report ID 0xFF).
class HeadsetDevice : public CommandDevice {
  public:
    static constexpr size_t kSettingsSize = 256;
    static constexpr int kLeds = 13;

    HeadsetDevice();
    std::vector<uint8_t>& settings() { return settings_; }
    // The colour of each LED from the lighting reports received so far (red, green, blue).
    const std::array<std::array<uint8_t, 3>, kLeds>& leds() const { return leds_; }

  protected:
    Report Answer(Request request) override;
    std::vector<Report> HandleOtherReport(std::span<const uint8_t> report) override;
    void DumpState(Json::Value& dump) const override;

  private:
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> status_;
    std::array<std::array<uint8_t, 3>, kLeds> leds_{};
    uint32_t lightingReports_ = 0;
    uint32_t badLightingReports_ = 0;
};

}  // namespace marlo::sim
