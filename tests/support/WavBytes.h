#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

namespace marlo::test {

// A WAVE file's bytes: 16-bit PCM, one channel, a sine of `hz` at `amplitude` (0-1).
inline std::vector<uint8_t> ToneWav(double hz, uint32_t rate, double seconds, double amplitude) {
    const auto frames = static_cast<uint32_t>(rate * seconds);
    std::vector<uint8_t> b;
    b.reserve(44 + static_cast<size_t>(frames) * 2);
    const auto put = [&b](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) {
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        }
    };
    // One byte at a time: GCC 12's -O2 misreads a range insert into the fresh vector as an
    // overflow (-Wstringop-overflow).
    const auto tag = [&b](const char* t) {
        for (int i = 0; i < 4; ++i) {
            b.push_back(static_cast<uint8_t>(t[i]));
        }
    };
    tag("RIFF");
    put(36 + frames * 2, 4);
    tag("WAVE");
    tag("fmt ");
    put(16, 4);
    put(1, 2);  // PCM
    put(1, 2);  // one channel
    put(rate, 4);
    put(rate * 2, 4);
    put(2, 2);
    put(16, 2);
    tag("data");
    put(frames * 2, 4);
    for (uint32_t i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * hz * i / rate);
        put(static_cast<uint16_t>(static_cast<int16_t>(std::lround(v * 32767))), 2);
    }
    return b;
}

}  // namespace marlo::test
