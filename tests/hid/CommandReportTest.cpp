#include "hid/CommandReport.h"

#include <gtest/gtest.h>

#include <vector>

namespace marlo::hid {
namespace {

TEST(CommandReportTest, BuildsRequestsWithTheChecksumLast) {
    const auto begin = CommandReport::Build(kCmdBegin, 0, {});
    EXPECT_EQ(begin[0], 4);
    EXPECT_EQ(begin[1], 0x01);
    EXPECT_EQ(begin[2], 0x00);
    EXPECT_EQ(begin[3], 0x01);

    std::vector<uint8_t> data(60, 0xFF);  // more than fits: cut at 56
    const auto write = CommandReport::Build(kCmdWriteSettings, 0x1234, data);
    EXPECT_EQ(write[4], 56);
    EXPECT_EQ(write[5], 0x34);
    EXPECT_EQ(write[6], 0x12);
    EXPECT_EQ(write[7], 0);
    EXPECT_EQ(write[63], 0xFF);
    const uint32_t sum = 0x06 + 56 + 0x34 + 0x12 + 56 * 0xFF;
    EXPECT_EQ(CommandReport::Checksum(write), static_cast<uint16_t>(sum));
    EXPECT_EQ(write[1] | (write[2] << 8), static_cast<int>(sum & 0xFFFF));
}

TEST(CommandReportTest, DebugLinesGroupBytesInFours) {
    CommandReport::Bytes report{};
    for (size_t i = 0; i < report.size(); ++i) {
        report[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(CommandReport::DebugLine(report, 0),
              "00 01 02 03   04 05 06 07   08 09 0a 0b   0c 0d 0e 0f  10 11 12 13  14 15 16 17  "
              "18 19 1a 1b  1c 1d 1e 1f");
    EXPECT_EQ(CommandReport::DebugLine(report, 1),
              "20 21 22 23   24 25 26 27   28 29 2a 2b   2c 2d 2e 2f  30 31 32 33  34 35 36 37  "
              "38 39 3a 3b  3c 3d 3e 3f");
}

}  // namespace
}  // namespace marlo::hid
