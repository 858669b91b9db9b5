#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hid/HidTypes.h"
#include "hid/ReportDescriptor.h"

namespace marlo::hid {

// The data entries of one top-level collection and the decoding of its reports into them.
// Entries of a report type are one button entry per button capability, then one value entry
// per usage of each value capability.
class ReportDecoder {
  public:
    ReportDecoder() = default;
    explicit ReportDecoder(const TopLevelCollection& collection);

    // Decodes a report whose byte 0 is its report ID into the entries of that type carrying
    // that ID. False when a value could not be read.
    bool Decode(ReportType type, std::span<const uint8_t> report);

    const std::vector<HidDataEntry>& entries(ReportType type) const {
        return entries_[static_cast<int>(type)];
    }
    uint16_t buttonCaps(ReportType type) const { return buttonCaps_[static_cast<int>(type)]; }
    uint16_t valueCaps(ReportType type) const { return valueCaps_[static_cast<int>(type)]; }

  private:
    // The usages set in the report's button fields of one usage page, in field order.
    std::vector<uint16_t> UsagesSet(ReportType type, uint8_t reportId, uint16_t usagePage,
                                    std::span<const uint8_t> data) const;

    std::vector<ReportField> fields_;
    std::vector<HidDataEntry> entries_[kReportTypeCount];
    // For each value entry, the field and element it reads.
    struct ValueSource {
        size_t field = 0;
        uint32_t element = 0;
    };
    std::vector<ValueSource> valueSources_[kReportTypeCount];
    uint16_t buttonCaps_[kReportTypeCount] = {0, 0, 0};
    uint16_t valueCaps_[kReportTypeCount] = {0, 0, 0};
};

}  // namespace marlo::hid
