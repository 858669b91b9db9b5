// The key assignment panel's two directions, without the panel: codes into the controls'
// values and back, and the function tables they use.
#include "panels/KeyAssignmentCodec.h"
#include "panels/KeyFunctionNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace marlo::panels {
namespace {

using Tables = KeyFunctionTables;
constexpr KeyCode kOpened{0x20, 0x00, 0x29};  // Esc, the key's own code

TEST(KeyFunctionTablesTest, TheKeyboardTableHasItsRowsInOrder) {
    const auto keys = Tables::Keyboard();
    ASSERT_EQ(keys.size(), 142u);
    EXPECT_EQ(keys[0].code, (KeyCode{0x20, 0x01, 0x00}));
    EXPECT_EQ(keys[0].key, 0xA2);
    EXPECT_EQ(keys[7].code, (KeyCode{0x20, 0x80, 0x00}));
    EXPECT_EQ(keys[8].code, (KeyCode{0x20, 0x00, 0x04}));
    EXPECT_STREQ(keys[8].name, "keyboard_key_A");
    EXPECT_EQ(keys[114].code.type, 0x30);
    EXPECT_EQ(keys[132].code, (KeyCode{0x40, 0x01, 0x00}));
    EXPECT_EQ(keys[135].code, (KeyCode{0xD0, 0xA2, 0x01}));
    EXPECT_EQ(keys[140].code, (KeyCode{0xA0, 0x01, 0x00}));
    EXPECT_EQ(keys[141].code, (KeyCode{0xA0, 0x1B, 0x00}));
    // Every key has a name, no two rows have one code, and a captured virtual key finds one
    // row only.
    std::set<uint32_t> codes;
    std::set<uint16_t> virtualKeys;
    for (const KeyFunctionRow& row : keys) {
        EXPECT_NE(std::string(row.name), "");
        EXPECT_TRUE(codes.insert(row.code.Packed()).second) << row.name;
        if (row.key != 0) {
            EXPECT_TRUE(virtualKeys.insert(row.key).second) << row.name;
        }
    }
    EXPECT_EQ(Tables::KeyboardRowOfVirtualKey(0x41), 8u) << "A";
    EXPECT_FALSE(Tables::KeyboardRowOfVirtualKey(0));
    EXPECT_EQ(Tables::Media()[1].code, (KeyCode{0x30, 0xCD, 0x00})) << "play/pause";
}

TEST(KeyAssignmentCodecTest, TheEdgeCasesOfEachDirection) {
    const KeyAssignmentCodec codec(kOpened, 3);
    KeySetState s;
    // The wheel backwards 5 times; the code back into the controls.
    s.category = 3;
    s.wheelDirection = 1;
    s.wheelCount = 5;
    EXPECT_EQ(codec.Read(s).value2, 0xFB);
    KeySetState shown;
    codec.Show(codec.Read(s), shown);
    EXPECT_EQ(shown.category, 3);
    EXPECT_EQ(shown.wheelCount, 5);
    EXPECT_EQ(shown.wheelDirection, 1);
    // Movement: delay 3, speed 7, count 10, forwards.
    s = {};
    s.category = 2;
    s.moveDelay = 3;
    s.moveSpeed = 7;
    s.moveCount = 10;
    EXPECT_EQ(codec.Read(s), (KeyCode{0x11, 0x37, 0x0A}));
    // Right Ctrl + A: the Ctrl option and the key A.
    shown = {};
    codec.Show({0x20, 0x10, 0x04}, shown);
    EXPECT_EQ(shown.category, 6);
    EXPECT_EQ(shown.modifier, 1);
    EXPECT_STREQ(Tables::Keyboard()[static_cast<size_t>(shown.keyboardRow)].name,
                 "keyboard_key_A");
    EXPECT_EQ(codec.Read(shown), (KeyCode{0x20, 0x01, 0x04})) << "the left-hand bit";
    // The code the panel was opened with shows no category.
    shown = {};
    shown.category = 7;
    codec.Show(kOpened, shown);
    EXPECT_EQ(shown.category, 0);
    // A macro repeated 3 times.
    s = {};
    s.category = 9;
    s.macro = 2;
    s.runMode = 4;
    s.repeat = 3;
    EXPECT_EQ(codec.Read(s), (KeyCode{0x71, 0x02, 0x03}));
}

TEST(KeyAssignmentCodecTest, TablesMacrosAndKeysBothWays) {
    const KeyAssignmentCodec codec(kOpened, 2);
    struct Case {
        KeyCode code;
        int category;
    };
    // Each code shows in its category and reads back the same.
    const Case cases[] = {
        {{0x10, 0x04, 0x00}, 1}, {{0x13, 0x02, 0x00}, 4}, {{0x14, 0x32, 0x05}, 5},
        {{0x30, 0xE2, 0x00}, 7}, {{0x40, 0x04, 0x00}, 8}, {{0x70, 0x01, 0x02}, 9},
        {{0x71, 0x00, 0x09}, 9}, {{0x72, 0x03, 0x00}, 10}, {{0x20, 0x00, 0x3A}, 6},
        {{0x20, 0x08, 0x06}, 6}, {{0x12, 0x21, 0x07}, 3}, {{0x11, 0x10, 0x85}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.code.Packed()));
        KeySetState s;
        codec.Show(c.code, s);
        EXPECT_EQ(s.category, c.category);
        EXPECT_EQ(codec.Read(s), c.code);
    }
    // A macro the list does not have shows as none (the count itself is past the end), and
    // reading nothing selected gives the opened code back.
    KeySetState s;
    codec.Show({0x70, 0x02, 0x00}, s);
    EXPECT_EQ(s.macro, -1);
    EXPECT_EQ(codec.Read(s), kOpened);
    EXPECT_EQ(KeyAssignmentCodec(kOpened, 0).Read({.category = 9, .macro = 0}), kOpened);
    // A key with no row: no key, no option, and the code of no key.
    s = {};
    codec.Show({0x20, 0x00, 0xF0}, s);
    EXPECT_EQ(s.keyboardRow, -1);
    EXPECT_EQ(s.modifier, -1);
    EXPECT_EQ(codec.Read(s), (KeyCode{0x20, 0x00, 0x00}));
    // A captured modifier key stays that key; a captured media key keeps its own code.
    s = {.category = 6, .keyboardRow = 1, .modifier = 0};
    EXPECT_EQ(codec.Read(s), (KeyCode{0x20, 0x02, 0x00})) << "left Shift";
    s = {.category = 6, .keyboardRow = 116, .modifier = 1};
    EXPECT_EQ(codec.Read(s), Tables::Keyboard()[116].code);
    // A table code that matches no row leaves the combo as it was.
    s = {.mouseButton = 3};
    codec.Show({0x10, 0x40, 0x00}, s);
    EXPECT_EQ(s.mouseButton, 3);
}

