// Device pages end to end: the program's main window on the headless display with the real
// skin, discovery over emulated devices, and what a person sees when they plug and unplug.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>
#include <thread>

#include "CustomControls.h"
#include "MainWnd.h"
#include "devices/DeviceProfileUI.h"
#include "devices/ZentrixUSBDevice.h"
#include "panels/DeviceOptionUI.h"
#include "platform/DebugOutput.h"
#include "platform/MessageRegistry.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/Listener.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/ResourceManager.h"

namespace marlo::app {
namespace {

using devices::CZentrixUSBDevice;
using panels::CDeviceOptionUI;
using std::chrono::steady_clock;

std::string RuntimeDir(const test::TempDir& dir) {
    std::filesystem::create_directories(dir / "run");
    chmod((dir / "run").c_str(), 0700);
    return (dir / "run").string();
}

class DevicePagesTest : public ::testing::Test {
  protected:
    DevicePagesTest()
        : resources_("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR)),
          data_("XDG_DATA_HOME", (dir_ / "data").string()),
          config_("XDG_CONFIG_HOME", (dir_ / "config").string()),
          runtime_("XDG_RUNTIME_DIR", RuntimeDir(dir_)),
          server_(dir_ / "hid") {
        ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
        auto& resources = ui::CResourceManager::GetInstance();
        resources.LoadResource(std::string(MARLO_DATA_DIR) + "/skin/res.xml");
        resources.LoadLanguage("lang_en_US.xml");
        RegisterCustomControls();
    }
    ~DevicePagesTest() override {
        wnd_.reset();
        ui::CResourceManager::GetInstance().Release();
    }

    CMainWnd& Start(CMainWnd::Options options = {}) {
        options.hidRoot = dir_ / "hid";
        wnd_ = std::make_unique<CMainWnd>(kInstance, std::move(options));
        EXPECT_TRUE(wnd_->Create(nullptr, "Marlo Gear", 0, 0, 800, 572));
        EXPECT_TRUE(wnd_->skinErrors().empty());
        backend_.RunFor(150);
        return *wnd_;
    }
    void Plug(const std::string& kind) {
        ASSERT_TRUE(server_.Plug(kind, sim::SimCatalog::Create(kind)));
    }
    // Runs the window's loop until `done` holds (a few seconds at most).
    bool RunUntil(const std::function<bool()>& done) {
        const auto deadline = steady_clock::now() + std::chrono::seconds(5);
        while (!done() && steady_clock::now() < deadline) {
            backend_.RunFor(10);
        }
        return done();
    }
    CDeviceList& list() { return *wnd_->devices(); }
    CZentrixUSBDevice* Only(CDeviceList::Kind kind) {
        const auto devices = list().Devices(kind);
        return devices.size() == 1 ? devices[0] : nullptr;
    }
    CDeviceOptionUI* EntryOf(CZentrixUSBDevice* device) {
        return device != nullptr ? list().Entry(device->entryIndex()) : nullptr;
    }
    ui::CControlUI* Find(const char* name) {
        return wnd_->GetPaintManager().FindControl(name);
    }

    static inline const uint32_t kInstance = platform::MessageRegistry::Register("Marlo Gear");
    test::TempDir dir_;
    test::ScopedEnv resources_;
    test::ScopedEnv data_;
    test::ScopedEnv config_;
    test::ScopedEnv runtime_;
    sim::SimServer server_;
    ui::HeadlessBackend backend_;
    std::unique_ptr<CMainWnd> wnd_;
};

TEST_F(DevicePagesTest, PluggingTheKeyboardShowsItsPageAndUnpluggingHidesIt) {
    platform::DebugOutput::Capture capture;
    Start();
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    ASSERT_NE(keyboard, nullptr) << "the keyboard's object and page exist from the start";
    ASSERT_NE(Only(CDeviceList::kMouse), nullptr) << "and so do the mouse's";
    EXPECT_TRUE(list().Devices(CDeviceList::kHeadset).empty());
    EXPECT_EQ(keyboard->GetClass(), "ZentrixKeyboardDevice");
    ASSERT_NE(keyboard->selectPanel(), nullptr);
    EXPECT_NE(keyboard->KeyButton(0), nullptr) << "the drawing's keys are bound";
    ASSERT_NE(keyboard->profilePanel(), nullptr);
    EXPECT_FALSE(keyboard->profileStem().empty()) << "a first profile is made and selected";
    EXPECT_FALSE(keyboard->FindSubControl("cursor_Op_tab")->GetOwnVisibility())
        << "the keyboard has no cursor panel";
    EXPECT_FALSE(EntryOf(keyboard)->IsVisibleFlag());
    EXPECT_TRUE(Find("No_device_Link")->IsVisible());

    Plug("keyboard");
    ASSERT_TRUE(RunUntil([&] { return EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_TRUE(EntryOf(keyboard)->IsSelected()) << "the only entry is selected";
    EXPECT_TRUE(keyboard->IsConnected());
    EXPECT_TRUE(RunUntil([&] { return keyboard->eventInterfaceOpen(); }))
        << "both interfaces are opened";
    EXPECT_EQ(list().CurrentDevice(), keyboard);
    EXPECT_FALSE(Find("No_device_Link")->IsVisible());
    EXPECT_TRUE(wnd_->IsVisible()) << "an arrival brings the window to the front";
    EXPECT_TRUE(capture.Contains("添加一个键盘设备"));
    EXPECT_EQ(keyboard->readsAfterConnect(), 0) << "the read waits for timer 1001";
    EXPECT_TRUE(RunUntil([&] { return keyboard->readsAfterConnect() == 1; }));

    ASSERT_TRUE(server_.Unplug("keyboard"));
    ASSERT_TRUE(RunUntil([&] { return !EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_FALSE(keyboard->IsConnected());
    EXPECT_TRUE(RunUntil([&] { return !keyboard->eventInterfaceOpen(); }));
    EXPECT_TRUE(Find("No_device_Link")->IsVisible()) << "no device left";
    EXPECT_TRUE(capture.Contains("删除一个键盘设备"));

    Plug("keyboard");
    ASSERT_TRUE(RunUntil([&] { return EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_EQ(Only(CDeviceList::kKeyboard), keyboard) << "the same object and page again";
    EXPECT_TRUE(RunUntil([&] { return keyboard->readsAfterConnect() == 2; }));
}

TEST_F(DevicePagesTest, TheHeadsetsPageIsMadeOnItsFirstArrivalOnly) {
    Start();
    Plug("keyboard");
    Plug("headset");
    ASSERT_TRUE(RunUntil([&] { return Only(CDeviceList::kHeadset) != nullptr; }));
    CZentrixUSBDevice* headset = Only(CDeviceList::kHeadset);
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    ASSERT_TRUE(RunUntil([&] {
        return EntryOf(headset)->IsVisibleFlag() && EntryOf(keyboard)->IsVisibleFlag();
    }));
    EXPECT_TRUE(wnd_->manyEntriesVisible());
    EXPECT_EQ(EntryOf(headset)->normalImage(), "common/device_ico/hd_device_normal.png");
    EXPECT_TRUE(Find("6533_voice_Op_tab") != nullptr);
    const int selected = list().SelectedEntry();
    ASSERT_GE(selected, 0);

    // Unplugging the selected device selects the other one.
    CZentrixUSBDevice* current = list().CurrentDevice();
    CZentrixUSBDevice* other = current == headset ? keyboard : headset;
    ASSERT_TRUE(server_.Unplug(current == headset ? "headset" : "keyboard"));
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == other; }));
    EXPECT_FALSE(wnd_->manyEntriesVisible());

    ASSERT_TRUE(server_.Unplug("headset") || server_.Unplug("keyboard"));
    ASSERT_TRUE(RunUntil([&] { return !list().FirstVisibleEntry().found; }));
    Plug("headset");
    ASSERT_TRUE(RunUntil([&] { return EntryOf(headset)->IsVisibleFlag(); }));
    EXPECT_EQ(Only(CDeviceList::kHeadset), headset) << "later arrivals reuse the first page";
}

TEST_F(DevicePagesTest, ACollectionThatCannotBeOpenedLeavesTheDeviceDisconnected) {
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    hid::SupportedDeviceRecord probe = hid::SupportedDevices()[0];
    const auto slot = wnd_->attachmentSlots().ClaimFirstFree(probe, (dir_ / "hid/dev/gone").string());
    ASSERT_TRUE(slot);
    wnd_->SendMessage(hid::DeviceDiscovery::kDeviceAttached, *slot, 0);
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    EXPECT_FALSE(keyboard->IsConnected());
    EXPECT_FALSE(EntryOf(keyboard)->IsVisibleFlag()) << "nothing is shown for it";
    backend_.RunFor(700);
    EXPECT_EQ(keyboard->readsAfterConnect(), 0) << "and nothing reads it";
}

TEST_F(DevicePagesTest, TheKeyboardMovesBetweenItsReceiverAndItsCable) {
    // The built-in table has no receiver IDs; this one gives the emulated receiver's.
    auto table = hid::SupportedDevices();
    for (const size_t row : {2u, 3u}) {
        table[row].vendorId = sim::SimCatalog::kKeyboardVendor;
        table[row].productId = sim::SimCatalog::kReceiverProduct;
    }
    CMainWnd::Options options;
    options.table = table;
    Start(options);
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);

    Plug("receiver");
    ASSERT_TRUE(RunUntil([&] { return keyboard->IsConnected(); }));
    EXPECT_TRUE(keyboard->receiver());
    EXPECT_FALSE(EntryOf(keyboard)->IsVisibleFlag()) << "shown once the link check answers";
    ASSERT_TRUE(RunUntil([&] { return EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_TRUE(RunUntil([&] { return keyboard->readsAfterConnect() == 1; }));

    Plug("keyboard");
    ASSERT_TRUE(RunUntil([&] { return !keyboard->receiver(); })) << "to the cable";
    EXPECT_TRUE(keyboard->IsConnected());
    EXPECT_TRUE(RunUntil([&] { return keyboard->readsAfterConnect() == 2; }))
        << "read again on the cable";
    EXPECT_EQ(Only(CDeviceList::kKeyboard), keyboard);

    ASSERT_TRUE(server_.Unplug("keyboard"));
    ASSERT_TRUE(RunUntil([&] { return keyboard->receiver(); })) << "back to the receiver";
    EXPECT_TRUE(keyboard->IsConnected());
    EXPECT_TRUE(EntryOf(keyboard)->IsVisibleFlag());

    ASSERT_TRUE(server_.Unplug("receiver"));
    ASSERT_TRUE(RunUntil([&] { return !EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_FALSE(keyboard->IsConnected());
}

}  // namespace
}  // namespace marlo::app
