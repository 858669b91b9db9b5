#include "audio/SpectrumBands.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace marlo::audio {

SpectrumBands::SpectrumBands(uint32_t sampleRate, size_t bands)
    : sampleRate_(std::max<uint32_t>(sampleRate, 1000)), window_(kWindow) {
    bands = std::clamp<size_t>(bands, 1, 256);
    const double top = std::min(kHighestHz, sampleRate_ / 2.0);
    const double bottom = std::min(kLowestHz, top / 2);
    for (size_t i = 0; i <= bands; ++i) {
        edges_.push_back(bottom * std::pow(top / bottom, static_cast<double>(i) / static_cast<double>(bands)));
    }
    for (size_t i = 0; i < kWindow; ++i) {
        window_[i] = static_cast<float>(
            0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(kWindow - 1)));
    }
    in_ = fftwf_alloc_real(kWindow);
    auto* out = fftwf_alloc_complex(kWindow / 2 + 1);
    out_ = out;
    plan_ = fftwf_plan_dft_r2c_1d(static_cast<int>(kWindow), in_, out, FFTW_ESTIMATE);
}

SpectrumBands::~SpectrumBands() {
    fftwf_destroy_plan(static_cast<fftwf_plan>(plan_));
    fftwf_free(static_cast<fftwf_complex*>(out_));
    fftwf_free(in_);
}

int SpectrumBands::BandOf(double hz) const {
    if (hz < edges_.front() || hz >= edges_.back()) {
        return -1;
    }
    const auto upper = std::upper_bound(edges_.begin(), edges_.end(), hz);
    return static_cast<int>(upper - edges_.begin()) - 1;
}

std::vector<uint8_t> SpectrumBands::Analyse(std::span<const float> samples) {
    const size_t have = std::min(samples.size(), kWindow);
    const size_t silent = kWindow - have;
    std::fill(in_, in_ + silent, 0.0f);
    const float* from = samples.data() + (samples.size() - have);
    for (size_t i = 0; i < have; ++i) {
        in_[silent + i] = from[i] * window_[silent + i];
    }
    fftwf_execute(static_cast<fftwf_plan>(plan_));
    const auto* out = static_cast<const fftwf_complex*>(out_);
    std::vector<double> power(bands(), 0.0);
    const double binHz = static_cast<double>(sampleRate_) / static_cast<double>(kWindow);
    for (size_t k = 1; k <= kWindow / 2; ++k) {
        if (const int band = BandOf(static_cast<double>(k) * binHz); band >= 0) {
            const double re = out[k][0];
            const double im = out[k][1];
            power[static_cast<size_t>(band)] += re * re + im * im;
        }
    }
    // A full-scale sine through the Hann window peaks at kWindow / 4 in its bin.
    const double reference = std::pow(static_cast<double>(kWindow) / 4.0, 2);
    std::vector<uint8_t> bars(bands());
    for (size_t b = 0; b < bars.size(); ++b) {
        const double db = 10 * std::log10(power[b] / reference + 1e-12);
        const double level = (db - kFloorDb) / -kFloorDb;
        bars[b] = static_cast<uint8_t>(std::lround(std::clamp(level, 0.0, 1.0) * 255));
    }
    return bars;
}

}  // namespace marlo::audio
