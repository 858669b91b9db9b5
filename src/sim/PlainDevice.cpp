#include "sim/PlainDevice.h"

namespace marlo::sim {

std::vector<Report> PlainDevice::HandleOutput(std::span<const uint8_t> report) {
    (void)report;
    ++outputReports_;
    return {};
}

Json::Value PlainDevice::Dump() const {
    Json::Value dump(Json::objectValue);
    dump["kind"] = info_.kind;
    dump["outputReports"] = Json::UInt64(outputReports_);
    return dump;
}

}  // namespace marlo::sim
