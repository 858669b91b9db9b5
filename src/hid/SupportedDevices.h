#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace marlo::hid {

// What kind of product a supported-device row describes.
enum ProductCode : uint16_t {
    kProductKeyboard = 1,
    kProductKeyboardReceiver = 9,
    kProductMouse = 2,
    kProductMouseReceiver = 6,
    kProductMousePad = 3,
    kProductHeadset = 7,
};

// Which collection of a device a row describes.
enum CollectionRole : uint16_t {
    kRoleCommand = 0,
    kRoleEvent = 0xFF,
};

// One row of the supported-device table, and one attachment slot.
struct SupportedDeviceRecord {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t interfaceNumber = 0;
    uint16_t collectionNumber = 0;
    uint16_t productCode = 0;
    uint16_t collectionRole = 0;
    uint16_t attached = 0;
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    uint16_t hasPartner = 0;
    uint16_t partnerIndex = 0;
    std::string devicePath;

    // Same collection: every field but attached, partner and path.
    bool IdentityEquals(const SupportedDeviceRecord& other) const;
    // Whether an opened collection (its vendor, product, interface and collection numbers,
    // usage page and usage) is the one this row describes.
    bool DescribesCollection(const SupportedDeviceRecord& probe) const;
    bool IsFree() const { return attached == 0 && devicePath.empty(); }
};

// The number of rows of the table, used by every loop over the table or the slots.
inline constexpr size_t kSupportedDeviceCount = 11;

const std::array<SupportedDeviceRecord, kSupportedDeviceCount>& SupportedDevices();

// One updatable item of the settings window.
struct ProductFamilyRecord {
    int32_t number1;
    int32_t number2;
    int32_t reserved;
    const char* brand;
    const char* model;
    const char* name1;
    const char* name2;
    const char* version;
};

inline constexpr size_t kProductFamilyCount = 4;
const std::array<ProductFamilyRecord, kProductFamilyCount>& ProductFamilies();

// The identity numbers in an interface path: the hexadecimal number after each marker,
// found ignoring case; 0 when the marker is missing.
uint16_t PathVendorId(std::string_view path);
uint16_t PathProductId(std::string_view path);
uint16_t PathInterfaceNumber(std::string_view path);
uint16_t PathCollectionNumber(std::string_view path);

}  // namespace marlo::hid
