// Synchronised lighting: the frames of its five effects and the steps between them.
#include "SyncLighting.h"

#include <gtest/gtest.h>

namespace marlo::app {
namespace {

TEST(SyncLightingTest, StepsBetweenFramesFollowTheSpeedOnly) {
    const int expected[] = {28, 23, 18, 13, 7};
    for (int speed = 0; speed < 5; ++speed) {
        EXPECT_EQ(SyncLighting::Threshold(speed), expected[speed]);
    }
    EXPECT_EQ(SyncLighting::Threshold(-3), 28);
    EXPECT_EQ(SyncLighting::Threshold(9), 7);
}

TEST(SyncLightingTest, FramesPackColourAndLevel) {
    SyncLighting::Settings s;
    s.colour = 0x112233;
    s.brightness = 4;
    s.effect = SyncLighting::kSteady;
    EXPECT_EQ(SyncLighting::Frame(s, 0), 0xFF332211u) << "red | green << 8 | blue << 16 | level";
    EXPECT_EQ(SyncLighting::Frame(s, 77), 0xFF332211u) << "steady does not change";
    s.effect = SyncLighting::kOff;
    EXPECT_EQ(SyncLighting::Frame(s, 5), 0u);
    s.effect = SyncLighting::kBreathing;
    EXPECT_EQ(SyncLighting::Frame(s, 0) >> 24, 0u) << "breathing starts dark";
    EXPECT_EQ(SyncLighting::Frame(s, 63) >> 24, 255u) << "and is brightest halfway";
    s.effect = SyncLighting::kFlashing;
    EXPECT_NE(SyncLighting::Frame(s, 0) >> 24, 0u);
    EXPECT_EQ(SyncLighting::Frame(s, 16) >> 24, 0u) << "then off for as long";
    s.effect = SyncLighting::kColourCycle;
    EXPECT_NE(SyncLighting::Frame(s, 0) & 0xFFFFFF, SyncLighting::Frame(s, 64) & 0xFFFFFF);
    EXPECT_EQ(SyncLighting::Frame(s, 0), SyncLighting::Frame(s, 192)) << "192 colours round";
}

}  // namespace
}  // namespace marlo::app
