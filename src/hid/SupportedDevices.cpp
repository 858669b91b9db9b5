#include "hid/SupportedDevices.h"

#include "hid/HidPath.h"

namespace marlo::hid {

bool SupportedDeviceRecord::DescribesCollection(const SupportedDeviceRecord& o) const {
    return vendorId == o.vendorId && productId == o.productId &&
           interfaceNumber == o.interfaceNumber && collectionNumber == o.collectionNumber &&
           usagePage == o.usagePage && usage == o.usage;
}

bool SupportedDeviceRecord::IdentityEquals(const SupportedDeviceRecord& o) const {
    return DescribesCollection(o) && productCode == o.productCode &&
           collectionRole == o.collectionRole;
}

const std::array<SupportedDeviceRecord, kSupportedDeviceCount>& SupportedDevices() {
    // Rows 2-9 carry vendor and product 0: they describe the receiver keyboard, the mice and
    // the mouse pad for the attachment logic, and no real interface ever matches them.
    static const std::array<SupportedDeviceRecord, kSupportedDeviceCount> table = {{
        {0x320F, 0x5055, 1, 4, kProductKeyboard, kRoleCommand, 0, 0xFF1C, 0x92, 1, 2, {}},
        {0x320F, 0x5055, 1, 3, kProductKeyboard, kRoleEvent, 0, 0x000C, 0x01, 1, 3, {}},
        {0, 0, 1, 4, kProductKeyboardReceiver, kRoleCommand, 0, 0xFF1C, 0x92, 1, 0, {}},
        {0, 0, 1, 3, kProductKeyboardReceiver, kRoleEvent, 0, 0x000C, 0x01, 1, 1, {}},
        {0, 0, 1, 4, kProductMouse, kRoleCommand, 0, 0xFF1C, 0x92, 1, 6, {}},
        {0, 0, 1, 3, kProductMouse, kRoleEvent, 0, 0x000C, 0x01, 1, 7, {}},
        {0, 0, 1, 4, kProductMouseReceiver, kRoleCommand, 0, 0xFF1C, 0x92, 1, 4, {}},
        {0, 0, 1, 3, kProductMouseReceiver, kRoleEvent, 0, 0x000C, 0x01, 1, 5, {}},
        {0, 0, 1, 4, kProductMousePad, kRoleCommand, 0, 0xFF1C, 0x92, 0, 0, {}},
        {0, 0, 1, 3, kProductMousePad, kRoleEvent, 0, 0x000C, 0x01, 0, 0, {}},
        {0x0C76, 0x1630, 3, 0, kProductHeadset, kRoleCommand, 0, 0x000C, 0x01, 0, 0, {}},
    }};
    return table;
}

const std::array<ProductFamilyRecord, kProductFamilyCount>& ProductFamilies() {
    static const std::array<ProductFamilyRecord, kProductFamilyCount> table = {{
        {1, 1, 0, "KORVA", "QM27T01B", "MS", "MS", ""},
        {1, 1, 0, "KORVA", "QK27T02B", "KB", "KB", ""},
        {2, 1, 0, "KORVA", "QK27T03B_1", "T77", "T77", ""},
        {0, 1, 0, "KORVA", "ALL", "KB", "AP", "V0102"},
    }};
    return table;
}

uint16_t PathVendorId(std::string_view path) {
    return static_cast<uint16_t>(HidPath::NumberAfter(path, "vid_"));
}
uint16_t PathProductId(std::string_view path) {
    return static_cast<uint16_t>(HidPath::NumberAfter(path, "pid_"));
}
uint16_t PathInterfaceNumber(std::string_view path) {
    return static_cast<uint16_t>(HidPath::NumberAfter(path, "&mi_"));
}
uint16_t PathCollectionNumber(std::string_view path) {
    return static_cast<uint16_t>(HidPath::NumberAfter(path, "&col"));
}

}  // namespace marlo::hid
