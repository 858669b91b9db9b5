#include "audio/WavFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <cstring>
#include <iterator>

namespace marlo::audio {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatFloat = 3;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint32_t Le(std::span<const uint8_t> b, size_t at, size_t n) {
    uint32_t v = 0;
    for (size_t i = 0; i < n; ++i) {
        v |= uint32_t{b[at + i]} << (8 * i);
    }
    return v;
}

bool Fail(std::string* error, const char* why) {
    if (error != nullptr) {
        *error = why;
    }
    return false;
}

// One sample at `at` as -1..1.
float Sample(std::span<const uint8_t> b, size_t at, uint16_t format, uint16_t bits) {
    if (format == kFormatFloat) {
        const uint32_t raw = Le(b, at, 4);
        float f = 0;
        std::memcpy(&f, &raw, sizeof f);
        return f == f && f < 1e6f && f > -1e6f ? f : 0.0f;  // NaN and absurd values: silence
    }
    switch (bits) {
        case 8: return (static_cast<float>(b[at]) - 128.0f) / 128.0f;
        case 16: return static_cast<float>(static_cast<int16_t>(Le(b, at, 2))) / 32768.0f;
        case 24: {
            const auto v = static_cast<int32_t>(Le(b, at, 3) << 8) >> 8;
            return static_cast<float>(v) / 8388608.0f;
        }
        default: return static_cast<float>(static_cast<int32_t>(Le(b, at, 4))) / 2147483648.0f;
    }
}

}  // namespace

std::optional<WavFile> WavFile::Parse(std::span<const uint8_t> b, std::string* error) {
    if (b.size() > kMaxBytes) {
        Fail(error, "the file is too large");
        return std::nullopt;
    }
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
        Fail(error, "not a RIFF/WAVE file");
        return std::nullopt;
    }
    uint16_t format = 0;
    uint16_t channels = 0;
    uint16_t bits = 0;
    uint32_t rate = 0;
    std::span<const uint8_t> data;
    bool haveFormat = false;
    bool haveData = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = Le(b, at + 4, 4);
        const size_t body = at + 8;
        if (size > b.size() - body) {
            Fail(error, "a chunk runs past the end of the file");
            return std::nullopt;
        }
        if (std::memcmp(b.data() + at, "fmt ", 4) == 0 && size >= 16) {
            format = static_cast<uint16_t>(Le(b, body, 2));
            channels = static_cast<uint16_t>(Le(b, body + 2, 2));
            rate = Le(b, body + 4, 4);
            bits = static_cast<uint16_t>(Le(b, body + 14, 2));
            if (format == kFormatExtensible && size >= 26) {
                format = static_cast<uint16_t>(Le(b, body + 24, 2));  // the sub-format's tag
            }
            haveFormat = true;
        } else if (std::memcmp(b.data() + at, "data", 4) == 0) {
            data = b.subspan(body, size);
            haveData = true;
        }
        at = body + size + (size & 1);  // chunks are padded to an even size
    }
    if (!haveFormat || !haveData) {
        Fail(error, "the file has no format or no sound");
        return std::nullopt;
    }
    const bool pcm = format == kFormatPcm && (bits == 8 || bits == 16 || bits == 24 || bits == 32);
    const bool floats = format == kFormatFloat && bits == 32;
    if (!pcm && !floats) {
        Fail(error, "the samples are in a format that is not read");
        return std::nullopt;
    }
    if (channels == 0 || channels > kMaxChannels || rate < 1000 || rate > 384000) {
        Fail(error, "the channel count or sample rate is out of range");
        return std::nullopt;
    }
    const size_t bytesPerSample = bits / 8u;
    const size_t frameBytes = bytesPerSample * channels;
    const size_t frames = data.size() / frameBytes;
    WavFile file;
    file.sampleRate_ = rate;
    file.samples_.resize(frames);
    for (size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (size_t c = 0; c < channels; ++c) {
            sum += Sample(data, f * frameBytes + c * bytesPerSample, format, bits);
        }
        file.samples_[f] = sum / static_cast<float>(channels);
    }
    return file;
}

std::optional<WavFile> WavFile::Read(const std::string& path, std::string* error) {
    // Opened without waiting (a FIFO would hold the open until a writer came); only a regular
    // file is read.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        Fail(error, "the file cannot be opened");
        return std::nullopt;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        Fail(error, "it is not a regular file");
        return std::nullopt;
    }
    if (st.st_size < 0 || static_cast<uint64_t>(st.st_size) > kMaxBytes) {
        close(fd);
        Fail(error, "the file is too large");
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (got < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    close(fd);
    if (got != bytes.size()) {
        Fail(error, "the file cannot be read");
        return std::nullopt;
    }
    return Parse(bytes, error);
}

}  // namespace marlo::audio
