// marloctl language: the languages the program offers and the one it shows.
#include <charconv>
#include <cstdio>
#include <string>

#include "Commands.h"
#include "LanguageSettings.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"

namespace marloctl {
namespace {

constexpr const char* kUsage = "language list|set ID";

int List() {
    using marlo::app::LanguageSettings;
    const auto table = LanguageSettings::Languages();
    if (table.languages.empty()) {
        std::fprintf(stderr, "marloctl: the language list cannot be read\n");
        return kRefused;
    }
    const int current = LanguageSettings::PeekSavedLanguage();
    for (size_t i = 0; i < table.languages.size(); ++i) {
        const auto& language = table.languages[i];
        std::printf("%zu %u %s%s\n", i, language.id, language.name.c_str(),
                    static_cast<int>(i) == current ? " *" : "");
    }
    return kOk;
}

int Set(std::string_view text) {
    using marlo::app::LanguageSettings;
    const auto table = LanguageSettings::Languages();
    uint32_t id = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), id);
    if (ec != std::errc() || end != text.data() + text.size()) {
        return Usage(kUsage);
    }
    const auto index = table.IndexOf(id);
    if (!index) {
        std::fprintf(stderr, "marloctl: no language has the id %u\n", id);
        return kRefused;
    }
    // The person's own choice: the key is made when it is not there yet.
    const marlo::platform::SettingsStore store = marlo::platform::SettingsStore::UserStore();
    const auto key = store.CreateKey(LanguageSettings::kKey);
    if (!key || !key->WriteDword("LANGUAGE", id)) {
        std::fprintf(stderr, "marloctl: the language cannot be kept in %s\n", store.file().c_str());
        return kRefused;
    }
    std::printf("%zu %u %s *\n", *index, id, table.languages[*index].name.c_str());
    return kOk;
}

}  // namespace

int LanguageCommand(Args args) {
    if (args.size() == 1 && args[0] == "list") {
        return List();
    }
    if (args.size() == 2 && args[0] == "set") {
        return Set(args[1]);
    }
    return Usage(kUsage);
}

}  // namespace marloctl
