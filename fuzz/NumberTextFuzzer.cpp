// Numbers and hex bytes as people type them: any text parses to a value or nothing, and what
// parses prints back to a text that parses to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/NumberText.h"

using marlo::platform::NumberText;

namespace {

template <typename T>
void RoundTrip(std::string_view text) {
    if (const auto value = NumberText::Parse<T>(text)) {
        if (NumberText::Parse<T>(std::to_string(*value)) != value) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    RoundTrip<uint8_t>(text);
    RoundTrip<uint16_t>(text);
    RoundTrip<uint32_t>(text);
    RoundTrip<uint64_t>(text);
    RoundTrip<int64_t>(text);
    if (const auto bytes = NumberText::FromHex(text)) {
        if (NumberText::FromHex(NumberText::ToHex(*bytes)) != bytes) {
            std::abort();
        }
    }
    return 0;
}
