// The headset's device object against the emulated headset and the chip library: its lights
// as lighting reports, its audio settings through the chip into its profile, and a headset
// whose chip library is missing.
#include "pages/ZentrixHS6533Device.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "hid/HidInterface.h"
#include "platform/DebugOutput.h"
#include "sim/HeadsetDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace marlo::pages {
namespace {

class HeadsetDeviceTest : public ::testing::Test {
  protected:
    explicit HeadsetDeviceTest(const std::string& resources = MARLO_BIN_DIR)
        : server_(dir_.path() / "hid"),
          data_("XDG_DATA_HOME", (dir_ / "data").string()),
          resources_("MARLO_RESOURCE_DIR", resources) {
        hid::HidInterface::SetDefaultRoot(dir_.path() / "hid");
        server_.Plug("headset", sim::SimCatalog::Create("headset"));
        headset_.channel().SetTimeouts(300, 300);
        const std::string path =
            (dir_.path() / "hid/dev/hidraw0").string() + "#vid_0c76&pid_1630&mi_03";
        EXPECT_TRUE(headset_.channel().OpenInterface(hid::CommandChannel::Path::kCable, path));
        headset_.channel().SetConnected(true);
        headset_.deviceDriver().frame().SetLightCount(devices::HeadsetLightReports::kLeds);
    }
    ~HeadsetDeviceTest() override { hid::HidInterface::SetDefaultRoot("/"); }

