#include "LanguageSettings.h"

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
    if (const auto key = store.OpenKey(kKey)) {
        id = key->ReadDword("LANGUAGE").value_or(id);
    }
    return static_cast<int>(Languages().IndexOf(id).value_or(0));
}

bool LanguageSettings::ApplyLanguage(int index) {
    const profiles::LanguageTable table = Languages();
    if (index < 0 || static_cast<size_t>(index) >= table.languages.size()) {
        return false;
    }
    const profiles::LanguageTable::Language& language = table.languages[static_cast<size_t>(index)];
    auto& resources = ui::CResourceManager::GetInstance();
    resources.SetLanguage(language.name);
    resources.LoadLanguage(language.file);
    resources.ReloadText();
    return true;
}

}  // namespace marlo::app
