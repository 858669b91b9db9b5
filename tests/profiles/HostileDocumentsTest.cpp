// Documents a person's files may turn into (cut short by a crash, edited by hand, swollen by
// another program): each is set aside whole, never lost, and what it held stays reachable.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"
#include "profiles/DocumentLimits.h"
#include "profiles/MacroList.h"
#include "profiles/NameRules.h"
#include "profiles/ProfileList.h"
#include "support/TempDir.h"

namespace marlo::profiles {
namespace {

using platform::JsonDocument;

class HostileDocumentsTest : public ::testing::Test {
  protected:
    HostileDocumentsTest() {
        std::filesystem::create_directories(folder());
        JsonDocument::Write(dir_ / "default.Json",
                            JsonDocument::Parse(R"({"Device": [{"LightInfo": {"Red": 1}}]})"));
    }
    std::filesystem::path folder() const { return dir_ / "keyboard"; }
    ProfileList Make() { return ProfileList(folder(), dir_ / "default.Json", 1); }
    void Put(const std::string& name, const std::string& text) {
        std::ofstream(folder() / name, std::ios::binary) << text;
    }
    // The backups beside `name`, with what each holds.
    std::vector<std::string> BackupsOf(const std::string& name) {
        std::vector<std::string> held;
        for (const auto& e : std::filesystem::directory_iterator(folder())) {
            if (e.path().filename().string().starts_with(name + ".unreadable-")) {
                held.push_back(*platform::ReadWholeFile(e.path(), 64 * 1024 * 1024));
            }
        }
        return held;
    }
    // Two profiles as files, "Mine" written last.
    void TwoProfileFiles() {
        Put("2026_01_01_00_00_00_001.Json", R"({"profilename": "profile1", "Device": [{}]})");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Put("2026_01_01_00_00_00_002.Json", R"({"profilename": "Mine", "Device": [{}]})");
    }

    test::TempDir dir_;
};

TEST_F(HostileDocumentsTest, AnUnusableListIsKeptAndMadeAgainFromTheProfiles) {
    const std::string oversized =
        R"({"profilelist": [], "pad": ")" + std::string(DocumentLimits::kListBytes, 'x') + "\"}";
    const std::string cases[] = {
        R"({"profilelist":"oops"})",                       // wrong type
        R"({"profilelist":[1,2]})",                        // entries that are not entries
        R"({"profilelist":[{"profilename":"Mine","prof)",  // cut short by a crash
        oversized,                                         // larger than any list
    };
    for (const std::string& text : cases) {
        std::filesystem::remove_all(folder());
        std::filesystem::create_directories(folder());
        TwoProfileFiles();
        Put("ProfileList.ini", text);
        ProfileList list = Make();
        list.Load();
        EXPECT_EQ(list.names(), (std::vector<std::string>{"profile1", "Mine"}))
            << text.substr(0, 40);
        EXPECT_EQ(BackupsOf("ProfileList.ini"), std::vector<std::string>{text})
            << "the original is kept whole beside";
        // The one written last, the one the person used last, stays selected: deleting now
        // deletes "Mine", not "profile1".
        EXPECT_EQ(list.selected(), 1);
        EXPECT_NE(list.notice().find("\"Mine\" (written last) is selected"), std::string::npos)
            << list.notice();
        ASSERT_EQ(list.DeleteProfile(), ListResult::kDone);
        EXPECT_EQ(list.names(), std::vector<std::string>{"profile1"});
        EXPECT_FALSE(std::filesystem::exists(folder() / "2026_01_01_00_00_00_002.Json"));
        EXPECT_TRUE(std::filesystem::exists(folder() / "2026_01_01_00_00_00_001.Json"));
    }
}

// A FIFO where the list belongs: read at once as unusable (never waited on), the list made again.
TEST_F(HostileDocumentsTest, AFifoWhereTheListBelongsIsNeverWaitedOn) {
    TwoProfileFiles();
    ASSERT_EQ(mkfifo((folder() / "ProfileList.ini").c_str(), 0600), 0);
    ProfileList list = Make();
    list.Load();
    EXPECT_EQ(list.names(), (std::vector<std::string>{"profile1", "Mine"}));
    EXPECT_TRUE(std::filesystem::is_regular_file(folder() / "ProfileList.ini"));
}

TEST_F(HostileDocumentsTest, AWrongShapedMacroIndexIsKeptAndItsMacrosStayListed) {
    Put("macro.config", R"({"MacroInfo":{"a":1}})");
    Put("2026_01_01_00_00_00_001.mac", R"({"MacroName": "Combo", "Events": [], "Version": 64})");
    MacroList macros(folder());
    macros.LoadMacroList();
    ASSERT_EQ(macros.rows().size(), 1u);
    EXPECT_EQ(macros.rows()[0].name, "Combo");
    EXPECT_EQ(BackupsOf("macro.config"), std::vector<std::string>{R"({"MacroInfo":{"a":1}})"});
    EXPECT_NE(macros.notice().find("made again"), std::string::npos);
}

