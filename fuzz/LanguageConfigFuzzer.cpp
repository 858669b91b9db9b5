// Any bytes as DefaultData/Language.config, in memory: every row keeps its place and no
// language file leads out of the skin's folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/JsonDocument.h"
#include "profiles/LanguageTable.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Json::Value document = marlo::platform::JsonDocument::Parse(
        std::string_view(reinterpret_cast<const char*>(data), size));
    const auto table = marlo::profiles::LanguageTable::FromDocument(document);
    for (const auto& row : table.languages) {
        if (row.file.find('/') != std::string::npos || row.file.find("..") != std::string::npos) {
            std::abort();
        }
    }
    if (!table.languages.empty() && !table.IndexOf(table.languages.back().id)) {
        std::abort();
    }
    return 0;
}
