#pragma once

#include <cstdint>
#include <vector>

namespace marlo::hid {

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
};

// What one top-level collection offers; report lengths include the report ID byte.
struct HidCapabilities {
    uint16_t usage = 0;
    uint16_t usagePage = 0;
    uint16_t inputReportLength = 0;
    uint16_t outputReportLength = 0;
    uint16_t featureReportLength = 0;
    uint16_t inputButtonCaps = 0;
    uint16_t inputValueCaps = 0;
    uint16_t outputButtonCaps = 0;
    uint16_t outputValueCaps = 0;
    uint16_t featureButtonCaps = 0;
    uint16_t featureValueCaps = 0;
};

enum class HidStatus { kSuccess, kUsageNotFound, kBadReport };

// One field of a report: buttons (the usages set in it) or one value.
struct HidDataEntry {
    bool isButton = false;
    uint16_t usagePage = 0;
    HidStatus status = HidStatus::kSuccess;
    uint8_t reportId = 0;
    bool filled = false;

    // Buttons: the usage range covered and the usages found by the last decoding, in order,
    // followed by a 0 when fewer than `maxUsages` were found.
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    uint32_t maxUsages = 0;
    std::vector<uint16_t> usages;

    // Value.
    uint16_t usage = 0;
    uint32_t rawValue = 0;
    int32_t scaledValue = 0;
};

}  // namespace marlo::hid