TEST_F(HostileDocumentsTest, OversizedImportsAndSwollenArraysAreRefused) {
    ProfileList list = Make();
    list.Load();
    std::string zeros = R"({"Device":[)";
    for (size_t i = 0; zeros.size() < DocumentLimits::kProfileBytes + 10; ++i) {
        zeros += i == 0 ? "0" : ",0";
    }
    zeros += "]}";
    std::ofstream(dir_ / "huge.Json") << zeros;
    EXPECT_EQ(list.ImportProfile(dir_ / "huge.Json"), ListResult::kTooLarge);
    std::string many = R"({"Device":[)";
    for (size_t i = 0; i <= DocumentLimits::kProfileDevices; ++i) {
        many += i == 0 ? "{}" : ",{}";
    }
    std::ofstream(dir_ / "many.Json") << many + "]}";
    EXPECT_EQ(list.ImportProfile(dir_ / "many.Json"), ListResult::kBadImport);
    EXPECT_EQ(list.names(), std::vector<std::string>{"profile1"}) << "nothing was added";
    EXPECT_TRUE(std::filesystem::exists(dir_ / "huge.Json")) << "the refused file is kept";

    MacroList macros(folder());
    macros.LoadMacroList();
    std::string steps = R"({"Events":[)";
    for (size_t i = 0; i <= DocumentLimits::kMacroSteps; ++i) {
        steps += i == 0 ? "{}" : ",{}";
    }
    std::ofstream(dir_ / "long.mac") << steps + "]}";
    EXPECT_EQ(macros.ImportMacro(dir_ / "long.mac"), ListResult::kBadImport);
}

TEST_F(HostileDocumentsTest, NamesWithControlCharactersOrTooLongAreRefused) {
    ProfileList list = Make();
    list.Load();
    MacroList macros(folder());
    macros.LoadMacroList();
    ASSERT_EQ(macros.NewMacro(), ListResult::kDone);
    for (const std::string& bad :
         {std::string("evil\n1 * fake"), std::string("tab\there"), std::string("bell\x07"),
          std::string(65, 'n'), std::string(100 * 1024, 'n'),
          // Not UTF-8 (the documents would stop being UTF-8), or a C1 control character.
          std::string("\xff\xfe"), std::string("\xff\xfe\x80"), std::string("a\xc3"),
          std::string("\xc0\xaf overlong"), std::string("\xed\xa0\x80 surrogate"),
          std::string("c1 \xc2\x85 line")}) {
        EXPECT_EQ(list.RenameProfile(bad), ListResult::kBadName);
        EXPECT_EQ(macros.RenameMacro(0, bad), ListResult::kBadName);
    }
    EXPECT_EQ(list.RenameProfile(std::string(64, 'n')), ListResult::kDone) << "64 bytes is fine";
    EXPECT_EQ(list.RenameProfile("低音 Bass"), ListResult::kDone);
    EXPECT_EQ(list.RenameProfile("Ünïcödé 🎧"), ListResult::kDone);
    EXPECT_EQ(NameRules::Printable("\xff a\xc2\x85\n"), "\\xff a\\xc2\\x85\\x0a");
    std::ofstream(dir_ / "bad\nname.Json") << R"({"Device":[{}]})";
    EXPECT_EQ(list.ImportProfile(dir_ / "bad\nname.Json"), ListResult::kBadName);
}

TEST_F(HostileDocumentsTest, TemporaryFilesOfInterruptedSavesAreRemovedOnLoad) {
    // A writer that was killed (its process is gone) and one long ago; and one of a write in
    // progress in this process, which stays.
    const std::string gone = ".ProfileList.ini.tmp-999999999-abcdef";
    const std::string old = ".p.Json.tmp-1-uvwxyz";
    const std::string live = ".q.Json.tmp-" + std::to_string(getpid()) + "-qwerty";
    for (const std::string& name : {gone, old, live}) {
        Put(name, "partial");
    }
    const auto longAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2);
    std::filesystem::last_write_time(folder() / old, longAgo);
    ProfileList list = Make();
    list.Load();
    EXPECT_FALSE(std::filesystem::exists(folder() / gone));
    EXPECT_FALSE(std::filesystem::exists(folder() / old));
    EXPECT_TRUE(std::filesystem::exists(folder() / live));
}

TEST_F(HostileDocumentsTest, AnOversizedSettingsStoreIsKeptAside) {
    const auto file = dir_ / "registry.json";
    const std::string swollen = R"({"pad": ")" + std::string(2 * 1024 * 1024, 'x') + "\"}";
    std::ofstream(file) << swollen;
    const platform::SettingsStore store(file);
    ASSERT_TRUE(store.CreateKey("Software\\Marlo"));
    EXPECT_TRUE(store.OpenKey("Software\\Marlo"));
    size_t kept = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
        kept += e.path().filename().string().starts_with("registry.json.unreadable-") &&
                std::filesystem::file_size(e.path()) == swollen.size();
    }
    EXPECT_EQ(kept, 1u);
}

}  // namespace
}  // namespace marlo::profiles
