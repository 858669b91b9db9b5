#pragma once

#include "profiles/LanguageTable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace marlo::app {

// The languages of DefaultData/Language.config and the one the user chose (the settings
// store's "LANGUAGE" value under the product's key, a Language_ID).
class LanguageSettings {
  public:
    static constexpr const char* kKey = "SOFTWARE\\Marlo Gear";

    // The index of the saved language; 0 when nothing matches. On the first start (no key
    // yet) the key is made with the language of the person's locale, as installation does
    // elsewhere; after that the saved choice holds.
    static int ReadSavedLanguage();
    // The same index without making the key: what the program would show now.
    static int PeekSavedLanguage();
    // The row for a locale name ("de_DE.UTF-8", "pt_BR", "fr"): the one with its language and
    // country, else the first with its language, else English (en_US; row 0 without it).
    static size_t IndexForLocale(const profiles::LanguageTable& table, std::string_view locale);
    // LC_ALL, LC_MESSAGES or LANG, the first set to a real locale; empty without one.
    static std::string PersonsLocale();
    // Loads the language at `index` into the toolkit and re-texts every window; its id, or
    // nothing when the list has no such entry (the texts then stay as they are).
    static std::optional<uint32_t> LoadLanguage(int index);
    // Keeps the choice in the product's key, which must exist; false when it could not.
    static bool SaveLanguage(uint32_t id);
    static profiles::LanguageTable Languages();
};

}  // namespace marlo::app
