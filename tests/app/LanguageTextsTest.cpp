#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "platform/JsonDocument.h"

namespace marlo::app {
namespace {

namespace fs = std::filesystem;
const fs::path kData = MARLO_DATA_DIR;
const fs::path kSources = MARLO_SOURCE_DIR;

std::set<std::string> IdsOf(const fs::path& languageFile) {
    pugi::xml_document doc;
    std::set<std::string> ids;
    if (doc.load_file(languageFile.c_str())) {
        for (const auto& text : doc.child("Language").children("Text")) {
            ids.insert(text.attribute("id").as_string());
        }
    }
    return ids;
}

// Every text identifier the program shows: the skin's resource texts and tooltips, the
// language names, and the identifiers the code sets.
std::map<std::string, std::string> UsedIds() {
    std::map<std::string, std::string> used;  // id -> where it is used
    for (const auto& entry : fs::recursive_directory_iterator(kData / "skin" / "xml")) {
        pugi::xml_document doc;
        if (entry.path().extension() != ".xml" || !doc.load_file(entry.path().c_str())) {
            continue;
        }
        for (const pugi::xpath_node& node : doc.select_nodes("//*")) {
            const pugi::xml_node e = node.node();
            const std::string where = entry.path().filename().string();
            if (e.attribute("resourcetext").as_bool() && *e.attribute("text").as_string()) {
                used.emplace(e.attribute("text").as_string(), where);
            }
            if (*e.attribute("tooltip").as_string()) {
                used.emplace(e.attribute("tooltip").as_string(), where);
            }
        }
    }
    for (const auto& language :
         platform::JsonDocument::Read(kData / "DefaultData" / "Language.config")["Language"]) {
        used.emplace(language["Language_text"].asString(), "Language.config");
    }
    // The lighting modes' names of every model.
    for (const auto& model :
         platform::JsonDocument::Read(kData / "DefaultData" / "default_light.json")["Models"]) {
        for (const auto& mode : model["Modes"]) {
            used.emplace(mode["Name"].asString(), "default_light.json");
        }
    }
    // In code: the message box's texts, the update texts (control names look otherwise) and
    // the keys' names.
    const std::regex literal(
        R"re("(message_text_\d+|\w*(?:Update|Download)\w*Text|keyboard_key_[^"]+|wed_stop)")re");
    for (const char* folder : {"app", "src"}) {
        for (const auto& entry : fs::recursive_directory_iterator(kSources / folder)) {
            if (entry.path().extension() != ".cpp") {
                continue;
            }
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            const std::string source = text.str();
            for (std::sregex_iterator it(source.begin(), source.end(), literal), end; it != end;
                 ++it) {
                used.emplace((*it)[1].str(), entry.path().filename().string());
            }
        }
    }
    return used;
}

TEST(LanguageTextsTest, EveryLanguageFileHasEveryTextTheProgramUses) {
    const auto used = UsedIds();
    ASSERT_TRUE(used.contains("message_ok") && used.contains("settings_title"))
        << "the skin was read";
    const std::set<std::string> english = IdsOf(kData / "skin" / "lang" / "lang_en_US.xml");
    std::string missing;
    for (const auto& entry : fs::directory_iterator(kData / "skin" / "lang")) {
        const std::set<std::string> ids = IdsOf(entry.path());
        for (const auto& [id, where] : used) {
            if (!ids.contains(id)) {
                missing += entry.path().filename().string() + ": " + id + " (" + where + ")\n";
            }
        }
        for (const std::string& id : english) {
            if (!ids.contains(id)) {
                missing += entry.path().filename().string() + ": " + id + " (lang_en_US.xml)\n";
            }
        }
    }
    EXPECT_EQ(missing, "") << "identifiers missing from language files";
}

}  // namespace
}  // namespace marlo::app
