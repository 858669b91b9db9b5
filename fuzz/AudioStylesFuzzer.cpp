// Any bytes as the person's AudioFile.json, in memory: it is a styles file or not, and the
// styles read from one are always four, one of them active, with names a person could give.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"
#include "profiles/AudioStyles.h"
#include "profiles/NameRules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Json::Value document = marlo::platform::JsonDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(data), size));
    const auto styles = marlo::profiles::AudioStyles::FromDocument(document);
    if (styles.has_value() != marlo::profiles::AudioStyles::IsStylesShape(document)) {
        std::abort();
    }
    if (styles) {
        if (styles->active < 0 || styles->active >= 4) {
            std::abort();
        }
        for (const auto& style : styles->styles) {
            if (!marlo::profiles::NameRules::IsAcceptable(style.name)) {
                std::abort();
            }
        }
    }
    return 0;
}
