// Any bytes as the settings store (registry.json), in memory: the language value reads as
// the program reads it, or as nothing, and a store that parses writes back to one that
// reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"
#include "platform/SettingsKey.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using marlo::platform::JsonDocument;
    using marlo::platform::SettingsKey;
    const Json::Value document =
        JsonDocument::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
    constexpr std::string_view kKey = "SOFTWARE\\Marlo Gear";
    const auto language = SettingsKey::DwordIn(document, kKey, "LANGUAGE");
    SettingsKey::StringIn(document, kKey, "LANGUAGE");
    if (document.isObject() &&
        SettingsKey::DwordIn(JsonDocument::Parse(JsonDocument::Format(document)), kKey,
                             "LANGUAGE") != language) {
        std::abort();
    }
    return 0;
}
