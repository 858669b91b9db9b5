// The keyboard's device object against the emulated keyboard: reading its tables and block,
// writing the person's keys, lighting and macros, and saying when the keyboard did not take a
// write.
#include "pages/ZentrixKeyboardDevice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <thread>

#include "devices/KeyIdentityTable.h"
#include "devices/KeyboardLightGrid.h"
#include "platform/DebugOutput.h"
#include "profiles/MacroList.h"
#include "sim/CommandDevice.h"
#include "sim/KeyboardDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

namespace marlo::pages {
namespace {

class KeyboardDeviceTest : public ::testing::Test {
  protected:
    KeyboardDeviceTest()
        : server_(dir_.path() / "hid"),
          data_("XDG_DATA_HOME", (dir_ / "data").string()),
          resources_("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR)) {
        server_.Plug("keyboard", sim::SimCatalog::Create("keyboard"));
        keyboard_.channel().SetTimeouts(300, 300);
        const std::string path =
            (dir_.path() / "hid/dev/hidraw0").string() + "#vid_320f&pid_5055&mi_01&col04";
        EXPECT_TRUE(keyboard_.channel().OpenInterface(hid::CommandChannel::Path::kCable, path));
        keyboard_.channel().SetConnected(true);
        keyboard_.channel().SetMode(1);
        keyboard_.deviceDriver().frame().SetLightCount(devices::kKeyPositions);
    }
    sim::KeyboardModel& Model() {
        sim::KeyboardModel* model = nullptr;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            model = &dynamic_cast<sim::KeyboardDevice&>(d).model();
        });
        return *model;
    }
    std::vector<uint8_t> SlotBytes(int position) {
        const size_t at = size_t{sim::KeyboardModel::FactorySlotOfPosition(position)} * 3;
        std::vector<uint8_t> bytes;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            const auto& block = dynamic_cast<sim::KeyboardDevice&>(d).model().keyBlock();
            bytes.assign(block.begin() + static_cast<long>(at),
                         block.begin() + static_cast<long>(at) + 3);
        });
        return bytes;
    }
    // Macros in the user's folder, each one key press of `events` events.
    void MakeMacros(int count, size_t events = 1) {
        profiles::MacroList list(keyboard_.UserDataFolder());
        list.LoadMacroList();
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(list.NewMacro(), profiles::ListResult::kDone);
            std::vector<profiles::MacroList::ActionRow> rows;
            for (size_t e = 0; e < events; ++e) {
                rows.push_back({"10", R"({"Action":"down","Type":10,"Button":4,"Delay":"10"})"});
            }
            ASSERT_EQ(list.SaveMacro(i, rows), profiles::ListResult::kDone);
        }
    }

    // The profile's lighting mode (and the rest of its lighting as it is), saved and written.
    void SetMode(int mode) {
        profiles::LightInfo light = keyboard_.lightInfo();
        light.selectItem = static_cast<uint8_t>(mode);
        light.light = 4;
        keyboard_.SetLightInfo(light);
        keyboard_.SaveProfile();
        keyboard_.WriteLightingBlock(0);
    }
    uint64_t FrameChunks() { return (*server_.Dump("keyboard"))["frameChunks"].asUInt64(); }
    template <typename Condition>
    static bool Within(int ms, Condition condition) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    test::TempDir dir_;
    sim::SimServer server_;
    test::ScopedEnv data_;
    test::ScopedEnv resources_;
    CZentrixKeyboardDevice keyboard_;
};

TEST_F(KeyboardDeviceTest, ReadsWhichSlotIsUnderEachKeyAndTheLightingBlock) {
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    EXPECT_EQ(keyboard_.slotCount(), sim::KeyboardModel::kKeySlots);
    EXPECT_EQ(keyboard_.macroMemoryBytes(), sim::KeyboardModel::kMacroUnits * 128u);
    for (const int position : {0, 65, 110, 125}) {
        EXPECT_EQ(keyboard_.positionMap().SlotOf(position),
                  sim::KeyboardModel::FactorySlotOfPosition(position))
            << position;
    }
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    ASSERT_TRUE(keyboard_.ReadLightingBlock());
    // The emulator's block: device mode 1, brightness 4, speed byte 2, red.
    EXPECT_EQ(keyboard_.lightInfo().selectItem, 1);
    EXPECT_EQ(keyboard_.lightInfo().light, 4);
    EXPECT_EQ(keyboard_.lightInfo().speed, 2);
    EXPECT_EQ(keyboard_.lightInfo().red, 255);
}

