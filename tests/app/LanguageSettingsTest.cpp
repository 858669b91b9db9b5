// The language on the first start follows the person's locale; after that, their choice.
#include "LanguageSettings.h"

#include <gtest/gtest.h>

#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace marlo::app {
namespace {

std::string NameFor(std::string_view locale) {
    const profiles::LanguageTable table = LanguageSettings::Languages();
    return table.languages.at(LanguageSettings::IndexForLocale(table, locale)).name;
}

TEST(LanguageSettingsTest, ALocaleFindsItsLanguageThenItsCountry) {
    test::ScopedEnv resources("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR));
    const std::pair<const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "de_DE"},   {"en_GB.UTF-8", "en_US"}, {"pt_BR", "pt_BR"},
        {"zh_TW.UTF-8", "zh_TW"},   {"zh_HK.UTF-8", "zh_CN"}, {"fr", "fr_FR"},
        {"ja_JP.eucJP@x", "ja_JP"}, {"xx_YY", "en_US"},       {"", "en_US"},
        {"sv_SE.UTF-8", "en_US"}};
    for (const auto& [locale, name] : cases) {
        EXPECT_EQ(NameFor(locale), name) << locale;
    }
}

TEST(LanguageSettingsTest, TheFirstStartKeepsTheLocalesLanguageAndLaterStartsTheChoice) {
    test::TempDir dir;
    test::ScopedEnv resources("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR));
    test::ScopedEnv config("XDG_CONFIG_HOME", (dir / "config").string());
    test::ScopedEnv all("LC_ALL", std::nullopt);
    test::ScopedEnv messages("LC_MESSAGES", std::string("C"));
    test::ScopedEnv lang("LANG", std::string("en_US.UTF-8"));
    EXPECT_EQ(LanguageSettings::PersonsLocale(), "en_US.UTF-8") << "C says nothing of a language";
    const profiles::LanguageTable table = LanguageSettings::Languages();
    const int first = LanguageSettings::ReadSavedLanguage();
    EXPECT_EQ(table.languages.at(static_cast<size_t>(first)).name, "en_US");
    const platform::SettingsStore store = platform::SettingsStore::UserStore();
    const auto key = store.OpenKey(LanguageSettings::kKey);
    ASSERT_TRUE(key) << "made on the first start";
    EXPECT_EQ(key->ReadDword("LANGUAGE"), 1033u);

    test::ScopedEnv german("LANG", std::string("de_DE.UTF-8"));
    EXPECT_EQ(LanguageSettings::ReadSavedLanguage(), first) << "the kept choice holds";
}

}  // namespace
}  // namespace marlo::app