TEST(KeyFunctionNamesTest, NamesGiveTheTablesCodesAndWrongOnesSayWhy) {
    struct Case {
        const char* name;
        uint32_t code;
    };
    const Case cases[] = {
        {"key:A", 0x200004},          {"KEY:F5", 0x20003E},
        {"ctrl+c", 0x200106},         {"shift+alt+key:Tab", 0x20062B},
        {"key:page-up", 0x20004B},    {"key:backslash", 0x200031},
        {"mouse:left", 0x100100},     {"mouse:back", 0x100800},
        {"media:play-pause", 0x30CD00}, {"media:calculator", 0x309201},
        {"system:sleep", 0x400200},   {"dpi:3", 0x130300},
        {"macro:2", 0x700200},        {"macro:2:3", 0x700203},
        {"macro:1:repeat:9", 0x710109}, {"fire:50:5", 0x143205},
        {"move:down:10:3:7", 0x11378A}, {"wheel:down:5:0:0", 0x1200FB},
        {"wheel:up:5:0:0", 0x120005}, {"fn", 0xA00100},
        {"key:m1", 0xD0A201},
    };
    for (const Case& c : cases) {
        const auto parsed = KeyFunctionNames::Parse(c.name);
        ASSERT_TRUE(parsed.code) << c.name << ": " << parsed.error;
        EXPECT_EQ(parsed.code->Packed(), c.code) << c.name;
    }
    EXPECT_TRUE(KeyFunctionNames::Parse("default").isDefault);
    for (const char* bad : {"dpi:4", "macro:1:4", "move:up:200:0:0", "wheel:down:0:0:0",
                            "fire:1", "ctrl+media-mute", "hyper+key:a", "ctrl+key:volume-up"}) {
        const auto parsed = KeyFunctionNames::Parse(bad);
        EXPECT_FALSE(parsed.code) << bad;
        EXPECT_NE(parsed.error, "") << bad;
    }
    EXPECT_EQ(KeyFunctionNames::Parse("media:mutte").error,
              "unknown function media:mutte (nearest: media:mute)");
}

}  // namespace
}  // namespace marlo::panels
