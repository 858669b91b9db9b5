#pragma once

#include <cstdint>
#include <span>

namespace marlo::sim {

// The emulated devices' own reading of the report format, written apart from the host's
// code on purpose: were the host to build its reports wrong (a checksum over the wrong bytes,
// an offset in the wrong order), a device that shared its code would agree with it and the
// tests would pass. A request is 64 bytes: report ID, checksum (little-endian sum of bytes
// 3..63), command, data length, offset (little-endian), status, 56 data bytes.
class RequestCodec {
  public:
    static constexpr size_t kSize = 64;
    static constexpr size_t kDataAt = 8;
    static constexpr size_t kMaxData = kSize - kDataAt;

    struct Request {
        uint8_t command = 0;
        uint8_t length = 0;
        uint16_t offset = 0;
        uint16_t checksum = 0;
    };

    // The fields of a request of any size (missing bytes read as 0).
    static Request Read(std::span<const uint8_t> report);
    // The sum that a request of these bytes must carry.
    static uint16_t ExpectedChecksum(std::span<const uint8_t> report);
    // Whether a request may be acted on: exactly 64 bytes, its checksum right, its data
    // length within the report.
    static bool WellFormed(std::span<const uint8_t> report);
};

}  // namespace marlo::sim
