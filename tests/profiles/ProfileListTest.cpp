#include "profiles/ProfileList.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"
#include "profiles/TimeStampId.h"
#include "support/TempDir.h"

namespace marlo::profiles {
namespace {

using platform::JsonDocument;

class ProfileListTest : public ::testing::Test {
  protected:
    ProfileListTest() {
        std::filesystem::create_directories(folder());
        JsonDocument::Write(dir_ / "default.Json",
                            JsonDocument::Parse(R"({"Device": [{"LightInfo": {"Red": 1},
                                "CustomEQNameInfo": [{"Name": "factory"}]}]})"));
    }
    std::filesystem::path folder() const { return dir_ / "keyboard"; }
    ProfileList Make(int kind = 1) { return ProfileList(folder(), dir_ / "default.Json", kind); }
    Json::Value ListFile() const { return JsonDocument::Read(folder() / "ProfileList.ini"); }
    Json::Value ProfileAt(const ProfileList& list, int i) const {
        return JsonDocument::Read(list.GetProfilePathAt(i));
    }

    test::TempDir dir_;
};

TEST_F(ProfileListTest, FirstLoadMakesProfile1FromTheDefault) {
    ProfileList list = Make();
    list.Load();
    ASSERT_EQ(list.names(), std::vector<std::string>{"profile1"});
    EXPECT_EQ(list.selected(), 0);
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 0);
    EXPECT_EQ(ListFile()["profilelist"][0]["profileislink"].asInt(), 0);
    EXPECT_EQ(ListFile()["profilelist"][0]["profilelinkmame"].asString(), "");
    const Json::Value profile = ProfileAt(list, 0);
    EXPECT_EQ(profile["profilename"].asString(), "profile1");
    EXPECT_EQ(profile["profileUUID"].asString(), list.selectedUuid());
    EXPECT_EQ(profile["Device"][0]["LightInfo"]["Red"].asInt(), 1);
}

TEST_F(ProfileListTest, NewNamesFillGapsAndStopAtFifty) {
    ProfileList list = Make();
    list.Load();
    ASSERT_EQ(list.NewProfile(), ListResult::kDone);
    ASSERT_EQ(list.NewProfile(), ListResult::kDone);  // profile1..3
    ASSERT_EQ(list.SelectProfile(1), ListResult::kDone);
    ASSERT_EQ(list.DeleteProfile(), ListResult::kDone);  // profile1, profile3
    ASSERT_EQ(list.NewProfile(), ListResult::kDone);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"profile1", "profile3", "profile2"}));
    ASSERT_EQ(list.NewProfile(), ListResult::kDone);
    EXPECT_EQ(list.names().back(), "profile4");
    EXPECT_EQ(list.selected(), 3);
    EXPECT_EQ(ListFile()["profileselect"].asInt(), 3);
    while (list.names().size() < 50) {
        ASSERT_EQ(list.NewProfile(), ListResult::kDone);
    }
    EXPECT_EQ(list.NewProfile(), ListResult::kLimitReached);
    EXPECT_EQ(list.GetProfileCount(), 50u);
    // Fifty profiles made as fast as possible all have their own file.
    std::set<std::string> files;
    for (int i = 0; i < 50; ++i) {
        files.insert(list.GetProfilePathAt(i).string());
        EXPECT_TRUE(std::filesystem::exists(list.GetProfilePathAt(i)));
    }
    EXPECT_EQ(files.size(), 50u);
}

TEST_F(ProfileListTest, CopyRenameImportNameChains) {
    ProfileList list = Make();
    list.Load();
    ASSERT_EQ(list.RenameProfile("work"), ListResult::kDone);
    ASSERT_EQ(list.CopyProfile(), ListResult::kDone);
    ASSERT_EQ(list.CopyProfile(), ListResult::kDone);
    EXPECT_EQ(list.names(), (std::vector<std::string>{"work", "work copy", "work copy copy"}));
    EXPECT_EQ(ProfileAt(list, 2)["profilename"].asString(), "work copy copy");
    EXPECT_EQ(ProfileAt(list, 2)["Device"][0]["LightInfo"]["Red"].asInt(), 1);
    EXPECT_EQ(list.selected(), 0) << "copying does not change the selection";

    const auto source = dir_ / "a.json";
    JsonDocument::Write(source, JsonDocument::Parse(R"({"Device": [{"LightInfo": {"Red": 9}}]})"));
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(list.ImportProfile(source), ListResult::kDone);
    }
    EXPECT_EQ(std::vector<std::string>(list.names().begin() + 3, list.names().end()),
              (std::vector<std::string>{"a", "a(1)", "a(1)(2)"}));
    EXPECT_EQ(ProfileAt(list, 5)["Device"][0]["LightInfo"]["Red"].asInt(), 9);
    EXPECT_EQ(ProfileAt(list, 5)["profilename"].asString(), "a(1)(2)");

    EXPECT_EQ(list.RenameProfile("   "), ListResult::kBlankName);
    EXPECT_EQ(list.RenameProfile("WORK COPY"), ListResult::kDuplicateName);
    EXPECT_EQ(list.RenameProfile("WORK"), ListResult::kDone) << "its own name in other case";
    EXPECT_EQ(ProfileAt(list, 0)["profilename"].asString(), "WORK");
    EXPECT_EQ(ListFile()["profilelist"][0]["profilename"].asString(), "WORK");
}

