#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "devices/LightingFrame.h"
#include "hid/CommandChannel.h"

namespace marlo::devices {

// The headset's 13 LEDs as the twelve 17-byte output reports it takes: for red, then green,
// then blue, LEDs 0-6 and 7-12 in bank 0x22 and again in bank 0x44. Each colour is scaled by
// the light's level (c × level / 256) and kept at 247 at most.
class HeadsetLightReports {
  public:
    static constexpr size_t kLeds = 13;
    static constexpr size_t kReportSize = 17;
    static constexpr size_t kReports = 12;
    static constexpr uint8_t kMaxValue = 0xF7;

    using Report = std::array<uint8_t, kReportSize>;
    using Reports = std::array<Report, kReports>;

    // Lights past the list are dark.
    static Reports Build(const std::vector<LightEntry>& lights);
    // The twelve reports through the headset's channel, each waiting 100 ms at most; true
    // when every one went through.
    static bool Send(hid::CommandChannel& channel, const Reports& reports);
};

}  // namespace marlo::devices
