#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace marlo::audio {

// The sound's spectrum as a row of bars: the last `kWindow` samples through a Hann window and
// an FFT (FFTW), their power summed in bands spaced evenly on a logarithmic scale from 40 Hz
// to 16 kHz (or half the sample rate), each band's level from -60 dB (0) to full scale (255),
// lowest band first. Not thread-safe: one analyser per thread.
class SpectrumBands {
  public:
    static constexpr size_t kWindow = 2048;
    static constexpr size_t kDefaultBands = 23;  // one per column of the keyboard's grid
    static constexpr double kLowestHz = 40;
    static constexpr double kHighestHz = 16000;
    static constexpr double kFloorDb = -60;

    SpectrumBands(uint32_t sampleRate, size_t bands = kDefaultBands);
    ~SpectrumBands();
    SpectrumBands(const SpectrumBands&) = delete;
    SpectrumBands& operator=(const SpectrumBands&) = delete;

    // The bars of `samples` (its last kWindow; fewer are taken as silence before them).
    std::vector<uint8_t> Analyse(std::span<const float> samples);
    // The band a frequency falls in; -1 outside them all.
    int BandOf(double hz) const;
    size_t bands() const { return edges_.size() - 1; }

  private:
    uint32_t sampleRate_;
    std::vector<double> edges_;  // band edges in Hz, bands + 1 of them
    std::vector<float> window_;  // the Hann window
    float* in_ = nullptr;        // FFTW's buffers and plan
    void* out_ = nullptr;
    void* plan_ = nullptr;
};

}  // namespace marlo::audio
