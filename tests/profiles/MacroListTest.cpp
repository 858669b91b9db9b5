#include "profiles/MacroList.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"
#include "support/TempDir.h"

namespace marlo::profiles {
namespace {

using platform::JsonDocument;

TEST(MacroEventTest, DeviceRecords) {
    struct Case {
        MacroEvent event;
        std::array<uint8_t, 4> record;
    };
    const Case cases[] = {
        {{"down", 10, 0x41, "300"}, {0x2C, 0x01, 0x8A, 0x41}},
        {{"up", 10, 0x41, "300"}, {0x2C, 0x01, 0x0A, 0x41}},
        {{"Down", 1, 1, "0"}, {0x00, 0x00, 0x01, 0x01}},
        {{"down", 9, 0x1FF, "70000"}, {0x70, 0x11, 0x89, 0xFF}},
        {{"down", 200, 2, "x"}, {0x00, 0x00, 0xC8, 0x02}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(EventToDeviceRecord(c.event), c.record) << c.event.action << " " << c.event.delay;
    }
}

class MacroListTest : public ::testing::Test {
  protected:
    MacroList Load() {
        MacroList macros(dir_.path());
        macros.LoadMacroList();
        return macros;
    }
    test::TempDir dir_;
};

TEST_F(MacroListTest, NewNamesFillGapsAndStopAtFifty) {
    MacroList macros = Load();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(macros.NewMacro(), ListResult::kDone);
    }
    ASSERT_EQ(macros.DeleteMacro(1), ListResult::kDone);
    ASSERT_EQ(macros.NewMacro(), ListResult::kDone);
    EXPECT_EQ(macros.rows().back().name, "macro_2");
    while (macros.rows().size() < 50) {
        ASSERT_EQ(macros.NewMacro(), ListResult::kDone);
    }
    EXPECT_EQ(macros.NewMacro(), ListResult::kLimitReached);
    EXPECT_EQ(Load().rows().size(), 50u);
}

TEST_F(MacroListTest, SaveAndLoadEvents) {
    MacroList macros = Load();
    macros.NewMacro();
    std::vector<MacroList::ActionRow> actions = {
        {"300", R"({"Action": "down", "Type": 10, "Button": 65, "Delay": "1"})"},
        {"", R"({"Action": "up", "Type": 10, "Button": 65})"},
        {"12", ""},
        {"5", R"({"Action": "down", "Type": 1, "Button": 1})"},
    };
    ASSERT_EQ(macros.SaveMacro(0, actions), ListResult::kDone);
    EXPECT_EQ(actions[1].delayText, "0") << "the empty cell shows 0 afterwards";
    const Json::Value file = JsonDocument::Read(macros.MacroFile(0));
    EXPECT_EQ(file["Version"].asInt(), 64);
    EXPECT_EQ(file["MacroName"].asString(), "macro_1");
    ASSERT_EQ(file["Events"].size(), 2u) << "the list ends at the row without an event";
    EXPECT_EQ(file["Events"][1]["Delay"].asString(), "0");
    const auto events = Load().LoadMacro(0);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (MacroEvent{"down", 10, 65, "300"}));
}

TEST_F(MacroListTest, DeleteRemovesFileAndEntryAndKeepsOrder) {
    MacroList macros = Load();
    std::vector<MacroList::ActionRow> none;
    for (int i = 0; i < 3; ++i) {
        macros.NewMacro();
        macros.SaveMacro(i, none);
    }
    const auto gone = macros.MacroFile(1);
    ASSERT_TRUE(std::filesystem::exists(gone));
    ASSERT_EQ(macros.DeleteMacro(1), ListResult::kDone);
    EXPECT_FALSE(std::filesystem::exists(gone));
    const MacroList again = Load();
    ASSERT_EQ(again.rows().size(), 2u);
    EXPECT_EQ(again.rows()[0].name, "macro_1");
    EXPECT_EQ(again.rows()[1].name, "macro_3");
    EXPECT_EQ(macros.RenameMacro(0, ""), ListResult::kBlankName);
    EXPECT_EQ(macros.DeleteMacro(7), ListResult::kNoSelection);
}

TEST_F(MacroListTest, ImportExportAndRefusals) {
    MacroList macros = Load();
    const auto source = dir_ / "combo.mac";
    const std::string bytes =
        R"({"MacroName":"combo","Events":[{"Action":"down","Type":10,"Button":4,"Delay":"20"}]})";
    std::ofstream(source) << bytes;
    ASSERT_EQ(macros.ImportMacro(source), ListResult::kDone);
    EXPECT_EQ(*platform::ReadWholeFile(macros.MacroFile(0), 1000), bytes) << "copied byte for byte";
    ASSERT_EQ(macros.ExportMacro(0, dir_ / "out.mac"), ListResult::kDone);
    EXPECT_EQ(*platform::ReadWholeFile(dir_ / "out.mac", 1000), bytes);

    std::ofstream(dir_ / "bad.mac") << "{\"no\": 1}";
    EXPECT_EQ(macros.ImportMacro(dir_ / "bad.mac"), ListResult::kBadImport);
    EXPECT_EQ(macros.rows().size(), 1u);
}

TEST_F(MacroListTest, UnreadableIndexIsKeptAndRebuiltAndUnsafeGuidsRefused) {
    {
        MacroList macros = Load();
        std::vector<MacroList::ActionRow> none;
        macros.NewMacro();
        macros.NewMacro();
        macros.RenameMacro(1, "burst");
        macros.SaveMacro(0, none);
        macros.SaveMacro(1, none);
    }
    std::ofstream(dir_ / "macro.config") << "garbage";
    const MacroList rebuilt = Load();
    ASSERT_EQ(rebuilt.rows().size(), 2u);
    EXPECT_EQ(rebuilt.rows()[1].name, "burst");

    std::ofstream(dir_ / "victim.mac") << "keep";
    JsonDocument::Write(
        dir_ / "macro.config",
        JsonDocument::Parse(R"({"MacroInfo": [{"MacroName": "x", "Guid": "../victim"},
                                                              {"MacroName": "y", "Guid": "a/b"}]})"));
    std::filesystem::create_directories(dir_ / "sub");
    std::filesystem::copy_file(dir_ / "macro.config", dir_ / "sub/macro.config");
    MacroList hostile(dir_ / "sub");
    hostile.LoadMacroList();
    std::vector<MacroList::ActionRow> none;
    EXPECT_EQ(hostile.SaveMacro(0, none), ListResult::kUnsafeName);
    EXPECT_TRUE(hostile.LoadMacro(0).empty());
    EXPECT_EQ(hostile.DeleteMacro(0), ListResult::kDone);
    EXPECT_EQ(*platform::ReadWholeFile(dir_ / "victim.mac", 100), "keep");
}

}  // namespace
}  // namespace marlo::profiles
