#include "LanguageSettings.h"

#include "platform/JsonDocument.h"
#include "platform/Paths.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"
#include "ui/ResourceManager.h"

namespace marlo::app {
namespace {

// The language table: sixteen short rows.
constexpr size_t kMaxLanguageConfigBytes = 256 * 1024;

}  // namespace

Json::Value LanguageSettings::Languages() {
    const Json::Value document =
        platform::JsonDocument::Read(platform::Paths::DefaultDataDir() / "Language.config",
                                     kMaxLanguageConfigBytes);
    const Json::Value* list =
        document.isObject() ? document.find("Language", "Language" + 8) : nullptr;
    return list != nullptr && list->isArray() ? *list : Json::Value(Json::arrayValue);
}

int LanguageSettings::ReadSavedLanguage() {
    uint32_t id = 520;
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    if (const auto key = store.OpenKey(kKey)) {
        id = key->ReadDword("LANGUAGE").value_or(id);
    }
    const Json::Value languages = Languages();
    for (Json::ArrayIndex i = 0; i < languages.size(); ++i) {
        const Json::Value& entry = languages[i];
        if (entry.isObject() && entry["Language_ID"].isUInt() &&
            entry["Language_ID"].asUInt() == id) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

bool LanguageSettings::ApplyLanguage(int index) {
    const Json::Value languages = Languages();
    if (index < 0 || static_cast<Json::ArrayIndex>(index) >= languages.size() ||
        !languages[index].isObject()) {
        return false;
    }
    const Json::Value& entry = languages[index];
    auto& resources = ui::CResourceManager::GetInstance();
    resources.SetLanguage(entry["Language_name"].isString() ? entry["Language_name"].asString()
                                                            : "");
    resources.LoadLanguage(entry["Language_file"].isString() ? entry["Language_file"].asString()
                                                             : "");
    resources.ReloadText();
    return true;
}

}  // namespace marlo::app
