#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "hid/HidTypes.h"
#include "hid/ReportDescriptor.h"

namespace marlo::hid {

// What sysfs tells about one hidraw node: its identity, USB interface and report descriptor.
struct HidrawNodeInfo {
    HidAttributes attributes;
    uint32_t interfaceNumber = 0;
    ReportDescriptor descriptor;
};

class HidrawNode {
  public:
    // Reads <root>/sys/class/hidraw/<node>/device/{uevent,report_descriptor}. Nothing when the
    // node is gone or what it holds cannot be parsed.
    static std::optional<HidrawNodeInfo> Read(const std::filesystem::path& root,
                                              const std::string& node);

    // Reads the vendor and product (HID_ID) and the interface number (the "/inputN" tail of
    // HID_PHYS) from a uevent text; false when it has no usable HID_ID.
    static bool ParseUevent(const std::string& text, HidAttributes& attributes,
                            uint32_t& interfaceNumber);

    // True while both the device node and its sysfs entry exist.
    static bool Present(const std::filesystem::path& root, const std::string& node);
};

}  // namespace marlo::hid
