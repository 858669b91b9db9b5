#include "PulseCapture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace marlo_audio {

void PulseCapture::Close::operator()(pa_simple* stream) const {
    pa_simple_free(stream);
}

bool PulseCapture::Open(uint32_t samplesPerRead) {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kSampleRate, 1};
    // Small fragments: each read is one step of the spectrum, not a second of sound.
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<uint32_t>(-1);
    attributes.fragsize = samplesPerRead * static_cast<uint32_t>(sizeof(float));
    int code = 0;
    pa_simple* stream = pa_simple_new(nullptr, "Marlo Gear", PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                                      "spectrum for the lighting", &spec, nullptr, &attributes,
                                      &code);
    if (stream == nullptr) {
        error_ = pa_strerror(code);
        return false;
    }
    stream_.reset(stream);
    return true;
}

bool PulseCapture::Read(std::span<float> samples) {
    int code = 0;
    if (!stream_ || pa_simple_read(stream_.get(), samples.data(), samples.size_bytes(), &code) < 0) {
        error_ = stream_ ? pa_strerror(code) : "not open";
        return false;
    }
    return true;
}

}  // namespace marlo_audio
