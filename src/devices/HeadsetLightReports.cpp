#include "devices/HeadsetLightReports.h"

#include <algorithm>

namespace marlo::devices {

HeadsetLightReports::Reports HeadsetLightReports::Build(const std::vector<LightEntry>& lights) {
    std::array<std::array<uint8_t, 3>, kLeds> scaled{};
    for (size_t i = 0; i < std::min(kLeds, lights.size()); ++i) {
        const LightEntry& light = lights[i];
        const uint8_t rgb[3] = {light.red, light.green, light.blue};
        for (size_t c = 0; c < 3; ++c) {
            scaled[i][c] = static_cast<uint8_t>(
                std::min<unsigned>(kMaxValue, unsigned{rgb[c]} * light.level / 256));
        }
    }
    Reports reports{};
    size_t n = 0;
    for (size_t colour = 0; colour < 3; ++colour) {
        for (const uint8_t bank : {uint8_t{0x22}, uint8_t{0x44}}) {
            // Registers AA-AC carry LEDs 0-6 of red, green and blue, AD-AF LEDs 7-12.
            for (const size_t first : {size_t{0}, size_t{7}}) {
                Report& report = reports[n++];
                report[0] = 0xFF;
                report[1] = bank;
                report[2] = static_cast<uint8_t>(0xAA + colour + (first == 0 ? 0 : 3));
                const size_t count = first == 0 ? 7 : kLeds - 7;
                for (size_t i = 0; i < count; ++i) {
                    report[4 + i] = scaled[first + i][colour];
                }
            }
        }
    }
    return reports;
}

bool HeadsetLightReports::Send(hid::CommandChannel& channel, const Reports& reports) {
    constexpr uint32_t kReportWaitMs = 100;
    std::array<std::span<const uint8_t>, kReports> spans;
    for (size_t i = 0; i < reports.size(); ++i) {
        spans[i] = reports[i];
    }
    return channel.WriteOutputReports(spans, kReportWaitMs) == hid::kResultOk;
}

}  // namespace marlo::devices
