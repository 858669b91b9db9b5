#include "hid/ReportDescriptor.h"

#include <algorithm>
#include <map>

namespace marlo::hid {
namespace {

// Bounds that keep a hostile descriptor from costing unbounded memory or time.
constexpr size_t kMaxPushDepth = 16;
constexpr size_t kMaxCollectionDepth = 64;
constexpr size_t kMaxTopLevelCollections = 255;
constexpr size_t kMaxUsagesPerItem = 1024;
constexpr uint32_t kMaxReportSize = 256;
constexpr uint32_t kMaxReportCount = 4096;
constexpr uint32_t kMaxReportBits = 65534u * 8;

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    uint32_t logicalMaxSize = 0;  // bytes of the Logical Maximum item's data
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

struct LocalState {
    std::vector<uint16_t> usages;
    std::vector<uint16_t> usagePages;  // the page of each usage (extended usages carry their own)
    bool haveMin = false;
    bool haveMax = false;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
};

uint32_t Unsigned(std::span<const uint8_t> data) {
    uint32_t v = 0;
    for (size_t i = 0; i < data.size(); ++i) {
        v |= static_cast<uint32_t>(data[i]) << (8 * i);
    }
    return v;
}

int32_t Signed(std::span<const uint8_t> data) {
    const uint32_t v = Unsigned(data);
    switch (data.size()) {
        case 1:
            return static_cast<int8_t>(v);
        case 2:
            return static_cast<int16_t>(v);
        case 4:
            return static_cast<int32_t>(v);
        default:
            return 0;
    }
}

bool Fail(std::string* error, const char* what, size_t at) {
    if (error != nullptr) {
        *error = std::string(what) + " at byte " + std::to_string(at);
    }
    return false;
}

}  // namespace

uint16_t ReportField::UsageOfElement(uint32_t index) const {
    if (isRange) {
        const uint32_t usage = usageMin + index;
        return static_cast<uint16_t>(std::min<uint32_t>(usage, usageMax));
    }
    if (usages.empty()) {
        return 0;
    }
    // Elements past the declared usages report the last one, as the HID rules say.
    return usages[std::min<size_t>(index, usages.size() - 1)];
}

uint16_t ReportField::UsageOfArrayValue(int64_t value) const {
    if (value < logicalMin || value > logicalMax) {
        return 0;
    }
    const int64_t index = value - logicalMin;
    if (isRange) {
        const int64_t usage = usageMin + index;
        return usage > usageMax ? 0 : static_cast<uint16_t>(usage);
    }
    return index < static_cast<int64_t>(usages.size()) ? usages[static_cast<size_t>(index)] : 0;
}

bool TopLevelCollection::HasReportId(ReportType type, uint8_t id) const {
    const auto& ids = reportIds[static_cast<int>(type)];
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

int ReportDescriptor::CollectionOfInputReport(uint8_t reportId) const {
    for (size_t i = 0; i < collections_.size(); ++i) {
        if (collections_[i].HasReportId(ReportType::kInput, reportId)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<ReportDescriptor> ReportDescriptor::Parse(std::span<const uint8_t> bytes,
                                                        std::string* error) {
    if (bytes.size() > kMaxBytes) {
        Fail(error, "descriptor too long", kMaxBytes);
        return std::nullopt;
    }
    ReportDescriptor result;
    GlobalState global;
    std::vector<GlobalState> stack;
    LocalState local;
    size_t depth = 0;
    // Bits used so far per report type and report ID.
    std::map<uint8_t, uint32_t> bitsUsed[kReportTypeCount];

    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t at = pos;
        const uint8_t prefix = bytes[pos++];
        if (prefix == 0xFE) {  // long item: skipped, as no defined long item exists
            if (pos + 2 > bytes.size()) {
                Fail(error, "truncated long item", at);
                return std::nullopt;
            }
            const size_t size = bytes[pos];
            pos += 2;
            if (pos + size > bytes.size()) {
                Fail(error, "truncated long item", at);
                return std::nullopt;
            }
            pos += size;
            continue;
        }
        static constexpr size_t kSizes[4] = {0, 1, 2, 4};
        const size_t size = kSizes[prefix & 3];
        if (pos + size > bytes.size()) {
            Fail(error, "truncated item", at);
            return std::nullopt;
        }
        const std::span<const uint8_t> data = bytes.subspan(pos, size);
        pos += size;
        const int type = (prefix >> 2) & 3;
        const int tag = prefix >> 4;

        if (type == 1) {  // global
            switch (tag) {
                case 0x0:
                    global.usagePage = static_cast<uint16_t>(Unsigned(data));
                    break;
                case 0x1:
                    global.logicalMin = Signed(data);
                    break;
                case 0x2:
                    global.logicalMax = Signed(data);
                    global.logicalMaxSize = static_cast<uint32_t>(size);
                    break;
                case 0x7:
                    global.reportSize = Unsigned(data);
                    break;
                case 0x8: {
                    const uint32_t id = Unsigned(data);
                    if (id == 0 || id > 255) {
                        Fail(error, "report ID out of range", at);
                        return std::nullopt;
                    }
                    global.reportId = static_cast<uint8_t>(id);
                    result.usesReportIds_ = true;
                    break;
                }
                case 0x9:
                    global.reportCount = Unsigned(data);
                    break;
                case 0xA:
                    if (stack.size() >= kMaxPushDepth) {
                        Fail(error, "too many pushes", at);
                        return std::nullopt;
                    }
                    stack.push_back(global);
                    break;
                case 0xB:
                    if (stack.empty()) {
                        Fail(error, "pop without push", at);
                        return std::nullopt;
                    }
                    global = stack.back();
                    stack.pop_back();
                    break;
                default:
                    break;  // physical range, units: not needed here
            }
            continue;
        }
        if (type == 2) {  // local
            const uint32_t value = Unsigned(data);
            const auto usage = static_cast<uint16_t>(value & 0xFFFF);
            switch (tag) {
                case 0x0:
                    if (local.usages.size() < kMaxUsagesPerItem) {
                        local.usages.push_back(usage);
                        local.usagePages.push_back(size == 4 ? static_cast<uint16_t>(value >> 16)
                                                             : global.usagePage);
                    }
                    break;
                case 0x1:
                    local.usageMin = usage;
                    local.haveMin = true;
                    break;
                case 0x2:
                    local.usageMax = usage;
                    local.haveMax = true;
                    break;
                default:
                    break;
            }
            continue;
        }
        if (type != 0) {
            Fail(error, "reserved item type", at);
            return std::nullopt;
        }

        // Main items.
        if (tag == 0xA) {  // Collection
            if (depth == 0) {
                if (result.collections_.size() >= kMaxTopLevelCollections) {
                    Fail(error, "too many collections", at);
                    return std::nullopt;
                }
                TopLevelCollection c;
                c.usagePage = local.usagePages.empty() ? global.usagePage : local.usagePages[0];
                c.usage = local.usages.empty() ? 0 : local.usages[0];
                result.collections_.push_back(std::move(c));
            }
            if (++depth > kMaxCollectionDepth) {
                Fail(error, "collections nested too deep", at);
                return std::nullopt;
            }
        } else if (tag == 0xC) {  // End Collection
            if (depth == 0) {
                Fail(error, "end collection without collection", at);
                return std::nullopt;
            }
            --depth;
        } else if (tag == 0x8 || tag == 0x9 || tag == 0xB) {  // Input, Output, Feature
            if (global.reportSize > kMaxReportSize || global.reportCount > kMaxReportCount) {
                Fail(error, "report size or count out of range", at);
                return std::nullopt;
            }
            const ReportType reportType = tag == 0x8   ? ReportType::kInput
                                          : tag == 0x9 ? ReportType::kOutput
                                                       : ReportType::kFeature;
            const int t = static_cast<int>(reportType);
            uint32_t& used = bitsUsed[t][global.reportId];
            const uint32_t bits = global.reportSize * global.reportCount;
            if (used + bits > kMaxReportBits) {
                Fail(error, "report too long", at);
                return std::nullopt;
            }
            const uint32_t flags = Unsigned(data);
            ReportField field;
            field.type = reportType;
            field.reportId = global.reportId;
            field.usagePage = local.usagePages.empty() ? global.usagePage : local.usagePages[0];
            field.constant = (flags & 0x01) != 0;
            field.variable = (flags & 0x02) != 0;
            field.bitOffset = used;
            field.reportSize = global.reportSize;
            field.reportCount = global.reportCount;
            field.logicalMin = global.logicalMin;
            field.logicalMax = global.logicalMax;
            // A maximum written in too few bytes to be positive (0xFFFF as two bytes) is read
            // as unsigned when the minimum is not negative, as common descriptors intend.
            if (field.logicalMin >= 0 && field.logicalMax < field.logicalMin &&
                global.logicalMaxSize < 4) {
                field.logicalMax = static_cast<int32_t>(static_cast<uint32_t>(field.logicalMax) &
                                                        ((1u << (8 * global.logicalMaxSize)) - 1));
            }
            field.usages = local.usages;
            field.isRange = local.haveMin && local.haveMax && local.usageMin <= local.usageMax;
            field.usageMin = local.usageMin;
            field.usageMax = local.usageMax;
            used += bits;

            if (depth > 0 && !result.collections_.empty() && bits > 0) {
                TopLevelCollection& c = result.collections_.back();
                auto& ids = c.reportIds[t];
                if (std::find(ids.begin(), ids.end(), global.reportId) == ids.end()) {
                    ids.push_back(global.reportId);
                }
                c.fields.push_back(std::move(field));
            }
        }
        local = LocalState();
    }

    // Report lengths: the longest report of each type, plus the report ID byte.
    for (TopLevelCollection& c : result.collections_) {
        for (int t = 0; t < kReportTypeCount; ++t) {
            uint32_t longest = 0;
            for (uint8_t id : c.reportIds[t]) {
                longest = std::max(longest, (bitsUsed[t][id] + 7) / 8 + 1);
            }
            c.reportLength[t] = static_cast<uint16_t>(std::min<uint32_t>(longest, 0xFFFF));
        }
    }
    return result;
}

uint32_t ExtractBits(std::span<const uint8_t> data, uint32_t bitOffset, uint32_t size) {
    uint32_t value = 0;
    const uint32_t n = std::min<uint32_t>(size, 32);
    for (uint32_t i = 0; i < n; ++i) {
        const uint64_t bit = static_cast<uint64_t>(bitOffset) + i;
        const uint64_t byte = bit / 8;
        if (byte >= data.size()) {
            break;
        }
        if ((data[byte] >> (bit % 8)) & 1) {
            value |= 1u << i;
        }
    }
    return value;
}

}  // namespace marlo::hid
