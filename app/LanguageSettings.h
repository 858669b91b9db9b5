#pragma once

#include "profiles/LanguageTable.h"

#include <string>

namespace marlo::app {

// The languages of DefaultData/Language.config and the one the user chose (the settings
// store's "LANGUAGE" value under the product's key, a Language_ID).
class LanguageSettings {
  public:
    static constexpr const char* kKey = "SOFTWARE\\Marlo Gear";

    // The index of the saved language; 0 when nothing matches.
    static int ReadSavedLanguage();
    // Loads the language at `index` into the toolkit and re-texts every window. False when
    // the list has no such entry.
    static bool ApplyLanguage(int index);
    static profiles::LanguageTable Languages();
};

}  // namespace marlo::app
