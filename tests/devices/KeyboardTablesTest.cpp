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

// A keyboard that reads back what was written: a remapped key's factory code is gone from the
// table, and only the slot memory says where the key lives.
TEST(KeyboardPositionMapTest, FindsRemappedKeysWhereTheyWereWrittenAndNeverGivesASlotTwice) {
    // 120 slots: slot i holds position i's factory code (positions without a key hold a code
    // of the keyboard's own), so slot 113 is position 113's (a key of the page), and no Fn.
    std::vector<int> positions;
    for (int p = 0; p < 120; ++p) {
        positions.push_back(p == KeyboardPositionMap::kFnPosition ? 0 : p);
    }
    std::vector<uint8_t> table = TableOf(positions);
    for (size_t slot = 0; slot < 120; ++slot) {
        if (table[slot * 3] == 0x20 && table[slot * 3 + 1] == 0 && table[slot * 3 + 2] == 0) {
            table[slot * 3] = 0xD0;  // no key: a code of the keyboard's own
        }
    }
    table[KeyboardPositionMap::kFnPosition * 3] = 0xD1;
    ASSERT_NE(KeyIdentityCodes()[113], 0x200000u) << "slot 113 must be a key's for this test";
    const auto factory = KeyboardPositionMap::Build(table);
    EXPECT_EQ(factory.SlotOf(113), 113);
    EXPECT_EQ(factory.SlotOf(KeyboardPositionMap::kFnPosition), KeyboardPositionMap::kNoSlot)
        << "the Fn key never takes a slot another key owns";

    // Position 1 (F1) remapped to the code 200004 (A), written to its slot 1; position 2 (F2)
    // switched off (the no-key code), which positions without a key must not claim.
    table[1 * 3] = 0x20, table[1 * 3 + 1] = 0x00, table[1 * 3 + 2] = 0x04;
    table[2 * 3] = 0x20, table[2 * 3 + 1] = 0x00, table[2 * 3 + 2] = 0x00;
    const auto lost = KeyboardPositionMap::Build(table);
    EXPECT_EQ(lost.SlotOf(1), KeyboardPositionMap::kNoSlot) << "without memory it is lost";
    const profiles::KeySlotMemory memory = factory.Remember(table);
    EXPECT_EQ(memory.places().size(), 2u) << "only the positions whose slot holds another code";
    const auto found = KeyboardPositionMap::Build(table, memory);
    EXPECT_EQ(found.SlotOf(1), 1);
    EXPECT_EQ(found.SlotOf(2), 2);
    for (int p = 0; p < kKeyPositions; ++p) {
        if (p != 2 && KeyIdentityCodes()[static_cast<size_t>(p)] == 0x200000) {
            EXPECT_EQ(found.SlotOf(p), KeyboardPositionMap::kNoSlot) << p;
        }
    }

    // A slot that no longer holds what was written there is not taken on trust, and a
    // remembered slot that another key owns by its factory code stays that key's.
    profiles::KeySlotMemory stale = memory;
    stale.Remember(1, {1, 0x200005});
    stale.Remember(2, {65, KeyIdentityCodes()[65]});
    const auto checked = KeyboardPositionMap::Build(table, stale);
    EXPECT_EQ(checked.SlotOf(1), KeyboardPositionMap::kNoSlot);
    EXPECT_EQ(checked.SlotOf(2), KeyboardPositionMap::kNoSlot);
    EXPECT_EQ(checked.SlotOf(65), 65) << "the slot's owner by factory code wins";
    std::vector<int> owners(120, 0);
    for (int p = 0; p < kKeyPositions; ++p) {
        if (checked.SlotOf(p) < 120) {
            EXPECT_EQ(++owners[checked.SlotOf(p)], 1) << "slot " << int{checked.SlotOf(p)};
        }
    }
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
