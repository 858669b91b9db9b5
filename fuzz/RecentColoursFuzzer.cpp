// Any bytes as the person's RecentColours.json: what is read is at most kMax distinct colours,
// and it reads back the same after it is written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"
#include "profiles/RecentColours.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using marlo::profiles::RecentColours;
    const RecentColours recent = RecentColours::FromDocument(marlo::platform::JsonDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(data), size)));
    if (recent.colours().size() > RecentColours::kMax) {
        std::abort();
    }
    for (const uint32_t rgb : recent.colours()) {
        if (rgb > 0xFFFFFF) {
            std::abort();
        }
    }
    if (RecentColours::FromDocument(recent.ToDocument()).colours() != recent.colours()) {
        std::abort();
    }
    return 0;
}
