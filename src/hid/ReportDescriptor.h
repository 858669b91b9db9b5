#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace marlo::hid {

enum class ReportType { kInput = 0, kOutput = 1, kFeature = 2 };
inline constexpr int kReportTypeCount = 3;

// One main item (Input, Output or Feature) of a report descriptor.
struct ReportField {
    ReportType type = ReportType::kInput;
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    bool constant = false;
    bool variable = false;     // else an array of usage indices
    uint32_t bitOffset = 0;    // from the first bit after the report ID byte
    uint32_t reportSize = 0;   // bits per element
    uint32_t reportCount = 0;  // elements
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    // The usages in declaration order; a Usage Minimum/Maximum pair is kept as a range.
    std::vector<uint16_t> usages;
    bool isRange = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;

    // A one-bit variable or an array is a button field; a wider variable is a value field.
    bool IsButton() const { return !variable || reportSize == 1; }
    // The usage that element `index` of a variable field reports.
    uint16_t UsageOfElement(uint32_t index) const;
    // The usage an array element's value selects; 0 when the value selects none.
    uint16_t UsageOfArrayValue(int64_t value) const;
};

struct TopLevelCollection {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<ReportField> fields;
    // Report IDs that carry at least one field of each type for this collection.
    std::vector<uint8_t> reportIds[kReportTypeCount];
    // Longest report of each type in bytes, including the report ID byte; 0 when none.
    uint16_t reportLength[kReportTypeCount] = {0, 0, 0};

    bool HasReportId(ReportType type, uint8_t id) const;
};

// A parsed HID report descriptor. Any byte string gives a descriptor or a refusal: items that
// run past the end, more pushes than pops can hold, absurd report sizes and oversized
// descriptors are refused, never read out of bounds.
class ReportDescriptor {
  public:
    // The kernel's limit for a report descriptor.
    static constexpr size_t kMaxBytes = 4096;

    static std::optional<ReportDescriptor> Parse(std::span<const uint8_t> bytes,
                                                 std::string* error = nullptr);

    const std::vector<TopLevelCollection>& collections() const { return collections_; }
    bool usesReportIds() const { return usesReportIds_; }

    // The top-level collection that owns input reports with this ID, or -1.
    int CollectionOfInputReport(uint8_t reportId) const;

  private:
    std::vector<TopLevelCollection> collections_;
    bool usesReportIds_ = false;
};

// Reads `size` bits at `bitOffset` of `data`, little-endian, as unsigned; bits beyond the
// data read as 0.
uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint32_t size);

}  // namespace marlo::hid
