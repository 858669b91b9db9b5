#pragma once

#include <algorithm>
#include <array>

#include "sim/SimDevice.h"

namespace marlo::sim {

// A device with a command collection: 64-byte requests under report ID 4 are answered with
// 64-byte answers that echo the command code in byte 3 and carry a status in byte 7 (0xFF for
// a request it refuses). Device events are reported under report ID 3 as 16-bit codes.
class CommandDevice : public SimDevice {
public:
    static constexpr uint8_t kCommandReportId = 4;
    static constexpr uint8_t kEventReportId = 3;
    static constexpr size_t kReportSize = 64;

    explicit CommandDevice(SimDeviceInfo info) : info_(std::move(info)) {}

    const SimDeviceInfo& info() const override { return info_; }
    std::vector<Report> HandleOutput(std::span<const uint8_t> report) override;
    std::optional<Report> EventReport(uint16_t code) const override;
    Json::Value Dump() const override;

protected:
    // Answers one well-formed request; the base answers every command with success.
    virtual Report Answer(std::span<const uint8_t, kReportSize> request);
    static Report AnswerFor(std::span<const uint8_t, kReportSize> request, uint8_t status);

private:
    SimDeviceInfo info_;
    uint64_t requests_ = 0;
    uint64_t refused_ = 0;
    uint64_t otherReports_ = 0;
    Report lastRequest_;
};

}  // namespace marlo::sim
