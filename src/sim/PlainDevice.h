#pragma once

#include "sim/SimDevice.h"

namespace marlo::sim {

// A HID device that only exists: it takes output reports and never answers. Stands for the
// unrelated devices of a machine (a mouse, another interface of the keyboard).
class PlainDevice : public SimDevice {
  public:
    explicit PlainDevice(SimDeviceInfo info) : info_(std::move(info)) {}

    const SimDeviceInfo& info() const override { return info_; }
    std::vector<Report> HandleOutput(std::span<const uint8_t> report) override;
    Json::Value Dump() const override;

  private:
    SimDeviceInfo info_;
    uint64_t outputReports_ = 0;
};

}  // namespace marlo::sim
