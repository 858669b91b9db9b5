#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace marlo::hid {

// The 64-byte command reports of the devices' command collection:
//   byte 0 report ID (4), bytes 1-2 checksum (little-endian sum of bytes 3-63), byte 3
//   command, byte 4 data length, bytes 5-6 offset (little-endian), byte 7 status (0 in a
//   request; 0xFF and 0xFE are errors in an answer), bytes 8-63 data.
class CommandReport {
  public:
    static constexpr size_t kSize = 64;
    static constexpr uint8_t kReportId = 4;
    static constexpr size_t kDataOffset = 8;
    static constexpr size_t kMaxData = kSize - kDataOffset;  // 56
    static constexpr uint8_t kStatusError = 0xFF;
    static constexpr uint8_t kStatusRefused = 0xFE;

    using Bytes = std::array<uint8_t, kSize>;

    // A request with `data` (cut at 56 bytes) and the checksum filled in last.
    static Bytes Build(uint8_t command, uint16_t offset, std::span<const uint8_t> data);
    static uint16_t Checksum(std::span<const uint8_t> report);
    static uint16_t Offset(std::span<const uint8_t> report) {
        return static_cast<uint16_t>(report[5] | (report[6] << 8));
    }

    // One of the two debug lines of a report: bytes 0-31 (half 0) or 32-63 (half 1), in
    // groups of four.
    static std::string DebugLine(std::span<const uint8_t> report, size_t half);
};

// Commands of the protocol.
enum Command : uint8_t {
    kCmdBegin = 0x01,
    kCmdEnd = 0x02,
    kCmdReadInfo = 0x03,
    kCmdReadSettings = 0x05,
    kCmdWriteSettings = 0x06,
    kCmdReadBlock = 0x07,
    kCmdWriteBlock = 0x09,
    kCmdWriteMask = 0x0B,
    kCmdLightingStream = 0x12,
    kCmdWriteMacros = 0x15,
    kCmdWriteShoot = 0x17,
    kCmdReadStatus = 0x1A,
    kCmdReadSlots = 0x1B,
    kCmdLightingControl = 0x1C,
    kCmdLinkCheck = 0xAA,
};

// Result codes of every exchange and command.
enum Result : int {
    kResultOk = 1,
    kResultNone = 0,
    kResultWriteFailed = -1,
    kResultNotLinked = -101,
    kResultStatusError = -102,
    kResultStatusRefused = -103,
    kResultBadBank = -201,
};

}  // namespace marlo::hid
