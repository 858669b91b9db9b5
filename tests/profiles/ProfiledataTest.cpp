#include <gtest/gtest.h>

#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"
#include "profiles/Hs6533Profiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MouseProfiledata.h"
#include "support/TempDir.h"

namespace marlo::profiles {
namespace {

using platform::JsonDocument;

Json::Value Parse(const char* text) {
    return JsonDocument::Parse(text);
}

class ProfiledataTest : public ::testing::Test {
  protected:
    // A profile object pointed at a default profile holding `factoryTree`.
    template <typename T>
    void SetUpProfile(T& data, const Json::Value& factoryTree) {
        Json::Value factory(Json::objectValue);
        factory["Device"].append(factoryTree);
        factory["ExtraFactoryMember"] = 1;
        JsonDocument::Write(dir_ / "default.Json", factory);
        data.SetDefaultProfilePath(dir_ / "default.Json");
        data.SetDeviceIndex(0);
        data.SetProfilePath(dir_ / "p.Json");
    }
    std::vector<std::string> Backups() const {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
            if (e.path().filename().string().find(".unreadable-") != std::string::npos) {
                found.push_back(e.path().filename().string());
            }
        }
        return found;
    }
    test::TempDir dir_;
};

TEST_F(ProfiledataTest, MissingProfileIsCreatedFromTheDefaultWithOnlyItsDeviceMember) {
    CKeyboardProfiledata data;
    SetUpProfile(data, Parse(R"({"LightInfo": {"SelectItem": 3}})"));
    const Json::Value tree = data.LoadProfile(dir_ / "p.Json");
    EXPECT_EQ(tree["LightInfo"]["SelectItem"].asInt(), 3);
    const Json::Value written = JsonDocument::Read(dir_ / "p.Json");
    EXPECT_EQ(written.getMemberNames(), std::vector<std::string>{"Device"});
    EXPECT_EQ(written["Device"][0], tree);
}

TEST_F(ProfiledataTest, UnusableProfileIsKeptBeforeTheDefaultReplacesIt) {
    CKeyboardProfiledata data;
    SetUpProfile(data, Parse(R"({"LightInfo": {"SelectItem": 3}})"));
    for (const char* content : {"{ broken", R"({"Device": 7, "profilename": "mine"})"}) {
        std::ofstream(dir_ / "p.Json") << content;
        data.LoadProfile(dir_ / "p.Json");
        EXPECT_EQ(data.GetLightInfo().selectItem, 3);
    }
    const auto backups = Backups();
    ASSERT_EQ(backups.size(), 2u);
    // A parsable document keeps its other members.
    EXPECT_EQ(JsonDocument::Read(dir_ / "p.Json")["profilename"].asString(), "mine");
}

TEST_F(ProfiledataTest, SectionEdgeCases) {
    CMouseProfiledata mouse;
    SetUpProfile(mouse, Parse(R"({
        "KeyList": [{"Assignment": 66051, "DefaultAssignment": 2097193}],
        "LightList": [null, {"LEDREGMode": 5, "LEDDirection": 7, "red": 300}],
        "DPIStages": {"StageActive": 1, "StageDPIs": [{"StageDPIX": 1600, "StageDPIY": 800}]},
        "SystemStages": {"DoubleClickTime": 500}
    })"));
    mouse.LoadProfile(dir_ / "p.Json");
    EXPECT_EQ(mouse.GetLightInfo(), LightInfo{}) << "no LightInfo section reads all zero";

    const auto keys = mouse.GetKeyList();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0].assignment, (Assignment{1, 2, 3}));
    EXPECT_EQ(keys[0].defaultAssignment, (Assignment{0x20, 0x00, 0x29}));

    const auto lights = mouse.GetLightList();
    ASSERT_EQ(lights.size(), 2u);
    EXPECT_EQ(lights[0].present, 0);
    EXPECT_EQ(lights[1].present, 1);
    EXPECT_EQ(lights[1].selectItem, 5);
    EXPECT_EQ(lights[1].fx, 1) << "direction is read as a flag";
    EXPECT_EQ(lights[1].red, 300 & 0xFF) << "numbers keep their low bits";

    const auto stages = mouse.GetDpiStages();
    ASSERT_EQ(stages.size(), 1u);
    EXPECT_EQ(stages[0].dpiX & 0xFF, 0x40);
    EXPECT_EQ(stages[0].dpiX >> 8, 0x06);
    EXPECT_EQ(mouse.activeStage(), 1);
    EXPECT_EQ(mouse.GetMouseSystemStages().reportRateStage, 0) << "no ReportStages reads 0";
    EXPECT_EQ(mouse.GetMouseSystemStages().doubleClickTime, 500);

    // The kept DPI list only grows: a shorter list replaces the first entries.
    mouse.SetDpiStages({DpiStage{1, 0, 400, 400, 1, 2, 3}, DpiStage{1, 0, 800, 800, 4, 5, 6},
                        DpiStage{1, 1, 1600, 3200, 7, 8, 9}});
    EXPECT_EQ(mouse.primaryTree()["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 1600);
    mouse.LoadProfile(dir_ / "p.Json");  // the file still has one stage
    EXPECT_EQ(mouse.GetDpiStages().size(), 3u);
}

TEST_F(ProfiledataTest, EqualiserSlotsAndCompletion) {
    CHs6533Profiledata headset;
    Json::Value tree(Json::objectValue);
    for (int slot = 0; slot <= 12; ++slot) {
        Json::Value bands(Json::arrayValue);
        for (int b = 0; b < 10; ++b) {
            Json::Value band(Json::objectValue);
            band["value"] = slot * 100 + b;
            bands.append(band);
        }
        tree["EQHzValueInfo"].append(bands);
    }
    SetUpProfile(headset, tree);
    headset.LoadProfile(dir_ / "p.Json");
    const std::pair<int, int> cases[] = {{0, 1},  {1, 1},  {7, 7}, {12, 12},
                                         {14, 1}, {20, 1}, {-3, 1}};
    for (const auto& [type, slot] : cases) {
        const auto values = headset.GetEqValues(type);
        ASSERT_EQ(values.size(), 10u) << type;
        EXPECT_EQ(values[0], slot * 100) << "type " << type;
    }
    EXPECT_TRUE(headset.GetEqValues(13).empty()) << "the custom type has no preset slot";

    CHs6533Profiledata bare;
    SetUpProfile(bare, Parse(R"({"SystemSetStages": {"EqType": 2}})"));
    bare.LoadProfile(dir_ / "b.Json");
    EXPECT_EQ(bare.GetEqValues(2), std::vector<int32_t>(10, 0));
    const Json::Value& completed = bare.primaryTree()["EQHzValueInfo"][2];
    ASSERT_EQ(completed.size(), 10u);
    EXPECT_EQ(completed[9]["value"].asInt(), 0);
}

TEST_F(ProfiledataTest, EverySectionRoundTripsThroughTheFile) {
    CKeyboardProfiledata keyboard;
    SetUpProfile(keyboard, Parse(R"({"KeyList": [{"Assignment": 1, "DefaultAssignment": 1},
                                                 {"Assignment": 2, "DefaultAssignment": 2}]})"));
    keyboard.LoadProfile(dir_ / "p.Json");
    const LightInfo light{7, 4, 2, 1, 1, 10, 20, 30, 0, 0, 0, 3, 2, 6};
    const AudioLightInfo audio{1, 2, 3, 4, 5, 6, 7, 1, 1};
    const KeyboardSystemStages system{30, 2, 1, 3, 1, 1};
    const std::vector<CustomLightColor> colors = {{1, 2, 3, 4, 1}, {5, 6, 7, 8, 0}};
    std::vector<KeyListEntry> keys = keyboard.GetKeyList();
    keys[1].assignment = Assignment{0x70, 3, 0};
    keyboard.SetLightInfo(light);
    keyboard.SetAudioLightInfo(audio);
    keyboard.SetKeyboardSystemStages(system);
    keyboard.SetCustomLightColors(colors, 2);
    keyboard.SetCustomLightGroup(2);
    keyboard.SetKeyList(keys);
    ASSERT_TRUE(keyboard.SaveProfile());

    const Json::Value& saved = keyboard.primaryTree()["LightInfo"];
    EXPECT_EQ(saved.size(), 11u) << "the three unused bytes are not written";
    EXPECT_FALSE(saved.isMember("unused1"));

    CKeyboardProfiledata again;
    SetUpProfile(again, Json::Value());
    again.LoadProfile(dir_ / "p.Json");
    EXPECT_EQ(again.GetLightInfo(), light);
    EXPECT_EQ(again.GetAudioLightInfo(), audio);
    EXPECT_EQ(again.GetKeyboardSystemStages(), system);
    EXPECT_EQ(again.GetCustomLightColors(2, 2), colors);
    EXPECT_EQ(again.GetCustomLightGroup(), 2);
    EXPECT_EQ(again.GetKeyList(), keys);

    CHs6533Profiledata headset;
    SetUpProfile(headset, Json::Value(Json::objectValue));
    headset.LoadProfile(dir_ / "h.Json");
    const HeadsetSystemSetStages stages{1, 2, 13, 1, 1, 80, 0, -5};
    headset.SetHeadsetSystemSetStages(stages);
    headset.SetEqValues(4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    headset.SetCustomEqValues(1, {-1, -2, -3, -4, -5, -6, -7, -8, -9, -10});
    headset.SetCustomEqNames({"Bass", "低音"});
    headset.SetProfilePath(dir_ / "h.Json");
    ASSERT_TRUE(headset.SaveProfile());
    CHs6533Profiledata headsetAgain;
    SetUpProfile(headsetAgain, Json::Value());
    headsetAgain.LoadProfile(dir_ / "h.Json");
    EXPECT_EQ(headsetAgain.GetHeadsetSystemSetStages(), stages);
    EXPECT_EQ(headsetAgain.GetEqValues(4), (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(headsetAgain.GetCustomEqValues(1)[9], -10);
    EXPECT_EQ(headsetAgain.GetCustomEqNames(), (std::vector<std::string>{"Bass", "低音"}));
}

// Two programs on one profile (the program and marloctl): each saves only what it changed, onto
// the file as the other left it, so neither change is lost, in either order.
TEST_F(ProfiledataTest, TwoProgramsOnOneProfileKeepEachOthersChanges) {
    const Json::Value factory =
        Parse(R"({"KeyList": [{"Assignment": 1, "DefaultAssignment": 1}], "LightInfo": {}})");
    for (const bool lightingFirst : {false, true}) {
        SCOPED_TRACE(lightingFirst ? "lighting saved first" : "keys saved first");
        std::filesystem::remove(dir_ / "p.Json");
        CKeyboardProfiledata program;
        CKeyboardProfiledata marloctl;
        SetUpProfile(program, factory);
        SetUpProfile(marloctl, factory);
        program.LoadProfile(dir_ / "p.Json");
        marloctl.LoadProfile(dir_ / "p.Json");
        EXPECT_FALSE(program.ChangedOnDisk());

        std::vector<KeyListEntry> keys = marloctl.GetKeyList();
        keys[0].assignment = Assignment{0x20, 0, 4};
        marloctl.SetKeyList(keys);
        LightInfo light = program.GetLightInfo();
        light.selectItem = 3;
        light.red = 9;
        // The other's in-memory copy, written back unchanged, changes nothing.
        program.SetKeyList(program.GetKeyList());
        program.SetLightInfo(light);
        if (lightingFirst) {
            ASSERT_TRUE(program.SaveProfile());
            ASSERT_TRUE(marloctl.SaveProfile());
        } else {
            ASSERT_TRUE(marloctl.SaveProfile());
            EXPECT_TRUE(program.ChangedOnDisk()) << "another program wrote it";
            ASSERT_TRUE(program.SaveProfile());
        }
        CKeyboardProfiledata file;
        SetUpProfile(file, Json::Value());
        file.LoadProfile(dir_ / "p.Json");
        EXPECT_EQ(file.GetKeyList(), keys);
        EXPECT_EQ(file.GetLightInfo(), light);
    }
}

TEST_F(ProfiledataTest, CustomColoursAreCompletedAndIndexesFromDocumentsAreBounded) {
    CKeyboardProfiledata keyboard;
    SetUpProfile(keyboard, Parse(R"({"CustomLightMode": {"LightColorInfo": [[{"Red": 9}], null],
                                                         "CustomLightModeGroupIndex": 2000000000}})"));
    keyboard.LoadProfile(dir_ / "p.Json");
    const auto colors = keyboard.GetCustomLightColors(0, 3);
    ASSERT_EQ(colors.size(), 3u);
    EXPECT_EQ(colors[0].red, 9);
    EXPECT_EQ(keyboard.primaryTree()["CustomLightMode"]["LightColorInfo"][0][2]["Alpha"].asInt(),
              0);
    EXPECT_EQ(keyboard.GetCustomLightColors(1, 2).size(), 2u) << "a null group is completed";
    // A group index taken from a document does not grow the document to that size.
    const int group = keyboard.GetCustomLightGroup();
    EXPECT_TRUE(keyboard.GetCustomLightColors(group, 170).empty());
    keyboard.SetCustomLightColors(colors, group);
    EXPECT_LE(keyboard.primaryTree()["CustomLightMode"]["LightColorInfo"].size(), 64u);
}

TEST_F(ProfiledataTest, WrongTypesEverywhereReadAsZeroAndCanBeWrittenOver) {
    CHs6533Profiledata headset;
    CKeyboardProfiledata keyboard;
    CMouseProfiledata mouse;
    const Json::Value hostile = Parse(R"({
        "LightInfo": [1, 2], "AudioLightInfo": "loud", "LightList": {"a": 1},
        "KeyList": [5, "x", {"Assignment": "big"}, {"Assignment": 1e300}],
        "SystemStages": [1], "CustomLightMode": 7, "DPIStages": {"StageDPIs": "none"},
        "ReportStages": 3, "CorrectInfo": [true], "SystemSetStages": null,
        "EQHzValueInfo": "flat", "CustomEQHzValueInfo": [[1, 2]], "CustomEQNameInfo": [7]
    })");
    SetUpProfile(keyboard, hostile);
    keyboard.LoadProfile(dir_ / "k.Json");
    EXPECT_EQ(keyboard.GetLightInfo().selectItem, 0);
    EXPECT_EQ(keyboard.GetAudioLightInfo(), AudioLightInfo{});
    EXPECT_TRUE(keyboard.GetLightList().empty());
    const auto keys = keyboard.GetKeyList();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[3].assignment, Assignment{});
    EXPECT_EQ(keyboard.GetKeyboardSystemStages(), KeyboardSystemStages{});
    EXPECT_EQ(keyboard.GetCustomLightColors(0, 2).size(), 2u);
    keyboard.SetKeyList(keys);
    keyboard.SetLightInfo(LightInfo{});
    EXPECT_TRUE(keyboard.SaveProfile());

    SetUpProfile(mouse, hostile);
    mouse.LoadProfile(dir_ / "m.Json");
    EXPECT_TRUE(mouse.GetDpiStages().empty());
    EXPECT_EQ(mouse.GetMouseSystemStages(), MouseSystemStages{});
    EXPECT_EQ(mouse.GetCorrectEntries().size(), 1u);
    mouse.SetDpiStages({DpiStage{}});
    mouse.SetMouseSystemStages(MouseSystemStages{});

    SetUpProfile(headset, hostile);
    headset.LoadProfile(dir_ / "h.Json");
    EXPECT_EQ(headset.GetHeadsetSystemSetStages(), HeadsetSystemSetStages{});
    EXPECT_EQ(headset.GetEqValues(1), std::vector<int32_t>(10, 0));
    EXPECT_EQ(headset.GetCustomEqValues(0), std::vector<int32_t>(10, 0));
    EXPECT_EQ(headset.GetCustomEqNames(), std::vector<std::string>{""});
    headset.SetCustomEqNames({"a"});
    EXPECT_TRUE(headset.SaveProfile());
}