    uint32_t ReportsReceived() {
        const auto dump = server_.Dump("headset");
        return dump ? (*dump)["lightingReports"].asUInt() : 0;
    }
    // The reports the headset has taken once `count` arrived (they travel on their own), or
    // what it had after a while.
    uint32_t ReportsAfter(uint32_t count) {
        for (int i = 0; i < 200 && ReportsReceived() < count; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        // A moment more, for any report that should not have come.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return ReportsReceived();
    }
    std::string Led(int index) {
        const auto dump = server_.Dump("headset");
        return dump ? (*dump)["leds"][index].asString() : "";
    }

    test::TempDir dir_;
    sim::SimServer server_;
    test::ScopedEnv data_;
    test::ScopedEnv resources_;
    CZentrixHS6533Device headset_;
};

TEST_F(HeadsetDeviceTest, TheLightsGoOutAsReportsOnlyWhenTheyChangeAndAgainAfterANewLink) {
    const auto reports = devices::HeadsetLightReports::Build({{255, 255, 255, 255, {}}});
    EXPECT_EQ(reports[0][4], 247) << "full white at full level is cut to 247";
    EXPECT_EQ((std::vector<uint8_t>{reports[1][1], reports[1][2], reports[2][1], reports[4][2]}),
              (std::vector<uint8_t>{0x22, 0xAD, 0x44, 0xAB}))
        << "red 0-6, red 7-12, then the second bank, then green";

    headset_.deviceDriver().frame().SetLight(0, {255, 255, 255, 255, {}});
    headset_.deviceDriver().frame().SetLight(12, {10, 20, 30, 128, {}});
    headset_.PresentFrame();
    EXPECT_EQ(ReportsAfter(12), 12u);
    EXPECT_EQ(Led(0), "f7f7f7");
    EXPECT_EQ(Led(12), "050a0f");
    headset_.PresentFrame();
    EXPECT_EQ(ReportsAfter(12), 12u) << "the same frame is not sent again";
    headset_.ReadAfterConnect();  // a new link: the headset has not seen the frame
    headset_.PresentFrame();
    EXPECT_EQ(ReportsAfter(24), 24u);
}

TEST_F(HeadsetDeviceTest, SettingsGoThroughTheChipIntoTheProfile) {
    headset_.ReadAfterConnect();
    ASSERT_TRUE(headset_.driver().audio().started());
    devices::CChipLibrary& chip = headset_.driver().audio().chip();
    EXPECT_EQ(chip.GetNumber(*chip.playback(), "Enable_EQ_GFX", 0), 0.0) << "given its default";
    EXPECT_TRUE(headset_.driver().audio().state().voiceEffectRead) << "this chip has voice effects";

    EXPECT_TRUE(headset_.driver().SetMicVolume(40));
    EXPECT_TRUE(headset_.driver().SetMonitorMute(true));
    EXPECT_EQ(chip.GetNumber(*chip.capture(), "VolumeScalarControl", -1), 0.4);
    headset_.LoadProfile();
    EXPECT_EQ(headset_.stages().micInValue, 40);
    EXPECT_EQ(headset_.stages().micMonitorSelect, 1);

    // The voice effect on also turns the echo off; off writes only the switch.
    platform::DebugOutput::Capture debug;
    EXPECT_TRUE(headset_.driver().SetVoiceEffect(true));
    EXPECT_TRUE(headset_.driver().SetVoiceEffect(false));
    std::vector<std::string> sets;
    for (const std::string& line : debug.Lines()) {
        if (line.starts_with("PropertyControl set")) {
            sets.push_back(line);
        }
    }
    EXPECT_EQ(sets, (std::vector<std::string>{"PropertyControl set Enable_MAGICVOICE 0 1 -> 0",
                                              "PropertyControl set Enable_MICECHO 0 0 -> 0",
                                              "PropertyControl set Enable_MAGICVOICE 0 0 -> 0"}));

    // A preset's ten bands, from the profile, in band order.
    ASSERT_TRUE(headset_.driver().SetEqPreset(3));
    const std::vector<int32_t> bands = headset_.driver().EqValues(3);
    ASSERT_EQ(bands.size(), 10u);
    for (int b = 0; b < 10; ++b) {
        EXPECT_EQ(chip.GetNumber(*chip.playback(), "EQ_Slider" + std::to_string(b + 1), 0),
                  bands[static_cast<size_t>(b)]);
    }
    EXPECT_EQ(headset_.stages().eqType, 3);
    EXPECT_FALSE(headset_.driver().SetEqPreset(14));
    EXPECT_FALSE(headset_.driver().SetVoiceSelection(5));
}

TEST_F(HeadsetDeviceTest, TheLightingBlockIsWrittenAndReadAtItsSlot) {
    profiles::LightInfo light;
    light.selectItem = 2;
    light.light = 3;
    light.speed = 1;
    light.red = 0x12;
    light.green = 0x34;
    light.blue = 0x56;
    headset_.SetLightInfo(light);
    // A refused begin is no success, and nothing is written.
    ASSERT_TRUE(server_.SetFault("headset", sim::Fault::kStatusFE, 1));
    EXPECT_NE(headset_.driver().WriteLightingBlock(0), 1);
    EXPECT_EQ(headset_.driver().WriteLightingBlock(0), 1);
    std::vector<uint8_t> settings;
    server_.WithDevice("headset", [&](sim::SimDevice& d) {
        settings = dynamic_cast<sim::HeadsetDevice&>(d).settings();
    });
    const auto modes = CZentrixUSBDevice::LoadModeList(3);
    ASSERT_GT(modes.size(), 2u);
    EXPECT_EQ(settings[1], modes[2].value) << "the mode as the headset numbers it";
    EXPECT_EQ(settings[3], 3) << "speed stored as 4 - speed";
    EXPECT_EQ((std::vector<uint8_t>(settings.begin() + 6, settings.begin() + 9)),
              (std::vector<uint8_t>{0x12, 0x34, 0x56}));

    headset_.SetLightInfo({});
    ASSERT_TRUE(headset_.driver().ReadLightingBlock());
    EXPECT_EQ(headset_.lightInfo().selectItem, 2);
    EXPECT_EQ(headset_.lightInfo().speed, 1);
    EXPECT_EQ(headset_.lightInfo().blue, 0x56);
}

TEST_F(HeadsetDeviceTest, TheLightsFollowTheLightingMode) {
    headset_.ReadAfterConnect();  // the lighting thread runs from here
    profiles::LightInfo light;
    light.selectItem = 3;  // the headset's static mode
    light.light = 4;
    light.red = 200;
    headset_.SetLightInfo(light);
    // The factory mode (the colour cycle) may have made a step first: the static red is waited
    // for.
    const auto staticRed = [&] {
        const devices::LightEntry e = headset_.deviceDriver().frame().GetLight(12);
        return e.red == 200 && e.green == 0 && e.blue == 0;
    };
    for (int i = 0; i < 300 && !staticRed(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    headset_.PresentFrame();
    ReportsAfter(12);
    EXPECT_EQ(Led(12).substr(2), "0000") << Led(12);
    EXPECT_NE(Led(12).substr(0, 2), "00") << "lit red by the static mode";
}

TEST_F(HeadsetDeviceTest, AChipWithoutVoiceEffectsLeavesTheirSwitchUnread) {
    // This headset's chip reports no voice effects (bit 0x20000 clear) on its microphone.
    const auto store = dir_.path() / "data/Marlo Gear/HD/chip";
    std::filesystem::create_directories(store);
    std::ofstream(store / "card-Headset.json")
        << R"({"Properties": {"SupportFeature/2": "65536,0,0,0,0,0,1",
                              "Enable_MAGICVOICE/0": "1"}})";
    headset_.ReadAfterConnect();
    ASSERT_TRUE(headset_.driver().audio().started());
    EXPECT_FALSE(headset_.driver().audio().state().voiceEffectRead);
    EXPECT_FALSE(headset_.driver().audio().state().voiceEffect) << "the stored 1 is not read";
}

class HeadsetWithoutLibraryTest : public HeadsetDeviceTest {
  protected:
    HeadsetWithoutLibraryTest() : HeadsetDeviceTest("/nonexistent/marlo-gear-resources") {}
};

TEST_F(HeadsetWithoutLibraryTest, TheHeadsetStaysUsableWithoutChipValues) {
    headset_.ReadAfterConnect();
    EXPECT_FALSE(headset_.driver().audio().started());
    EXPECT_FALSE(headset_.driver().SetMicVolume(50));
    EXPECT_FALSE(headset_.driver().SetVoiceEffect(true));
    headset_.deviceDriver().frame().SetLight(1, {0, 255, 0, 255, {}});
    headset_.PresentFrame();
    EXPECT_EQ(ReportsAfter(12), 12u) << "the lights do not need the chip";
}

}  // namespace
}  // namespace marlo::pages
