#include "sim/CommandDevice.h"

#include "platform/NumberText.h"
#include "sim/RequestCodec.h"

namespace marlo::sim {

Report CommandDevice::AnswerFor(Request request, uint8_t status) {
    Report answer(kReportSize, 0);
    answer[0] = kCommandReportId;
    answer[3] = request[3];
    answer[4] = request[4];
    answer[5] = request[5];
    answer[6] = request[6];
    answer[7] = status;
    return answer;
}

Report CommandDevice::ReadArea(Request request, std::span<const uint8_t> area) {
    const size_t offset = Offset(request);
    const size_t length = DataLength(request);
    if (offset + length > area.size()) {
        return AnswerFor(request, kRefused);
    }
    Report answer = AnswerFor(request, 0);
    std::copy_n(area.begin() + static_cast<ptrdiff_t>(offset), length, answer.begin() + 8);
    return answer;
}

Report CommandDevice::WriteArea(Request request, std::vector<uint8_t>& area) {
    const size_t offset = Offset(request);
    const size_t length = DataLength(request);
    if (offset + length > area.size()) {
        return AnswerFor(request, kRefused);
    }
    std::copy_n(request.begin() + 8, length, area.begin() + static_cast<ptrdiff_t>(offset));
    return AnswerFor(request, 0);
}

std::vector<Report> CommandDevice::HandleOtherReport(std::span<const uint8_t> report) {
    (void)report;
    return {};
}

std::vector<Report> CommandDevice::HandleOutput(std::span<const uint8_t> report) {
    if (report.empty() || report[0] != kCommandReportId) {
        ++otherReports_;
        return HandleOtherReport(report);
    }
    ++requests_;
    std::array<uint8_t, kReportSize> request{};
    std::copy_n(report.begin(), std::min(report.size(), kReportSize), request.begin());
    lastRequest_.assign(request.begin(), request.end());
    if (log_.size() == kLogSize) {
        log_.erase(log_.begin(), log_.begin() + kLogSize / 2);
    }
    log_.push_back({request[3], static_cast<uint16_t>(request[5] | (request[6] << 8)), request[4]});
    if (!RequestCodec::WellFormed(report)) {
        ++refused_;
        return {AnswerFor(request, kRefused)};
    }
    Report answer = Answer(request);
    if (answer.size() > 7 && answer[7] == kRefused) {
        ++refused_;
    }
    return {answer};
}

std::optional<Report> CommandDevice::EventReport(uint16_t code) const {
    if (!hasEvents_) {
        return std::nullopt;
    }
    return Report{kEventReportId, static_cast<uint8_t>(code & 0xFF),
                  static_cast<uint8_t>(code >> 8)};
}

Json::Value CommandDevice::Dump() const {
    Json::Value dump(Json::objectValue);
    dump["kind"] = info_.kind;
    dump["requests"] = Json::UInt64(requests_);
    dump["refused"] = Json::UInt64(refused_);
    dump["otherReports"] = Json::UInt64(otherReports_);
    dump["lastRequest"] = platform::NumberText::ToHex(lastRequest_);
    DumpState(dump);
    return dump;
}

}  // namespace marlo::sim