TEST_F(KeyboardDeviceTest, WritesTheKeysTheLightingAndTheMacrosOfTheProfile) {
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    MakeMacros(3);
    keyboard_.SetKeyAssignment(65, 0x200005);  // S types B
    keyboard_.SetKeyAssignment(0, 0x700200);   // Esc plays macro row 2 ...
    keyboard_.SetKeyAssignment(1, 0x700000);   // ... F1 row 0
    keyboard_.SetKeyAssignment(2, 0x700300);   // F2 a row that does not exist: its default
    EXPECT_EQ(keyboard_.CollectMacroRows(), (std::vector<int>{2, 0}));
    EXPECT_EQ(keyboard_.DownloadMacroRows(keyboard_.CollectMacroRows()), 0);
    EXPECT_EQ(Model().macroMemory()[0], 0xAA);
    EXPECT_EQ(Model().macroMemory()[4], 2) << "two macros in the image";
    EXPECT_EQ(keyboard_.WriteKeyTableFromProfile(0), 1);
    EXPECT_FALSE(keyboard_.lastWriteFailed());
    EXPECT_EQ(SlotBytes(65), (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    EXPECT_EQ(SlotBytes(0), (std::vector<uint8_t>{0x70, 0x00, 0x00})) << "row 2 is macro 0";
    EXPECT_EQ(SlotBytes(1), (std::vector<uint8_t>{0x70, 0x01, 0x00}));
    EXPECT_EQ(SlotBytes(2), (std::vector<uint8_t>{0x20, 0x00, 0x3B})) << "F2's own code";

    profiles::LightInfo light = keyboard_.lightInfo();
    light.speed = 0;
    light.red = 7;
    keyboard_.SetLightInfo(light);
    EXPECT_EQ(keyboard_.WriteLightingBlock(0), 1);
    EXPECT_EQ(Model().settings()[3], 4) << "speed 0 is stored as 4";
    EXPECT_EQ(Model().settings()[6], 7);
}

TEST_F(KeyboardDeviceTest, AnImageTooBigIsNotSentAndAFailedWriteIsSaid) {
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    // 4096 bytes of memory: one macro of 1020 events is 16 + 6 + 4080 = 4102 bytes, two
    // events too many.
    MakeMacros(1, 1020);
    keyboard_.SetKeyAssignment(0, 0x700000);
    EXPECT_EQ(keyboard_.DownloadMacroRows(keyboard_.CollectMacroRows()), 2);
    EXPECT_EQ(Model().macroMemory()[0], 0) << "nothing sent";
    EXPECT_EQ(keyboard_.DownloadMacroRows({}), 0) << "nothing to send";

    // The keyboard answers 0xFF: the sequence still ends with its end command, and says that
    // the keyboard did not take it.
    server_.SetFault("keyboard", sim::Fault::kStatusFF);
    EXPECT_EQ(keyboard_.WriteKeyTableFromProfile(0), 1);
    EXPECT_TRUE(keyboard_.lastWriteFailed());
    server_.SetFault("keyboard", sim::Fault::kNone);
    EXPECT_EQ(keyboard_.WriteKeyTableFromProfile(0), 1);
    EXPECT_FALSE(keyboard_.lastWriteFailed());
}

TEST_F(KeyboardDeviceTest, AKeyboardWhoseFnAnswersOtherwiseHasItInSlot113) {
    // The keyboard whose Fn key has a code of its own; slots of keyless positions match none.
    keyboard_.channel().CloseInterface(hid::CommandChannel::Path::kCable);
    ASSERT_TRUE(server_.Unplug("keyboard"));
    ASSERT_TRUE(server_.Plug("keyboard", sim::SimCatalog::Create("keyboard-nofn")));
    const std::string path =
        (dir_.path() / "hid/dev/hidraw0").string() + "#vid_320f&pid_5055&mi_01&col04";
    ASSERT_TRUE(keyboard_.channel().OpenInterface(hid::CommandChannel::Path::kCable, path));
    keyboard_.channel().SetConnected(true);
    keyboard_.channel().SetMode(1);
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    EXPECT_EQ(keyboard_.positionMap().SlotOf(110), 113);
    EXPECT_EQ(keyboard_.positionMap().SlotOf(18), devices::KeyboardPositionMap::kNoSlot)
        << "no key there";
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    keyboard_.SetKeyAssignment(110, 0xA00100);
    keyboard_.SetKeyAssignment(34, 0x200005);  // Backspace, whose slot the Fn key took
    EXPECT_EQ(keyboard_.WriteKeyTableFromProfile(0), 1);
    const auto& table = Model().keyBlock();
    EXPECT_EQ((std::vector<uint8_t>(table.begin() + 113 * 3, table.begin() + 114 * 3)),
              (std::vector<uint8_t>{0xA0, 0x01, 0x00}));
    const size_t back = size_t{keyboard_.positionMap().SlotOf(34)} * 3;
    EXPECT_EQ((std::vector<uint8_t>(table.begin() + back, table.begin() + back + 3)),
              (std::vector<uint8_t>{0x20, 0x00, 0x05}));
}

TEST_F(KeyboardDeviceTest, TheHostAnimationIsStreamedToTheKeysSlotsAndAStillModeIsNot) {
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    SetMode(30);
    keyboard_.ReadAfterConnect();  // reads the keyboard, then runs its lighting
    EXPECT_EQ(keyboard_.lightSettings().mode, 30) << "0xFE in the block keeps the profile's mode";
    ASSERT_TRUE(Within(3000, [&] { return FrameChunks() >= 3 * 7; })) << "frames of 7 chunks";
    // Lit where a key sits; black in the slots no key of the page sits over.
    std::set<uint8_t> mapped;
    for (int p = 0; p < devices::kKeyPositions; ++p) {
        mapped.insert(keyboard_.positionMap().SlotOf(p));
    }
    std::vector<uint8_t> frame;
    server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
        frame = dynamic_cast<sim::KeyboardDevice&>(d).model().frame();
    });
    const size_t esc = size_t{keyboard_.positionMap().SlotOf(0)} * 3;
    EXPECT_GT(frame[esc] + frame[esc + 1] + frame[esc + 2], 0);
    for (size_t slot = 0; slot < sim::KeyboardModel::kKeySlots; ++slot) {
        if (!mapped.contains(static_cast<uint8_t>(slot))) {
            EXPECT_EQ(frame[slot * 3] + frame[slot * 3 + 1] + frame[slot * 3 + 2], 0) << slot;
        }
    }
    // A still mode is drawn once, on the page only: nothing more goes to the keyboard, and the
    // thread rests. Once it stepped in the new mode the frame that was on its way has arrived
    // (the thread sends it itself); for seven steps' time nothing follows.
    SetMode(3);
    ASSERT_TRUE(Within(3000, [&] { return keyboard_.driver().lightingSteps() >= 1; }));
    const uint64_t chunks = FrameChunks();
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    EXPECT_EQ(FrameChunks(), chunks);
    EXPECT_EQ(keyboard_.driver().lightingSteps(), 1u) << "the thread rests in a still mode";
    EXPECT_EQ(keyboard_.frame().GetLight(0).level, devices::LightTables::Level(4));

    // While another program has the lighting, nothing is streamed; taken back, it streams.
    SetMode(30);
    ASSERT_TRUE(Within(3000, [&] { return FrameChunks() > chunks + 7; }));
    keyboard_.SetLightingControl(false);
    const uint32_t steps = keyboard_.driver().lightingSteps();
    ASSERT_TRUE(Within(3000, [&] { return keyboard_.driver().lightingSteps() >= steps + 2; }));
    const uint64_t given = FrameChunks();
    ASSERT_TRUE(Within(3000, [&] { return keyboard_.driver().lightingSteps() >= steps + 20; }));
    EXPECT_EQ(FrameChunks(), given) << "the other program's lighting is left alone";
    keyboard_.SetLightingControl(true);

    // Stopped in the middle of its work, the thread ends within its bound.
    ASSERT_TRUE(Within(3000, [&] { return FrameChunks() > given + 7; }));
    platform::DebugOutput::Capture capture;
    keyboard_.StopThreads();
    EXPECT_FALSE(keyboard_.driver().lightingThreadRunning());
    EXPECT_TRUE(capture.Contains("MS灯光线程设定退出"));
    EXPECT_FALSE(capture.Contains("超时"));
}

