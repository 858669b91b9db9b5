// Any bytes given as a JSON document parse to a value or to null, and whatever parses can be
// written and read back to the same value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const Json::Value document = marlo::platform::JsonDocument::Parse(text);
    if (!document.isNull()) {
        const Json::Value again =
            marlo::platform::JsonDocument::Parse(marlo::platform::JsonDocument::Format(document));
        // Doubles may print with fewer digits than they were read with; compare structure.
        if (again.type() != document.type() || again.size() != document.size()) {
            std::abort();
        }
    }
    return 0;
}
