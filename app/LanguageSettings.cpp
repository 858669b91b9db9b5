#include "LanguageSettings.h"

#include <cstdlib>
#include <optional>

#include "platform/DebugOutput.h"

#include "platform/JsonDocument.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"
#include "ui/ResourceManager.h"

namespace marlo::app {

profiles::LanguageTable LanguageSettings::Languages() {
    // Factory data: read with its bound, never set aside (it is not the person's).
    return profiles::LanguageTable::FromDocument(
        platform::JsonDocument::Read(platform::Paths::DefaultDataDir() / "Language.config",
                                     profiles::LanguageTable::kMaxFileBytes));
}

int LanguageSettings::ReadSavedLanguage() {
    uint32_t id = 520;
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    const profiles::LanguageTable table = Languages();
    if (const auto key = store.OpenKey(kKey)) {
        id = key->ReadDword("LANGUAGE").value_or(id);
    } else if (!table.languages.empty()) {
        // The first start: the person's own language, kept for the next starts.
        const size_t index = IndexForLocale(table, PersonsLocale());
        id = table.languages[index].id;
        const auto created = store.CreateKey(kKey);
        if (!created || !created->WriteDword("LANGUAGE", id)) {
            platform::DebugOutput::Write("the language could not be kept");
        }
    }
    return static_cast<int>(table.IndexOf(id).value_or(0));
}

int LanguageSettings::PeekSavedLanguage() {
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    const profiles::LanguageTable table = Languages();
    if (const auto key = store.OpenKey(kKey)) {
        return static_cast<int>(
            table.IndexOf(key->ReadDword("LANGUAGE").value_or(520)).value_or(0));
    }
    return table.languages.empty() ? 0 : static_cast<int>(IndexForLocale(table, PersonsLocale()));
}

size_t LanguageSettings::IndexForLocale(const profiles::LanguageTable& table,
                                        std::string_view locale) {
    // "de_DE.UTF-8@euro" → language "de", country "DE".
    locale = locale.substr(0, locale.find_first_of(".@"));
    const size_t underscore = locale.find('_');
    const std::string_view language = locale.substr(0, underscore);
    const std::string_view country =
        underscore == std::string_view::npos ? std::string_view() : locale.substr(underscore + 1);
    std::optional<size_t> sameLanguage;
    for (size_t i = 0; i < table.languages.size() && !language.empty(); ++i) {
        const std::string_view name = table.languages[i].name;
        const size_t cut = name.find('_');
        if (name.substr(0, cut) != language) {
            continue;
        }
        if (!country.empty() && cut != std::string_view::npos && name.substr(cut + 1) == country) {
            return i;
        }
        if (!sameLanguage) {
            sameLanguage = i;
        }
    }
    if (sameLanguage) {
        return *sameLanguage;
    }
    // A locale the program has no language for (or none: C, POSIX): English, not whatever
    // the table lists first.
    for (size_t i = 0; i < table.languages.size(); ++i) {
        if (table.languages[i].name == "en_US") {
            return i;
        }
    }
    return 0;
}

std::string LanguageSettings::PersonsLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0' && std::string_view(value) != "C" &&
            std::string_view(value) != "POSIX" && std::string_view(value) != "C.UTF-8") {
            return value;
        }
    }
    return {};
}

std::optional<uint32_t> LanguageSettings::LoadLanguage(int index) {
    const profiles::LanguageTable table = Languages();
    if (index < 0 || static_cast<size_t>(index) >= table.languages.size()) {
        return std::nullopt;
    }
    const profiles::LanguageTable::Language& language = table.languages[static_cast<size_t>(index)];
    auto& resources = ui::CResourceManager::GetInstance();
    resources.SetLanguage(language.name);
    resources.LoadLanguage(language.file);
    resources.ReloadText();
    return language.id;
}

bool LanguageSettings::SaveLanguage(uint32_t id) {
    // Opened, never made here: the key is made on the first start.
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    const auto key = store.OpenKey(kKey);
    if (!key) {
        return false;
    }
    if (key->ReadDword("LANGUAGE") == id) {
        return true;  // kept already: every start applies the saved language
    }
    if (!key->WriteDword("LANGUAGE", id)) {
        return false;
    }
    platform::DebugOutput::Write("写成功！");
    return true;
}

}  // namespace marlo::app
