#include "sim/RequestCodec.h"

namespace marlo::sim {
namespace {

uint8_t At(std::span<const uint8_t> report, size_t index) {
    return index < report.size() ? report[index] : 0;
}

}  // namespace

RequestCodec::Request RequestCodec::Read(std::span<const uint8_t> report) {
    Request r;
    r.checksum = static_cast<uint16_t>(At(report, 1) + 256 * At(report, 2));
    r.command = At(report, 3);
    r.length = At(report, 4);
    r.offset = static_cast<uint16_t>(At(report, 5) + 256 * At(report, 6));
    return r;
}

uint16_t RequestCodec::ExpectedChecksum(std::span<const uint8_t> report) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kSize; ++i) {
        sum += At(report, i);
    }
    return static_cast<uint16_t>(sum % 65536);
}

bool RequestCodec::WellFormed(std::span<const uint8_t> report) {
    const Request r = Read(report);
    return report.size() == kSize && r.checksum == ExpectedChecksum(report) && r.length <= kMaxData;
}

}  // namespace marlo::sim
