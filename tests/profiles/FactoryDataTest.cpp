// The factory data that ships with the program agrees with the code that reads it.
#include <gtest/gtest.h>

#include "devices/KeyIdentityTable.h"
#include "platform/JsonDocument.h"
#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"

namespace marlo::profiles {
namespace {

const std::filesystem::path kData = MARLO_DEFAULT_DATA;

TEST(FactoryDataTest, EveryDefaultProfileHasItsSections) {
    const std::pair<const char*, std::vector<const char*>> models[] = {
        {"keyboard",
         {"LightInfo", "AudioLightInfo", "LightList", "KeyList", "SystemStages",
          "CustomLightMode"}},
        {"mouse",
         {"LightInfo", "LightList", "KeyList", "DPIStages", "SystemStages", "ReportStages",
          "CorrectInfo"}},
        {"MousePad", {"LightInfo", "LightList"}},
        {"HD",
         {"LightInfo", "SystemSetStages", "EQHzValueInfo", "CustomEQHzValueInfo",
          "CustomEQNameInfo"}},
    };
    for (const auto& [model, sections] : models) {
        const Json::Value doc =
            platform::JsonDocument::Read(kData / (std::string(model) + ".Json"));
        ASSERT_TRUE(doc["Device"][0].isObject()) << model;
        for (const char* section : sections) {
            EXPECT_TRUE(doc["Device"][0].isMember(section)) << model << " " << section;
        }
    }
}

TEST(FactoryDataTest, KeyboardKeyListIsTheIdentityTable) {
    CKeyboardProfiledata keyboard;
    keyboard.SetDefaultProfilePath(kData / "keyboard.Json");
    keyboard.primaryTree();
    const Json::Value doc = platform::JsonDocument::Read(kData / "keyboard.Json");
    const Json::Value& keys = doc["Device"][0]["KeyList"];
    ASSERT_EQ(keys.size(), static_cast<unsigned>(devices::kKeyPositions));
    for (int p = 0; p < devices::kKeyPositions; ++p) {
        EXPECT_EQ(keys[p]["Assignment"].asUInt(),
                  devices::KeyIdentityCodes()[static_cast<size_t>(p)])
            << p;
        EXPECT_EQ(keys[p]["DefaultAssignment"].asUInt(),
                  devices::KeyIdentityCodes()[static_cast<size_t>(p)])
            << p;
    }
}

TEST(FactoryDataTest, HeadsetPresetsHaveTenBands) {
    const Json::Value doc = platform::JsonDocument::Read(kData / "HD.Json");
    const Json::Value& presets = doc["Device"][0]["EQHzValueInfo"];
    for (int slot = 1; slot <= 12; ++slot) {
        ASSERT_EQ(presets[slot].size(), 10u) << slot;
        for (const auto& band : presets[slot]) {
            EXPECT_TRUE(band["value"].isInt());
        }
    }
}

TEST(FactoryDataTest, LanguagesAndLightingModes) {
    const Json::Value languages =
        platform::JsonDocument::Read(kData / "Language.config")["Language"];
    ASSERT_GE(languages.size(), 16u);
    EXPECT_EQ(languages[0]["Language_name"].asString(), "zh_CN");
    EXPECT_EQ(languages[2]["Language_name"].asString(), "zh_TW");
    EXPECT_EQ(languages[15]["Language_name"].asString(), "th_TH");
    for (const auto& l : languages) {
        EXPECT_TRUE(l["Language_ID"].isInt() && l["Language_file"].isString() &&
                    l["Language_text"].isString());
    }
    const Json::Value models = platform::JsonDocument::Read(kData / "default_light.json")["Models"];
    ASSERT_EQ(models.size(), 4u);
    EXPECT_EQ(models[1]["Model"].asString(), "keyboard");
    EXPECT_GE(models[1]["Modes"].size(), 46u) << "the keyboard's mode indexes go up to 45";
    EXPECT_TRUE(platform::JsonDocument::Read(kData / "korva_light.config")["LightInfo"].isArray());
    EXPECT_EQ(
        platform::JsonDocument::Read(kData / "AudioFile.json")["Device"]["AudioLightInfo"].size(),
        17u);
}

}  // namespace
}  // namespace marlo::profiles