TEST_F(KeyboardDeviceTest, KeysPressedOnTheKeyboardLightInAReactiveMode) {
    ASSERT_TRUE(server_.Plug("keyboard-if0", sim::SimCatalog::Create("keyboard-if0")));
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    SetMode(6);
    keyboard_.ReadAfterConnect();
    ASSERT_TRUE(keyboard_.driver().keyReaderRunning()) << "the keyboard's own keys are read";
    constexpr size_t kA = 64;
    EXPECT_EQ(keyboard_.driver().LightElements()[kA].level, 0);
    const sim::Report down = {0, 0, 0x04, 0, 0, 0, 0, 0};  // A
    ASSERT_TRUE(server_.SendInput("keyboard-if0", down));
    ASSERT_TRUE(server_.SendInput("keyboard-if0", sim::Report(8, 0)));
    ASSERT_TRUE(Within(2000, [&] { return keyboard_.driver().LightElements()[kA].level > 0; }));
    EXPECT_EQ(keyboard_.driver().LightElements()[65].level, 0) << "S was not pressed";
    ASSERT_TRUE(Within(10000, [&] { return keyboard_.driver().LightElements()[kA].level == 0; }))
        << "and it fades";
    // In a mode that is not reactive a press lights nothing.
    SetMode(3);
    keyboard_.driver().PressKey(kA);
    keyboard_.StopThreads();
    EXPECT_FALSE(keyboard_.driver().keyReaderRunning());
}

