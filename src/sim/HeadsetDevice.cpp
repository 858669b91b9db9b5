#include "sim/HeadsetDevice.h"

#include "hid/CommandReport.h"
#include "platform/NumberText.h"
#include "sim/Descriptors.h"
#include "sim/SimCatalog.h"

namespace marlo::sim {

HeadsetDevice::HeadsetDevice()
    : CommandDevice(
          SimDeviceInfo{"headset", SimCatalog::kHeadsetVendor, SimCatalog::kHeadsetProduct, 0x0100,
                        3, "Marlo Gear Headset", Descriptors::HeadsetInterface3()},
          false),
      settings_(kSettingsSize, 0),
      status_{0x01, 0x50, 0x00, 0x00, 0x01, 0x00} {
    settings_[1] = 1;  // lighting mode 1 at full brightness
    settings_[2] = 4;
}

Report HeadsetDevice::Answer(Request request) {
    switch (request[3]) {
        case hid::kCmdBegin:
        case hid::kCmdEnd:
        case hid::kCmdLightingControl:
            return AnswerFor(request, 0);
        case hid::kCmdReadSettings:
            return ReadArea(request, settings_);
        case hid::kCmdWriteSettings:
            return WriteArea(request, settings_);
        case hid::kCmdReadStatus:
            return ReadArea(request, status_);
        case hid::kCmdLinkCheck: {
            Report answer = AnswerFor(request, 0);
            answer[8] = 0xFF;
            return answer;
        }
        default:
            return AnswerFor(request, kRefused);
    }
}

std::vector<Report> HeadsetDevice::HandleOtherReport(std::span<const uint8_t> report) {
    // 17 bytes: FF, bank 0x22/0x44, register AA-AF, 0, then up to seven colour values.
    // Register AA/AB/AC carry red/green/blue of LEDs 0-6, AD/AE/AF those of LEDs 7-12.
    if (report.size() != 17 || report[0] != 0xFF || (report[1] != 0x22 && report[1] != 0x44) ||
        report[2] < 0xAA || report[2] > 0xAF) {
        ++badLightingReports_;
        return {};
    }
    ++lightingReports_;
    const int reg = report[2] - 0xAA;
    const int colour = reg % 3;
    const int first = reg < 3 ? 0 : 7;
    const int count = reg < 3 ? 7 : 6;
    for (int i = 0; i < count; ++i) {
        leds_[static_cast<size_t>(first + i)][static_cast<size_t>(colour)] =
            report[4 + static_cast<size_t>(i)];
    }
    return {};
}

void HeadsetDevice::DumpState(Json::Value& dump) const {
    dump["settings"] = platform::NumberText::ToHex(settings_);
    dump["status"] = platform::NumberText::ToHex(status_);
    dump["lightingReports"] = lightingReports_;
    dump["badLightingReports"] = badLightingReports_;
    Json::Value leds(Json::arrayValue);
    for (const auto& led : leds_) {
        leds.append(platform::NumberText::ToHex(led));
    }
    dump["leds"] = leds;
}

}  // namespace marlo::sim
