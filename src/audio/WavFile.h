#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace marlo::audio {

// A RIFF/WAVE file's sound, mixed down to one channel of samples between -1 and 1. Integer
// samples of 8, 16, 24 or 32 bits and 32-bit floating point are read (also in the extensible
// format); anything else, or a file that is not whole, is refused.
class WavFile {
  public:
    static constexpr size_t kMaxBytes = 256u * 1024 * 1024;
    static constexpr uint32_t kMaxChannels = 16;

    // The file's bytes; nothing, with `error` saying why, for what is not such a file.
    static std::optional<WavFile> Parse(std::span<const uint8_t> bytes, std::string* error);
    // The file at `path`; nothing, with `error` saying why, when it cannot be read or parsed.
    static std::optional<WavFile> Read(const std::string& path, std::string* error);

    uint32_t sampleRate() const { return sampleRate_; }
    const std::vector<float>& samples() const { return samples_; }

  private:
    uint32_t sampleRate_ = 0;
    std::vector<float> samples_;
};

}  // namespace marlo::audio
