// The headset's chip library, loaded as the program loads it: the endpoints of a card with the
// headset's USB id, its properties as decimal text kept in the user's store, the volumes of a
// card that is not the machine's, and what a missing or unusable library leaves.
#include "devices/ChipLibrary.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "chip/AlsaChipMixer.h"
#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "support/TempDir.h"

namespace marlo::devices {
namespace {

const std::filesystem::path kLibrary = std::filesystem::path(MARLO_BIN_DIR) / "SDK/osConfLib.so";

// A root whose proc/asound has a card with the headset's USB id (and one without).
void MakeCards(const std::filesystem::path& root) {
    for (const auto& [card, usbid] : {std::pair{"card0", "1d6b:0003"}, {"card2", "0c76:1630"}}) {
        const auto folder = root / "proc/asound" / card;
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "usbid") << usbid << "\n";
        std::ofstream(folder / "id") << "Headset\n";
    }
}

class ChipLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeCards(dir_.path() / "root");
        ASSERT_TRUE(chip_.Load(kLibrary));
        ASSERT_TRUE(chip_.Start(dir_.path() / "root", dir_.path() / "store"));
    }

    test::TempDir dir_;
    CChipLibrary chip_;
};

TEST_F(ChipLibraryTest, TheHeadsetsEndpointsAndTheirFeatures) {
    ASSERT_TRUE(chip_.playback());
    ASSERT_TRUE(chip_.capture());
    EXPECT_EQ(chip_.playback()->device.type, 1u);
    EXPECT_EQ(chip_.capture()->device.type, 2u);
    EXPECT_EQ(chip_.capture()->device.card, 2u) << "the card with the headset's USB id";
    EXPECT_NE(chip_.capture()->features[0] & CChipLibrary::kVoiceEffectFeature, 0);
}

TEST_F(ChipLibraryTest, PropertiesAreDecimalTextKeptPerCard) {
    const auto& playback = *chip_.playback();
    std::string text;
    EXPECT_NE(chip_.Get(playback, "Enable_EQ_GFX", 0, text), 0) << "never set: no value";
    platform::DebugOutput::Capture debug;
    EXPECT_EQ(chip_.Set(playback, "Enable_EQ_GFX", 0, "1"), 0);
    EXPECT_TRUE(debug.Contains("PropertyControl set Enable_EQ_GFX 0 1 -> 0"));
    EXPECT_EQ(chip_.Set(playback, "EQ_Slider3", 0, "-4"), 0);
    EXPECT_NE(chip_.Set(playback, "EQ_Slider3", 0, "loud"), 0) << "not a number";
    EXPECT_NE(chip_.Set(playback, "NoSuchProperty", 0, "1"), 0);
    EXPECT_NE(chip_.Set(playback, "GetMaxVol", 0, "1"), 0) << "a range is only read";

    EXPECT_NE(chip_.Set(playback, "EQ_Slider3", 0, "1e300"), 0) << "beyond any property";
    EXPECT_NE(chip_.Set(playback, "EQ_Slider3", 0, "-1e308"), 0);

    // Started again (the program's next run): the card's values are still there.
    ASSERT_TRUE(chip_.Start(dir_.path() / "root", dir_.path() / "store"));
    EXPECT_EQ(chip_.GetNumber(*chip_.playback(), "EQ_Slider3", 0), -4.0);
    EXPECT_EQ(chip_.GetNumber(*chip_.playback(), "Enable_EQ_GFX", 0), 1.0);

    // A store edited to hold numbers no property has: read as no value.
    for (const auto& e : std::filesystem::recursive_directory_iterator(dir_.path() / "store")) {
        if (e.is_regular_file()) {
            std::string stored = *platform::ReadWholeFile(e.path(), 1 << 20);
            for (const auto& [from, to] :
                 {std::pair{"\"-4\"", "\"-1e308\""}, {"\"1\"", "\"1e300\""}}) {
                if (const size_t at = stored.find(from); at != std::string::npos) {
                    stored.replace(at, std::string(from).size(), to);
                }
            }
            std::ofstream(e.path()) << stored;
        }
    }
    ASSERT_TRUE(chip_.Start(dir_.path() / "root", dir_.path() / "store"));
    EXPECT_FALSE(chip_.GetNumber(*chip_.playback(), "EQ_Slider3", 0));
    EXPECT_FALSE(chip_.GetNumber(*chip_.playback(), "Enable_EQ_GFX", 0));
}

TEST_F(ChipLibraryTest, AStoredCardsVolumesFollowEachOther) {
    const auto& capture = *chip_.capture();
    EXPECT_EQ(chip_.GetNumber(capture, "GetMaxVol", 0), 30.0);
    EXPECT_EQ(chip_.GetNumber(capture, "GetMinVol", 0), -12.0);
    EXPECT_EQ(chip_.Set(capture, "VolumeScalarControl", -1, "0.5"), 0);
    EXPECT_EQ(chip_.GetNumber(capture, "VolumeControl", -1), 9.0) << "halfway from -12 to 30";
    EXPECT_EQ(chip_.Set(capture, "AAMuteControl", 0, "1"), 0);
    EXPECT_EQ(chip_.GetNumber(capture, "AAMuteControl", 0), 1.0);
    EXPECT_EQ(chip_.GetNumber(capture, "MuteControl", 0), 0.0) << "the microphone is its own";
}

TEST(ChipLibraryStartTest, AMissingLibraryOrCardLeavesEveryCallFailing) {
    CChipLibrary missing;
    EXPECT_FALSE(missing.Load("/nonexistent/osConfLib.so"));
    EXPECT_FALSE(missing.Start("/", ""));
    std::string text;
    EXPECT_EQ(missing.Get(CChipLibrary::Endpoint{}, "GetMaxVol", 0, text), -1);

    test::TempDir empty;
    CChipLibrary chip;
    ASSERT_TRUE(chip.Load(kLibrary));
    EXPECT_FALSE(chip.Start(empty.path(), empty.path())) << "no headset card";
    EXPECT_FALSE(chip.capture());
    EXPECT_NE(chip.Get(CChipLibrary::Endpoint{}, "GetMaxVol", 0, text), 0);

    // A library that cannot start (its store cannot be made) says so and answers nothing.
    platform::DebugOutput::Capture debug;
    MakeCards(empty.path());
    EXPECT_FALSE(chip.Start(empty.path(), "/dev/null/store"));
    EXPECT_TRUE(debug.Contains("ConfLibInit called failed!"));
    EXPECT_FALSE(chip.playback());

    // A sound card the machine does not have: its mixer answers nothing.
    chip::AlsaChipMixer absent(99);
    EXPECT_FALSE(absent.opened());
    EXPECT_FALSE(absent.Level(chip::IChipMixer::Control::kMicrophone));
    EXPECT_FALSE(absent.SetMuted(chip::IChipMixer::Control::kMonitor, true));
}

}  // namespace
}  // namespace marlo::devices