// Wave is the keyboard's own animation: the program steps it only for the drawing, so while
// nobody sees the drawing the lighting thread rests, and it steps again once it is seen.
TEST_F(KeyboardDeviceTest, AModeTheKeyboardAnimatesIsSteppedOnlyWhileItsDrawingIsSeen) {
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    SetMode(1);
    keyboard_.ReadAfterConnect();
    devices::KeyboardDriver& driver = keyboard_.driver();
    ASSERT_TRUE(Within(3000, [&] { return driver.lightingSteps() >= 2; })) << "seen: it steps";
    driver.SetWatched(false);
    const uint32_t resting = driver.lightingSteps() + 1;  // a step under way may still end
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LE(driver.lightingSteps(), resting) << "unseen: it rests";
    driver.SetWatched(true);
    EXPECT_TRUE(Within(3000, [&] { return driver.lightingSteps() > resting + 1; }))
        << "seen again: it steps again";
}

TEST_F(KeyboardDeviceTest, PaintingAKeyInTheCustomModeSendsTheSelectionMask) {
    ASSERT_TRUE(keyboard_.ReadKeyTables());
    ASSERT_EQ(keyboard_.LoadProfile(), 1);
    SetMode(3);
    EXPECT_FALSE(keyboard_.driver().SetElementColour(0)) << "only in the custom mode";
    SetMode(21);
    ASSERT_TRUE(keyboard_.driver().SetElementColour(0));
    EXPECT_TRUE(keyboard_.driver().LightElements()[0].selected);
    const size_t slot = keyboard_.positionMap().SlotOf(0);
    const auto& mask = Model().mask();
    EXPECT_NE(mask[slot % 21] & (1u << (slot / 21)), 0u);
    EXPECT_FALSE(keyboard_.lastWriteFailed());
}

}  // namespace
}  // namespace marlo::pages
