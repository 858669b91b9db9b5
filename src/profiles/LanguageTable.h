#pragma once

#include <json/value.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace marlo::profiles {

// The languages of DefaultData/Language.config:
//   { "Language": [ { "Language_ID", "Language_name", "Language_file", "Language_text" } ] }
// in the order the settings window offers them.
struct LanguageTable {
    // Sixteen short rows: a file larger than this is not the table.
    static constexpr size_t kMaxFileBytes = 256 * 1024;
    static constexpr size_t kMaxRows = 256;

    struct Language {
        uint32_t id = 0;
        std::string name;  // "zh_CN"
        std::string file;  // the skin's language file, "lang_zh_CN.xml"
        std::string text;  // the text identifier of its own name
    };
    std::vector<Language> languages;

    // The rows of a document, in order. A row that is not an object, or whose file is not a
    // plain file name of the skin's folder, keeps its place with no file (and loads nothing),
    // so every index still names the row it did.
    static LanguageTable FromDocument(const Json::Value& document);
    // The index of the row with this id; nothing when none has it.
    std::optional<size_t> IndexOf(uint32_t id) const;
};

}  // namespace marlo::profiles
