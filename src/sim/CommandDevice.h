#pragma once

#include <algorithm>
#include <array>
#include <span>

#include "sim/SimDevice.h"

namespace marlo::sim {

// A device with a command collection: 64-byte requests under report ID 4 are answered with
// 64-byte answers that echo the command code in byte 3 and carry a status in byte 7. A
// request with a wrong checksum, more than 56 data bytes or a size other than 64 is refused
// with status 0xFF. Subclasses answer the commands they know.
class CommandDevice : public SimDevice {
  public:
    static constexpr uint8_t kCommandReportId = 4;
    static constexpr uint8_t kEventReportId = 3;
    static constexpr size_t kReportSize = 64;
    static constexpr uint8_t kRefused = 0xFF;

    using Request = std::span<const uint8_t, kReportSize>;

    CommandDevice(SimDeviceInfo info, bool hasEvents)
        : info_(std::move(info)), hasEvents_(hasEvents) {}

    // One accepted or refused request, as the device saw it.
    struct LoggedRequest {
        uint8_t command;
        uint16_t offset;
        uint8_t length;
    };
    static constexpr size_t kLogSize = 4096;

    const SimDeviceInfo& info() const override { return info_; }
    // The most recent requests, oldest first (at most kLogSize).
    const std::vector<LoggedRequest>& requestLog() const { return log_; }
    std::vector<Report> HandleOutput(std::span<const uint8_t> report) override;
    std::optional<Report> EventReport(uint16_t code) const override;
    Json::Value Dump() const override;

  protected:
    // Answers one well-formed request.
    virtual Report Answer(Request request) = 0;
    // Output reports of other IDs; none answered by default.
    virtual std::vector<Report> HandleOtherReport(std::span<const uint8_t> report);
    // Adds the device's own state to a dump.
    virtual void DumpState(Json::Value& dump) const = 0;

  public:
    // Helpers for the answers of every device.
    static Report AnswerFor(Request request, uint8_t status);
    static uint8_t DataLength(Request request) { return request[4]; }
    static uint16_t Offset(Request request) {
        return static_cast<uint16_t>(request[5] | (request[6] << 8));
    }
    // The request's data length at its offset, read from or written to `area`; refused when
    // it does not fit inside the area.
    static Report ReadArea(Request request, std::span<const uint8_t> area);
    static Report WriteArea(Request request, std::vector<uint8_t>& area);

  private:
    SimDeviceInfo info_;
    bool hasEvents_;
    uint64_t requests_ = 0;
    uint64_t refused_ = 0;
    uint64_t otherReports_ = 0;
    Report lastRequest_;
    std::vector<LoggedRequest> log_;
};

}  // namespace marlo::sim
