#include "sim/CommandDevice.h"

#include <cstdio>

namespace marlo::sim {
namespace {

std::string Hex(const Report& bytes) {
    std::string text;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        text += b;
    }
    return text;
}

uint16_t Checksum(std::span<const uint8_t, CommandDevice::kReportSize> request) {
    uint32_t sum = 0;
    for (size_t i = 3; i < request.size(); ++i) {
        sum += request[i];
    }
    return static_cast<uint16_t>(sum);
}

}  // namespace

Report CommandDevice::AnswerFor(std::span<const uint8_t, kReportSize> request, uint8_t status) {
    Report answer(kReportSize, 0);
    answer[0] = kCommandReportId;
    answer[3] = request[3];
    answer[4] = request[4];
    answer[5] = request[5];
    answer[6] = request[6];
    answer[7] = status;
    return answer;
}

Report CommandDevice::Answer(std::span<const uint8_t, kReportSize> request) {
    return AnswerFor(request, 0);
}

std::vector<Report> CommandDevice::HandleOutput(std::span<const uint8_t> report) {
    if (report.empty() || report[0] != kCommandReportId) {
        ++otherReports_;
        return {};
    }
    ++requests_;
    std::array<uint8_t, kReportSize> request{};
    std::copy_n(report.begin(), std::min(report.size(), kReportSize), request.begin());
    lastRequest_.assign(request.begin(), request.end());
    const uint16_t checksum = static_cast<uint16_t>(request[1] | (request[2] << 8));
    if (report.size() != kReportSize || checksum != Checksum(request) || request[4] > 56) {
        ++refused_;
        return {AnswerFor(request, 0xFF)};
    }
    return {Answer(request)};
}

std::optional<Report> CommandDevice::EventReport(uint16_t code) const {
    return Report{kEventReportId, static_cast<uint8_t>(code & 0xFF), static_cast<uint8_t>(code >> 8)};
}

Json::Value CommandDevice::Dump() const {
    Json::Value dump(Json::objectValue);
    dump["kind"] = info_.kind;
    dump["requests"] = Json::UInt64(requests_);
    dump["refused"] = Json::UInt64(refused_);
    dump["otherReports"] = Json::UInt64(otherReports_);
    dump["lastRequest"] = Hex(lastRequest_);
    return dump;
}

}  // namespace marlo::sim