TEST_F(ProfileListTest, ImportRefusesWhatIsNotAProfile) {
    ProfileList list = Make();
    list.Load();
    const auto before = ListFile();
    const std::pair<const char*, const char*> cases[] = {
        {"missing.json", nullptr},
        {"text.json", "not json"},
        {"array.json", "[1, 2]"},
        {"nodevice.json", R"({"profilename": "x"})"},
        {"object.json", R"({"Device": {"a": 1}})"}};
    for (const auto& [name, content] : cases) {
        if (content != nullptr) {
            std::ofstream(dir_ / name) << content;
        }
        EXPECT_EQ(list.ImportProfile(dir_ / name), ListResult::kBadImport) << name;
    }
    EXPECT_EQ(ListFile(), before);
    EXPECT_EQ(list.names().size(), 1u);
}

TEST_F(ProfileListTest, DeleteMovesTheSelectionAndKeepsTheLastProfile) {
    struct Case {
        int selected;
        int expected;
    };
    for (const Case c : {Case{0, 0}, Case{2, 1}}) {
        std::filesystem::remove_all(folder());
        ProfileList list = Make();
        list.Load();
        list.NewProfile();
        list.NewProfile();
        ASSERT_EQ(list.SelectProfile(c.selected), ListResult::kDone);
        const auto removed = list.GetProfilePathAt(c.selected);
        ASSERT_EQ(list.DeleteProfile(), ListResult::kDone);
        EXPECT_EQ(list.selected(), c.expected);
        EXPECT_EQ(ListFile()["profileselect"].asInt(), c.expected);
        EXPECT_FALSE(std::filesystem::exists(removed));
        EXPECT_EQ(list.names().size(), 2u);
    }
    std::filesystem::remove_all(folder());
    ProfileList only = Make();
    only.Load();
    EXPECT_EQ(only.DeleteProfile(), ListResult::kLastProfile);
    EXPECT_TRUE(std::filesystem::exists(only.GetProfilePathAt(0)));
}

TEST_F(ProfileListTest, ResetKeepsTheHeadsetsCustomEqualiser) {
    for (const int kind : {7, 1}) {
        std::filesystem::remove_all(folder());
        ProfileList list = Make(kind);
        list.Load();
        const auto file = list.GetProfilePathAt(0);
        Json::Value profile = JsonDocument::Read(file);
        profile["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
        profile["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 5;
        profile["Device"][0]["LightInfo"]["Red"] = 200;
        JsonDocument::Write(file, profile);
        ASSERT_EQ(list.ResetProfile(), ListResult::kDone);
        const Json::Value reset = JsonDocument::Read(file);
        EXPECT_EQ(reset["Device"][0]["LightInfo"]["Red"].asInt(), 1);
        EXPECT_EQ(reset["profilename"].asString(), "profile1");
        if (kind == 7) {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "mine");
            EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), 5);
        } else {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "factory");
        }
    }
}

TEST_F(ProfileListTest, UnreadableListIsKeptAndRebuiltFromTheProfileFiles) {
    {
        ProfileList list = Make();
        list.Load();
        list.RenameProfile("gaming");
        list.NewProfile();
        list.RenameProfile("work");
        list.NewProfile();
    }
    std::ofstream(folder() / "ProfileList.ini") << "{ \"profilelist\": [ truncated";
    std::ofstream(folder() / "notes.Json") << "not a profile";
    ProfileList list = Make();
    list.Load();
    EXPECT_EQ(list.names(), (std::vector<std::string>{"gaming", "work", "profile1"}));
    bool backup = false;
    for (const auto& e : std::filesystem::directory_iterator(folder())) {
        backup |= e.path().filename().string().starts_with("ProfileList.ini.unreadable-");
    }
    EXPECT_TRUE(backup);
}

TEST_F(ProfileListTest, FileNamesFromTheListNeverLeaveTheFolder) {
    std::ofstream(dir_ / "victim.Json") << "{}";
    JsonDocument::Write(folder() / "ProfileList.ini", JsonDocument::Parse(R"({"profilelist": [
        {"profilename": "a", "profileUUID": "../victim"},
        {"profilename": "b", "profileUUID": "..\\victim"}], "profileselect": 1})"));
    ProfileList list = Make();
    list.Load();
    EXPECT_TRUE(list.GetProfilePathAt(0).empty());
    EXPECT_EQ(list.DeleteProfile(), ListResult::kDone);  // removes the entry only
    EXPECT_EQ(list.ResetProfile(), ListResult::kUnsafeName);
    EXPECT_EQ(list.CopyProfile(), ListResult::kUnsafeName);
    EXPECT_TRUE(std::filesystem::exists(dir_ / "victim.Json"));
    EXPECT_EQ(*platform::ReadWholeFile(dir_ / "victim.Json", 100), "{}");
}

TEST(TimeStampIdTest, NamesMadeInTheSameMillisecondDiffer) {
    test::TempDir dir;
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        seen.insert(TimeStampId::Next(dir.path(), ".mac"));
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(TimeStampId::Format(0).size(), std::string("1970_01_01_00_00_00_000").size());
}

}  // namespace
}  // namespace marlo::profiles
