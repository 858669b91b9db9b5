#include "profiles/LanguageTable.h"

#include "profiles/DocumentFiles.h"
#include "profiles/JsonFields.h"

namespace marlo::profiles {

using F = JsonFields;

LanguageTable LanguageTable::FromDocument(const Json::Value& document) {
    LanguageTable table;
    const Json::Value& rows = F::Member(document, "Language");
    for (Json::ArrayIndex i = 0; rows.isArray() && i < rows.size() && i < kMaxRows; ++i) {
        const Json::Value& row = rows[i];
        Language language;
        const Json::Value& id = F::Member(row, "Language_ID");
        language.id = id.isUInt() ? id.asUInt() : 0;
        language.name = F::String(row, "Language_name");
        language.text = F::String(row, "Language_text");
        const std::string file = F::String(row, "Language_file");
        if (!file.empty() && DocumentFiles::IsSafeStem(file)) {
            language.file = file;
        }
        table.languages.push_back(std::move(language));
    }
    return table;
}

std::optional<size_t> LanguageTable::IndexOf(uint32_t id) const {
    for (size_t i = 0; i < languages.size(); ++i) {
        if (languages[i].id == id) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace marlo::profiles
