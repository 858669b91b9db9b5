// The keyboard's tables: the position map, the lighting and settings block, the macro image
// and the key table that points at it.
#include <gtest/gtest.h>

#include <vector>

#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardBlock.h"
#include "devices/KeyboardMacroImage.h"
#include "devices/KeyboardPositionMap.h"

namespace marlo::devices {
namespace {

// A key table whose slots hold the factory codes of `positions`, in that order.
std::vector<uint8_t> TableOf(const std::vector<int>& positions) {
    std::vector<uint8_t> table;
    for (const int p : positions) {
        const uint32_t code = KeyIdentityCodes()[static_cast<size_t>(p)];
        table.push_back(static_cast<uint8_t>(code >> 16));
        table.push_back(static_cast<uint8_t>(code >> 8));
        table.push_back(static_cast<uint8_t>(code));
    }
    return table;
}

profiles::KeyListEntry Key(uint16_t position, uint32_t code, uint32_t defaultCode = 0x200004) {
    return {position, profiles::Assignment::FromCode(code), position,
            profiles::Assignment::FromCode(defaultCode)};
}

TEST(KeyboardPositionMapTest, FindsEachKeysSlotAndStandsInForAMissingFn) {
    // Slots in the keyboard's own order: Esc, A (position 65), F1; no Fn.
    const auto map = KeyboardPositionMap::Build(TableOf({0, 65, 1}));
    EXPECT_EQ(map.SlotOf(0), 0);
    EXPECT_EQ(map.SlotOf(65), 1);
    EXPECT_EQ(map.SlotOf(1), 2);
    EXPECT_EQ(map.SlotOf(2), KeyboardPositionMap::kNoSlot);
    EXPECT_EQ(map.SlotOf(KeyboardPositionMap::kFnPosition), 113) << "no slot holds Fn";
    EXPECT_EQ(map.SlotOf(-1), KeyboardPositionMap::kNoSlot);
    EXPECT_EQ(map.SlotOf(170), KeyboardPositionMap::kNoSlot);
    EXPECT_EQ(map.streamSlots()[65], 1);

    const auto withFn = KeyboardPositionMap::Build(TableOf({0, 110}));
    EXPECT_EQ(withFn.SlotOf(KeyboardPositionMap::kFnPosition), 1);
}

TEST(KeyboardBlockTest, WritesAndReadsTheBlockAsTheKeyboardNumbersIt) {
    const std::vector<int> modeValues = {0, 1, 2, 29, 30, 21};
    profiles::LightInfo light;
    light.selectItem = 3;  // device value 29: streamed by the host
    light.light = 200;
    light.speed = 0;
    light.fx = 1;
    light.multiColor = 1;
    light.red = 10;
    light.green = 20;
    light.blue = 30;
    light.zzccLedMode = 2;
    light.customGroup = 4;
    profiles::KeyboardSystemStages stages{33, 2, 1, 3, 1, 1};
    KeyboardBlock::Bytes b = KeyboardBlock::Build(light, stages, modeValues);
    EXPECT_EQ(b[1], 0xFE);
    EXPECT_EQ(b[3], 4) << "speed 0 is stored as 4";
    EXPECT_EQ(b[2], 200);
    EXPECT_EQ((std::vector<int>{b[19], b[20], b[21], b[22], b[25]}),
              (std::vector<int>{1, 1, 1, 3, 4}));
    EXPECT_EQ(b[0], 0);
    EXPECT_EQ(b[17], 0);
    light.selectItem = 4;
    EXPECT_EQ(KeyboardBlock::Build(light, stages, modeValues)[1], 0xFE) << "value 30";
    light.selectItem = 5;
    EXPECT_EQ(KeyboardBlock::Build(light, stages, modeValues)[1], 21);

    // Read back: the device value becomes the mode index; 0xFE keeps the mode.
    struct Case {
        uint8_t modeByte;
        uint8_t speedByte;
        int mode;
        int speed;
    };
    const Case cases[] = {{21, 4, 5, 0}, {0xFE, 0, 2, 4}, {99, 9, 2, 0}};
    for (const Case& c : cases) {
        profiles::LightInfo read;
        read.selectItem = 2;  // the previous mode
        profiles::KeyboardSystemStages readStages{33, 2, 0, 0, 0, 0};
        KeyboardBlock::Bytes copy = b;
        copy[1] = c.modeByte;
        copy[3] = c.speedByte;
        copy[16] = 7;
        KeyboardBlock::Read(copy, 3, modeValues, read, readStages);
        EXPECT_EQ(read.selectItem, c.mode) << int{c.modeByte};
        EXPECT_EQ(read.speed, c.speed) << int{c.speedByte};
        EXPECT_EQ(copy[0], 3);
        EXPECT_EQ(copy[16], 0);
        EXPECT_EQ(read.red, 10);
        EXPECT_EQ(read.customGroup, 4);
        EXPECT_EQ(readStages.repeat, 33) << "not in the block";
        EXPECT_EQ(readStages.key6Flag, 1);
    }
}

TEST(KeyboardMacroImageTest, MacrosAreNumberedInTheOrderTheKeysUseThem) {
    const auto map = KeyboardPositionMap::Build(TableOf({0, 1, 2, 3, 4}));
    // Positions 0-3 play macros 5, 2, 5, 7; position 4 macro 8, which is gone (8 macros).
    const std::vector<profiles::KeyListEntry> keys = {Key(0, 0x700500), Key(1, 0x710200),
                                                      Key(2, 0x700500), Key(3, 0x700700),
                                                      Key(4, 0x700800, 0x20003B)};
    EXPECT_EQ(KeyboardMacroImage::CollectMacros(keys, map, 8), (std::vector<int>{5, 2, 7}));
    const std::vector<uint8_t> table =
        KeyboardMacroImage::KeyTable(std::vector<uint8_t>(15, 0xEE), keys, map, 8);
    EXPECT_EQ(table, (std::vector<uint8_t>{0x70, 0, 0, 0x71, 1, 0, 0x70, 0, 0, 0x70, 2, 0, 0x20,
                                           0x00, 0x3B}));
}

TEST(KeyboardMacroImageTest, ADeletedMacroLeavesItsKeysAndLaterMacrosMoveDown) {
    std::vector<profiles::KeyListEntry> keys = {Key(0, 0x700100), Key(1, 0x710200, 0x200004),
                                                Key(2, 0x700300), Key(3, 0x200005)};
    EXPECT_TRUE(KeyboardMacroImage::ForgetMacroRow(keys, 2));
    EXPECT_EQ(keys[0].assignment.Code(), 0x700100u) << "an earlier macro stays";
    EXPECT_EQ(keys[1].assignment.Code(), 0x200004u) << "the deleted one's key: its default";
    EXPECT_EQ(keys[2].assignment.Code(), 0x700200u) << "a later macro follows it down";
    EXPECT_EQ(keys[3].assignment.Code(), 0x200005u);
    EXPECT_FALSE(KeyboardMacroImage::ForgetMacroRow(keys, 9));
}

TEST(KeyboardMacroImageTest, TheKeyTableKeepsTheKeyboardsSize) {
    // Fn's stand-in slot 113 lies past a two-slot table: nothing is written there.
    const auto map = KeyboardPositionMap::Build(TableOf({0, 1}));
    const std::vector<profiles::KeyListEntry> keys = {Key(0, 0x200005), Key(110, 0xA00100)};
    const auto table = KeyboardMacroImage::KeyTable(std::vector<uint8_t>(6, 0), keys, map, 0);
    EXPECT_EQ(table, (std::vector<uint8_t>{0x20, 0, 5, 0, 0, 0}));
}

TEST(KeyboardMacroImageTest, TheImageHoldsEveryEventOrSaysHowManyAreTooMany) {
    const profiles::MacroEvent down{"down", 10, 4, "300"};
    const profiles::MacroEvent up{"up", 10, 4, "70000"};
    const std::vector<std::vector<profiles::MacroEvent>> macros = {{down, up}, {down}};
    const size_t size = 16 + 6 * 2 + 4 * 3;
    const auto built = KeyboardMacroImage::Build(macros, size);
    ASSERT_EQ(built.result, 0);
    EXPECT_EQ(
        built.image,
        (std::vector<uint8_t>{
            0xAA, 0x55, size, 0, 2,    0,    0,    0, 0,    0,    0,    0, 0, 0, 0, 0,  // header
            20,   0,    32,   0,                                                        // offsets
            2,    0,    0,    0, 0x2C, 0x01, 0x8A, 4, 0x70, 0x11, 0x0A, 4,              // macro 0
            1,    0,    0,    0, 0x2C, 0x01, 0x8A, 4}));                                // macro 1
    EXPECT_EQ(KeyboardMacroImage::Build(macros, size - 4).result, 2) << "one event too many";
    EXPECT_EQ(KeyboardMacroImage::Build(macros, size - 9).result, 3);
    EXPECT_EQ(KeyboardMacroImage::Build({}, 128).image.size(), 16u);
}

}  // namespace
}  // namespace marlo::devices
