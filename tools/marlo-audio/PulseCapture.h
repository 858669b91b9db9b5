#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

struct pa_simple;

namespace marlo_audio {

// What the desktop plays: the default output's monitor, through the sound server's simple
// API (PulseAudio, or PipeWire's server for it), as one channel of float samples.
class PulseCapture {
  public:
    static constexpr uint32_t kSampleRate = 44100;

    // Connects; false, with `error()` saying why, when the server or the monitor is not there.
    bool Open(uint32_t samplesPerRead);
    // Fills `samples` (blocks until they are there); false when the stream failed.
    bool Read(std::span<float> samples);
    const std::string& error() const { return error_; }

  private:
    struct Close {
        void operator()(pa_simple* stream) const;
    };
    std::unique_ptr<pa_simple, Close> stream_;
    std::string error_;
};

}  // namespace marlo_audio
