#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace marlo::sim {

using Report = std::vector<uint8_t>;

// What a simulated node shows in sysfs.
struct SimDeviceInfo {
    std::string kind;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    uint32_t interfaceNumber = 0;
    std::string productName;
    std::vector<uint8_t> reportDescriptor;
};

// One emulated HID node. The server calls it on its own thread only.
class SimDevice {
  public:
    virtual ~SimDevice() = default;

    virtual const SimDeviceInfo& info() const = 0;

    // Called with each output report the host writes (byte 0 the report ID); returns the
    // input reports the device answers with, in order.
    virtual std::vector<Report> HandleOutput(std::span<const uint8_t> report) = 0;

    // The input report a device event with this code produces, if the device has events.
    virtual std::optional<Report> EventReport(uint16_t code) const {
        (void)code;
        return std::nullopt;
    }

    // The device's state for inspection.
    virtual Json::Value Dump() const = 0;
};

}  // namespace marlo::sim
