// The audio companion's sound: WAVE files as they come (and as they should not), and the bars
// of a tone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>

#include "audio/SpectrumBands.h"
#include "audio/WavFile.h"
#include "support/TempDir.h"
#include "support/WavBytes.h"

namespace marlo::audio {
namespace {

TEST(WavFileTest, ReadsTheSampleFormatsAndRefusesWhatIsNotWhole) {
    const std::vector<uint8_t> tone = test::ToneWav(1000, 8000, 0.01, 0.5);
    std::string error;
    const auto file = WavFile::Parse(tone, &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->sampleRate(), 8000u);
    EXPECT_EQ(file->samples().size(), 80u);
    EXPECT_NEAR(*std::max_element(file->samples().begin(), file->samples().end()), 0.5, 0.01);

    // The same header shape with other formats: (format tag, channels, bits, sample bytes).
    const auto with = [&](uint16_t format, uint16_t channels, uint16_t bits,
                          std::vector<uint8_t> data) {
        std::vector<uint8_t> b(tone.begin(), tone.begin() + 44);
        b[20] = static_cast<uint8_t>(format);
        b[21] = static_cast<uint8_t>(format >> 8);
        b[22] = static_cast<uint8_t>(channels);
        b[34] = static_cast<uint8_t>(bits);
        const auto size = static_cast<uint32_t>(data.size());
        for (int i = 0; i < 4; ++i) {
            b[40 + i] = static_cast<uint8_t>(size >> (8 * i));
        }
        b.insert(b.end(), data.begin(), data.end());
        return b;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        bool read;
        float first;
    } cases[] = {
        {"8-bit", with(1, 1, 8, {0xC0}), true, 0.5f},
        {"24-bit", with(1, 1, 24, {0x00, 0x00, 0xC0}), true, -0.5f},
        {"float", with(3, 1, 32, {0x00, 0x00, 0x00, 0x3F}), true, 0.5f},
        {"stereo mixed", with(1, 2, 16, {0x00, 0x40, 0x00, 0x00}), true, 0.25f},
        {"NaN is silence", with(3, 1, 32, {0x00, 0x00, 0xC0, 0x7F}), true, 0.0f},
        {"A-law", with(6, 1, 8, {0x00}), false, 0},
        {"12-bit", with(1, 1, 12, {0x00, 0x00}), false, 0},
        {"no channels", with(1, 0, 16, {0x00, 0x00}), false, 0},
        {"not RIFF", std::vector<uint8_t>(tone.size(), 0), false, 0},
        {"cut short", std::vector<uint8_t>(tone.begin(), tone.begin() + 60), false, 0},
        {"empty", {}, false, 0},
    };
    for (const auto& c : cases) {
        const auto parsed = WavFile::Parse(c.bytes, &error);
        EXPECT_EQ(parsed.has_value(), c.read) << c.what;
        if (parsed && c.read) {
            ASSERT_FALSE(parsed->samples().empty()) << c.what;
            EXPECT_NEAR(parsed->samples()[0], c.first, 0.01) << c.what;
        } else if (!c.read) {
            EXPECT_FALSE(error.empty()) << c.what;
        }
    }
}

// From a file: a whole WAVE file is read; a FIFO or a device where the file should be is
// refused at once, never waited on.
TEST(WavFileTest, ReadsOnlyARegularFile) {
    test::TempDir dir;
    const std::vector<uint8_t> tone = test::ToneWav(1000, 8000, 0.01, 0.5);
    std::ofstream(dir / "tone.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(tone.data()), static_cast<std::streamsize>(tone.size()));
    std::string error;
    EXPECT_TRUE(WavFile::Read((dir / "tone.wav").string(), &error)) << error;
    ASSERT_EQ(mkfifo((dir / "fifo.wav").c_str(), 0600), 0);
    EXPECT_FALSE(WavFile::Read((dir / "fifo.wav").string(), &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(WavFile::Read("/dev/zero", &error));
    EXPECT_FALSE(WavFile::Read((dir / "missing.wav").string(), &error));
}

TEST(SpectrumBandsTest, AToneLightsItsOwnBandAndSilenceNone) {
    SpectrumBands analyser(44100);
    ASSERT_EQ(analyser.bands(), SpectrumBands::kDefaultBands);
    for (const double hz : {100.0, 1000.0, 5000.0}) {
        const auto file = WavFile::Parse(test::ToneWav(hz, 44100, 0.1, 0.8), nullptr);
        ASSERT_TRUE(file);
        const std::vector<uint8_t> bars = analyser.Analyse(file->samples());
        const auto peak = std::max_element(bars.begin(), bars.end()) - bars.begin();
        EXPECT_EQ(peak, analyser.BandOf(hz)) << hz;
        EXPECT_GT(bars[static_cast<size_t>(peak)], 230) << "near full scale: " << hz;
    }
    const std::vector<float> silence(SpectrumBands::kWindow, 0.0f);
    for (const uint8_t bar : analyser.Analyse(silence)) {
        EXPECT_EQ(bar, 0);
    }
    EXPECT_EQ(analyser.BandOf(20), -1);
    EXPECT_EQ(analyser.BandOf(40), 0);
    EXPECT_EQ(analyser.BandOf(15999), 22);
}

}  // namespace
}  // namespace marlo::audio
