#include "online/UpdateItem.h"

#include <cstdio>

#include "hid/SupportedDevices.h"

namespace marlo::online {

std::string UpdateItem::LocalVersionText() const {
    char text[24];
    if (IsHexadecimal()) {
        std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(version));
    } else {
        std::snprintf(text, sizeof text, "V%d", version);
    }
    return text;
}

std::string UpdateItem::ApplicationKey() const {
    if (version == 0) {
        return "NULL";
    }
    return brand + "_" + std::to_string(number1) + "_" + model + "_" + name1 + "_" +
           std::to_string(number2);
}

std::vector<uint8_t> UpdateItem::RequestBody() const {
    char number[16];
    if (IsHexadecimal()) {
        std::snprintf(number, sizeof number, "%x", static_cast<unsigned>(version));
    } else {
        std::snprintf(number, sizeof number, "%d", version);
    }
    const std::string text = "app_key=" + ApplicationKey() + "&version=" + number;
    std::vector<uint8_t> body(text.begin(), text.end());
    body.push_back(0);  // the service reads the body as a C string
    return body;
}

int32_t ProgramVersionNumber(const std::string& versionText) {
    int64_t value = 0;
    for (const char c : versionText) {
        if (c == '.') {
            continue;
        }
        if (c < '0' || c > '9') {
            break;
        }
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) {
            return 0;
        }
    }
    return static_cast<int32_t>(value);
}

std::vector<UpdateItem> BuildUpdateItems(std::span<const uint16_t> deviceVersions,
                                         int32_t programVersion) {
    std::vector<UpdateItem> items;
    const auto& table = hid::ProductFamilies();
    for (size_t k = 0; k < table.size(); ++k) {
        const hid::ProductFamilyRecord& row = table[k];
        UpdateItem item{row.number1, row.number2, 0,         row.brand,
                        row.model,   row.name1,   row.name2, row.version};
        if (item.IsProgram()) {
            item.version = programVersion;
        } else if (k < deviceVersions.size()) {
            item.version = deviceVersions[k];
        }
        if (item.version != 0) {
            items.push_back(std::move(item));
        }
    }
    return items;
}

}  // namespace marlo::online
