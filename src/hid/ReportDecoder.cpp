#include "hid/ReportDecoder.h"

#include <algorithm>

namespace marlo::hid {
namespace {

// Bounds on what one collection's entries may hold, whatever its descriptor claims.
constexpr uint32_t kMaxUsageList = 4096;
constexpr size_t kMaxEntries = 1024;

uint32_t MaxUsageListLength(const std::vector<ReportField>& fields, ReportType type,
                            uint16_t usagePage) {
    uint32_t n = 0;
    for (const ReportField& f : fields) {
        if (f.type == type && !f.constant && f.IsButton() && f.usagePage == usagePage) {
            n += f.reportCount;
        }
    }
    return std::min(n, kMaxUsageList);
}

int32_t SignExtend(uint32_t raw, uint32_t bits) {
    if (bits == 0 || bits >= 32) {
        return static_cast<int32_t>(raw);
    }
    const uint32_t sign = 1u << (bits - 1);
    return static_cast<int32_t>((raw ^ sign) - sign);
}

}  // namespace

ReportDecoder::ReportDecoder(const TopLevelCollection& collection) : fields_(collection.fields) {
    for (int t = 0; t < kReportTypeCount; ++t) {
        const auto type = static_cast<ReportType>(t);
        // Buttons first: one capability (and entry) per range or per single usage.
        for (const ReportField& f : fields_) {
            if (f.type != type || f.constant || !f.IsButton()) {
                continue;
            }
            const uint32_t maxUsages = MaxUsageListLength(fields_, type, f.usagePage);
            auto add = [&](uint16_t low, uint16_t high) {
                if (entries_[t].size() >= kMaxEntries) {
                    return;
                }
                HidDataEntry e;
                e.isButton = true;
                e.usagePage = f.usagePage;
                e.reportId = f.reportId;
                e.usageMin = low;
                e.usageMax = high;
                e.maxUsages = maxUsages;
                e.usages.assign(maxUsages, 0);
                entries_[t].push_back(std::move(e));
                ++buttonCaps_[t];
            };
            if (f.isRange || f.usages.empty()) {
                add(f.usageMin, f.usageMax);
            } else {
                for (uint16_t u : f.usages) {
                    add(u, u);
                }
            }
        }
        // Then values: one entry per usage of each capability.
        for (size_t i = 0; i < fields_.size(); ++i) {
            const ReportField& f = fields_[i];
            if (f.type != type || f.constant || f.IsButton() || f.reportCount == 0) {
                continue;
            }
            ++valueCaps_[t];
            const uint32_t usageCount =
                f.isRange ? static_cast<uint32_t>(f.usageMax - f.usageMin + 1)
                          : static_cast<uint32_t>(std::max<size_t>(f.usages.size(), 1));
            const uint32_t n = std::min(usageCount, f.reportCount);
            for (uint32_t element = 0; element < n && entries_[t].size() < kMaxEntries; ++element) {
                HidDataEntry e;
                e.usagePage = f.usagePage;
                e.reportId = f.reportId;
                e.usage = f.UsageOfElement(element);
                entries_[t].push_back(e);
                valueSources_[t].push_back(ValueSource{i, element});
            }
        }
    }
}

std::vector<uint16_t> ReportDecoder::UsagesSet(ReportType type, uint8_t reportId,
                                               uint16_t usagePage,
                                               std::span<const uint8_t> data) const {
    std::vector<uint16_t> set;
    for (const ReportField& f : fields_) {
        if (f.type != type || f.reportId != reportId || f.constant || !f.IsButton() ||
            f.usagePage != usagePage) {
            continue;
        }
        for (uint32_t element = 0; element < f.reportCount; ++element) {
            const uint32_t raw =
                ExtractBits(data, f.bitOffset + element * f.reportSize, f.reportSize);
            uint16_t usage = 0;
            if (f.variable) {
                usage = raw != 0 ? f.UsageOfElement(element) : 0;
            } else {
                const int64_t value = f.logicalMin < 0 ? SignExtend(raw, f.reportSize) : raw;
                usage = f.UsageOfArrayValue(value);
            }
            if (usage != 0) {
                set.push_back(usage);
            }
        }
    }
    return set;
}

bool ReportDecoder::Decode(ReportType type, std::span<const uint8_t> report) {
    if (report.empty()) {
        return false;
    }
    const int t = static_cast<int>(type);
    const uint8_t reportId = report[0];
    const std::span<const uint8_t> data = report.subspan(1);
    size_t valueIndex = 0;
    // The usages set per usage page, found once per report.
    std::vector<std::pair<uint16_t, std::vector<uint16_t>>> setByPage;
    for (HidDataEntry& e : entries_[t]) {
        const bool isValue = !e.isButton;
        const size_t source = isValue ? valueIndex++ : 0;
        if (e.reportId != reportId) {
            continue;
        }
        if (e.isButton) {
            auto found = std::find_if(setByPage.begin(), setByPage.end(),
                                      [&](const auto& p) { return p.first == e.usagePage; });
            if (found == setByPage.end()) {
                setByPage.emplace_back(e.usagePage, UsagesSet(type, reportId, e.usagePage, data));
                found = std::prev(setByPage.end());
            }
            const std::vector<uint16_t>& set = found->second;
            std::fill(e.usages.begin(), e.usages.end(), 0);
            size_t n = 0;
            for (uint16_t u : set) {
                if (u >= e.usageMin && u <= e.usageMax && n < e.maxUsages) {
                    e.usages[n++] = u;
                }
            }
            e.status = HidStatus::kSuccess;
        } else {
            const ValueSource& s = valueSources_[t][source];
            const ReportField& f = fields_[s.field];
            const uint32_t bit = f.bitOffset + s.element * f.reportSize;
            if ((bit + f.reportSize + 7) / 8 > data.size()) {
                e.status = HidStatus::kBadReport;
                return false;
            }
            e.rawValue = ExtractBits(data, bit, f.reportSize);
            e.scaledValue = f.logicalMin < 0 ? SignExtend(e.rawValue, f.reportSize)
                                             : static_cast<int32_t>(e.rawValue);
            e.status = HidStatus::kSuccess;
        }
        e.filled = true;
    }
    return true;
}

}  // namespace marlo::hid
