#include "hid/CommandReport.h"

#include <algorithm>
#include <cstdio>

namespace marlo::hid {

CommandReport::Bytes CommandReport::Build(uint8_t command, uint16_t offset,
                                          std::span<const uint8_t> data) {
    Bytes report{};
    const size_t length = std::min(data.size(), kMaxData);
    report[0] = kReportId;
    report[3] = command;
    report[4] = static_cast<uint8_t>(length);
    report[5] = static_cast<uint8_t>(offset & 0xFF);
    report[6] = static_cast<uint8_t>(offset >> 8);
    report[7] = 0;
    std::copy_n(data.begin(), length, report.begin() + kDataOffset);
    const uint16_t sum = Checksum(report);
    report[1] = static_cast<uint8_t>(sum & 0xFF);
    report[2] = static_cast<uint8_t>(sum >> 8);
    return report;
}

uint16_t CommandReport::Checksum(std::span<const uint8_t> report) {
    uint32_t sum = 0;
    for (size_t i = 3; i < std::min(report.size(), kSize); ++i) {
        sum += report[i];
    }
    return static_cast<uint16_t>(sum);
}

std::string CommandReport::DebugLine(std::span<const uint8_t> report, size_t half) {
    std::string text;
    text.reserve(110);
    char hex[4];
    for (size_t i = 0; i < 32; ++i) {
        const size_t at = half * 32 + i;
        std::snprintf(hex, sizeof hex, "%02x", at < report.size() ? report[at] : 0);
        text += hex;
        if (i < 31) {
            // Groups of four: three spaces after each of the first three groups, then two.
            text += (i % 4 != 3) ? " " : (i < 12 ? "   " : "  ");
        }
    }
    return text;
}

}  // namespace marlo::hid
