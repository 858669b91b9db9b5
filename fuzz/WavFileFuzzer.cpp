// Any bytes as a WAVE file given to the audio companion: it is read or refused with a reason,
// and what is read is samples a sound could have, at a rate it could have.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "audio/WavFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string error;
    const auto file = marlo::audio::WavFile::Parse(std::span(data, size), &error);
    if (!file) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    if (file->sampleRate() < 1000 || file->sampleRate() > 384000 || file->samples().size() > size) {
        std::abort();
    }
    for (const float s : file->samples()) {
        if (!std::isfinite(s) || std::fabs(s) > 1e6f) {
            std::abort();
        }
    }
    return 0;
}