TEST_F(ProfiledataTest, HugeArraysAreReadOnlyUpToTheBound) {
    CKeyboardProfiledata keyboard;
    Json::Value tree(Json::objectValue);
    for (int i = 0; i < 20000; ++i) {
        tree["KeyList"][i]["Assignment"] = i;
    }
    SetUpProfile(keyboard, tree);
    keyboard.LoadProfile(dir_ / "p.Json");
    EXPECT_EQ(keyboard.GetKeyList().size(), 4097u);
}

TEST_F(ProfiledataTest, LightEffectStepsComeFromTheSelectedEffectFile) {
    CKeyboardProfiledata keyboard;
    SetUpProfile(keyboard, Parse(R"({"LightInfo": {"SelectItem": 1}})"));
    keyboard.LoadProfile(dir_ / "p.Json");
    std::ofstream(dir_ / "light.config")
        << R"({"LightInfo": [[{"Guid": "first"}, {"Guid": "wave"}, {"Guid": "../escape"}]]})";
    std::ofstream(dir_ / "wave.light")
        << R"({"LEDEffectList": [{"LEDREGMode": 2, "red": 255, "Time": 100, "Cyle": 3}, {}]})";
    keyboard.SetLightConfigPath(dir_ / "light.config");
    keyboard.LoadLightConfig(keyboard.GetLightConfigPath());
    auto steps = keyboard.GetLightEffectSteps();
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_EQ(steps[0].ledRegMode, 2);
    EXPECT_EQ(steps[0].red, 255);
    EXPECT_EQ(steps[0].time, 100);
    EXPECT_EQ(steps[0].cycle, 3);

    // A Guid leading outside the folder is refused: no steps.
    std::filesystem::create_directories(dir_ / "sub");
    std::ofstream(dir_ / "escape.light") << R"({"LEDEffectList": [{}]})";
    LightInfo select = keyboard.GetLightInfo();
    select.selectItem = 2;
    keyboard.SetLightInfo(select);
    keyboard.SetLightConfigPath(dir_ / "sub/light.config");
    std::filesystem::copy_file(dir_ / "light.config", dir_ / "sub/light.config");
    keyboard.LoadLightConfig(keyboard.GetLightConfigPath());
    EXPECT_TRUE(keyboard.GetLightEffectSteps().empty());
}

}  // namespace
}  // namespace marlo::profiles
