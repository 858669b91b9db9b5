// Device pages end to end: the program's main window on the headless display with the real
// skin, discovery over emulated devices, and what a person sees when they plug and unplug.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <fstream>
#include <functional>
#include <mutex>
#include <set>
#include <thread>

#include "CustomControls.h"
#include "EndpointDelivery.h"
#include "MainWnd.h"
#include "SyncLighting.h"
#include "audio/SpectrumBands.h"
#include "pages/DeviceKeyButtonUI.h"
#include "pages/DeviceProfileUI.h"
#include "pages/MpDevicePowerUI.h"
#include "pages/SelectPanelUI.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "pages/ZentrixUSBDevice.h"
#include "panels/DeviceOptionUI.h"
#include "panels/LightControlUI.h"
#include "panels/MacroControlUI.h"
#include "platform/DebugOutput.h"
#include "platform/MessageEndpoint.h"
#include "platform/MessageRegistry.h"
#include "platform/OtherWindows.h"
#include "profiles/BasicProfiledata.h"
#include "profiles/KeyboardProfiledata.h"
#include "profiles/MacroList.h"
#include "profiles/ProfileList.h"
#include "sim/KeyboardDevice.h"
#include "sim/KeyboardModel.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/Listener.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/WavBytes.h"
#include "support/WindowRecorder.h"
#include "ui/DialogBuilder.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/ResourceManager.h"
#include "ui/TabLayoutUI.h"

extern char** environ;

namespace marlo::app {
namespace {

using pages::CZentrixUSBDevice;
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
    // Plugs the keyboard and waits until it has been read (on its own thread, and the
    // results shown); nothing when it did not come.
    pages::CZentrixKeyboardDevice* PlugReadKeyboard() {
        Plug("keyboard");
        auto* keyboard = dynamic_cast<pages::CZentrixKeyboardDevice*>(Only(CDeviceList::kKeyboard));
        return keyboard != nullptr && RunUntil([&] {
                   return keyboard->readsAfterConnect() == 1 && !keyboard->work().busy();
               })
                   ? keyboard
                   : nullptr;
    }
    // Waits until the device's work thread has done what it was given and its results are
    // shown.
    bool Settle(CZentrixUSBDevice* device) {
        return RunUntil([&] { return !device->work().busy(); });
    }
    // Answers the next message box from its own loop once it shows ("confirm_btn"), its text
    // into `said`.
    void AnswerMessageBox(std::string& said) {
        backend_.loop().Post([this, &said] {
            auto* box = dynamic_cast<ui::WindowImplBase*>(ui::CWindowWnd::FindWindow("MsgWnd"));
            if (box == nullptr) {
                AnswerMessageBox(said);  // not yet: look again on the next turn
                return;
            }
            said = box->GetPaintManager().FindControl("MessageText")->GetShownText();
            EXPECT_TRUE(ui::HeadlessUser(box->GetPaintManager()).Click("confirm_btn"));
        });
    }
    // Starts the window, plugs the keyboard and shows its system settings once it was read;
    // nothing when it did not come.
    pages::CZentrixKeyboardDevice* StartOnTheKeyboardsSystemTab() {
        Start();
        auto* keyboard = PlugReadKeyboard();
        if (keyboard == nullptr ||
            !RunUntil([&] { return list().CurrentDevice() == keyboard; }) ||
            !ui::HeadlessUser(wnd_->GetPaintManager())
                 .ClickControl(keyboard->FindSubControl("system_Op_tab"))) {
            return nullptr;
        }
        return keyboard;
    }
    CDeviceOptionUI* EntryOf(CZentrixUSBDevice* device) {
        return device != nullptr ? list().Entry(device->entryIndex()) : nullptr;
    }
    ui::CControlUI* Find(const char* name) { return wnd_->GetPaintManager().FindControl(name); }
    // The key panel's combo position of a function category (its number); -1 when none.
    int CategoryItem(const char* category) {
        auto* categories = dynamic_cast<ui::CComboUI*>(Find("keyset_function_combo"));
        for (int i = 0; categories != nullptr && i < categories->GetCount(); ++i) {
            if (categories->GetItemAt(i)->GetUserData() == category) {
                return i;
            }
        }
        return -1;
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

    EXPECT_FALSE(capture.Contains("unknown")) << "every page file is sound";
    Plug("keyboard");
    ASSERT_TRUE(RunUntil([&] { return EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_TRUE(EntryOf(keyboard)->IsSelected()) << "the only entry is selected";
    EXPECT_TRUE(keyboard->IsConnected());
    EXPECT_TRUE(RunUntil([&] { return keyboard->deviceDriver().eventInterfaceOpen(); }))
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
    EXPECT_TRUE(RunUntil([&] { return !keyboard->deviceDriver().eventInterfaceOpen(); }));
    EXPECT_TRUE(Find("No_device_Link")->IsVisible()) << "no device left";
    EXPECT_TRUE(capture.Contains("删除一个键盘设备"));

    Plug("keyboard");
    ASSERT_TRUE(RunUntil([&] { return EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_EQ(Only(CDeviceList::kKeyboard), keyboard) << "the same object and page again";
    EXPECT_TRUE(RunUntil([&] { return keyboard->readsAfterConnect() == 2; }));
}

TEST_F(DevicePagesTest, SynchronisedLightingPlaysOnTheDevicesThatTakePart) {
    Start();
    Plug("keyboard");
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    ASSERT_TRUE(RunUntil([&] { return keyboard->IsConnected(); }));
    SyncLighting::Settings steady;
    steady.effect = SyncLighting::kSteady;
    steady.colour = 0x00FF00;
    wnd_->syncLighting()->SetSettings(steady);
    backend_.RunFor(100);
    EXPECT_EQ(keyboard->deviceDriver().syncFrame(), 0u) << "not while no device takes part";
    // As the person's "same effect" does: the devices take part, then the effect is set.
    keyboard->deviceDriver().SetSyncOption(true);
    wnd_->syncLighting()->SetSettings(steady);
    EXPECT_TRUE(RunUntil([&] { return keyboard->deviceDriver().syncFrame() == 0xFF00FF00u; }));
    // The keyboard's lights take that frame in place of its own mode's.
    EXPECT_TRUE(RunUntil([&] {
        const devices::LightEntry esc = keyboard->frame().GetLight(0);
        return esc.green == 0xFF && esc.red == 0 && esc.level == 0xFF;
    }));
}

TEST_F(DevicePagesTest, AStillFrameRestsTheFrameTimerAndAChangeWakesIt) {
    Start();
    Plug("headset");
    ASSERT_TRUE(RunUntil([&] { return Only(CDeviceList::kHeadset) != nullptr; }));
    CZentrixUSBDevice* headset = Only(CDeviceList::kHeadset);
    // The headset's own lighting would paint over the light set below at its next step: it
    // stops once its read (which starts it) is over.
    ASSERT_TRUE(RunUntil([&] { return headset->readsAfterConnect() == 1; }));
    ASSERT_TRUE(Settle(headset));
    headset->deviceDriver().StopLightingThread();
    ASSERT_TRUE(RunUntil([&] { return EntryOf(headset)->frameTimerResting(); }))
        << "nothing new to show: the timer rests";
    // The lighting thread's way: from another thread.
    std::thread([headset] {
        headset->deviceDriver().frame().SetLight(0, {255, 0, 0, 255, {}});
    }).join();
    EXPECT_TRUE(RunUntil([&] { return headset->LightButton(0)->GetKeyColour() == 0xFF0000; }))
        << "the change is shown at once";
    EXPECT_TRUE(RunUntil([&] { return EntryOf(headset)->frameTimerResting(); }));
}

TEST_F(DevicePagesTest, TheHeadsetsPageIsMadeOnItsFirstArrivalOnly) {
    Start();
    Plug("keyboard");
    Plug("headset");
    ASSERT_TRUE(RunUntil([&] { return Only(CDeviceList::kHeadset) != nullptr; }));
    CZentrixUSBDevice* headset = Only(CDeviceList::kHeadset);
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    ASSERT_TRUE(RunUntil(
        [&] { return EntryOf(headset)->IsVisibleFlag() && EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_TRUE(wnd_->manyEntriesVisible());
    EXPECT_EQ(EntryOf(headset)->normalImage(), "common/device_ico/hd_device_normal.png");
    EXPECT_TRUE(Find("6533_voice_Op_tab") != nullptr);
    const int selected = list().SelectedEntry();
    ASSERT_GE(selected, 0);

    // The arrows walk the visible entries round.
    const int before = list().SelectedEntry();
    ui::HeadlessUser user(wnd_->GetPaintManager());
    ASSERT_TRUE(user.Click("device_select_next"));
    EXPECT_NE(list().SelectedEntry(), before);
    ASSERT_TRUE(user.Click("device_select_next"));
    EXPECT_EQ(list().SelectedEntry(), before);
    ASSERT_TRUE(user.Click("device_select_prev"));
    EXPECT_NE(list().SelectedEntry(), before);

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

TEST_F(DevicePagesTest, ThePowerControlShowsBatteryAndLinkFromTheStatusBytes) {
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    pages::CMpDevicePowerUI* mouse = Only(CDeviceList::kMouse)->powerControl();
    pages::CMpDevicePowerUI* keyboard = Only(CDeviceList::kKeyboard)->powerControl();
    ASSERT_TRUE(mouse != nullptr && keyboard != nullptr);
    EXPECT_TRUE(mouse->hasBattery()) << "from the mouse's template";
    EXPECT_EQ(mouse->productCode(), hid::kProductMouse);
    const auto shown = [](pages::CMpDevicePowerUI* p, const char* name) {
        return p->FindSubControl(name)->GetOwnVisibility();
    };
    EXPECT_FALSE(shown(mouse, "power_battery_text")) << "no level before the first status";
    mouse->SetStatus({1, 140, 1, 1, 2, 0});
    EXPECT_EQ(mouse->FindSubControl("power_battery_text")->GetText(), "100%");
    EXPECT_TRUE(shown(mouse, "power_charging"));
    EXPECT_TRUE(shown(mouse, "power_link_receiver"));
    EXPECT_FALSE(shown(mouse, "power_link_cable"));
    keyboard->SetStatus({1, 64, 0, 0, 2, 0});
    EXPECT_FALSE(shown(keyboard, "power_battery_text")) << "a keyboard on its cable has none";
    EXPECT_TRUE(shown(keyboard, "power_link_cable"));
}

TEST_F(DevicePagesTest, ACollectionThatCannotBeOpenedLeavesTheDeviceDisconnected) {
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    hid::SupportedDeviceRecord probe = hid::SupportedDevices()[0];
    const auto slot =
        wnd_->attachmentSlots().ClaimFirstFree(probe, (dir_ / "hid/dev/gone").string());
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

// A driver whose presence the entry tests set (its work thread asks).
class PresenceDriver : public devices::DeviceDriver {
  public:
    ~PresenceDriver() override { Stop(); }
    int IsPresent() override { return present ? 1 : 0; }
    std::atomic<bool> present{true};
};

// A device whose frames and link the entry tests can see and set.
class CountingDevice : public CZentrixUSBDevice {
  public:
    CountingDevice()
        : CZentrixUSBDevice(std::make_unique<PresenceDriver>()),
          present(static_cast<PresenceDriver&>(deviceDriver()).present) {}
    void PresentFrame() override { ++frames; }
    int frames = 0;
    std::atomic<bool>& present;
};

class EntryTimersTest : public DevicePagesTest {
  protected:
    CDeviceOptionUI* AddEntry(CountingDevice& device) {
        CMainWnd::Options options;
        options.discovery = false;
        Start(options);
        ui::CDialogBuilder builder;
        auto built = builder.Create("xml/CustomControlXML/DeviceOption.xml", nullptr,
                                    &wnd_->GetPaintManager());
        auto* entry = dynamic_cast<CDeviceOptionUI*>(built.get());
        auto* layout = dynamic_cast<ui::CContainerUI*>(Find("device_select_layout"));
        EXPECT_TRUE(entry != nullptr && layout != nullptr);
        layout->AddAt(std::move(built), 0);
        entry->LinkDevice(&device, 0);
        device.channel().SetConnected(true);  // as the device list leaves a connected device
        return entry;
    }
};

TEST_F(EntryTimersTest, TheFrameTimerRunsEvery5MsOnTheCableAndEvery500MsBehindTheReceiver) {
    for (const bool receiver : {false, true}) {
        CountingDevice device;
        device.SetReceiver(receiver);
        CDeviceOptionUI* entry = AddEntry(device);
        entry->StartConnect();
        backend_.RunFor(1500);  // 500 ms to connect, then a second of frames
        EXPECT_EQ(device.readsAfterConnect(), 1);
        if (receiver) {
            EXPECT_LE(device.frames, 3) << "behind the receiver";
        } else {
            EXPECT_GE(device.frames, 50) << "on the cable";
        }
        device.channel().SetConnected(false);
        wnd_.reset();
    }
}

TEST_F(EntryTimersTest, AReceiverWithoutItsDeviceRetriesEvery3SecondsUntilItAnswers) {
    CountingDevice device;
    device.SetReceiver(true);
    device.present = false;
    CDeviceOptionUI* entry = AddEntry(device);
    entry->SetVisible(false);
    entry->StartConnect();
    backend_.RunFor(700);
    EXPECT_EQ(entry->retries(), 1);
    EXPECT_EQ(device.readsAfterConnect(), 0) << "nothing is read from a device not there";
    EXPECT_FALSE(entry->IsVisibleFlag());
    device.present = true;
    ASSERT_TRUE(RunUntil([&] { return entry->IsVisibleFlag(); })) << "shown within one period";
    EXPECT_EQ(device.readsAfterConnect(), 1);
    EXPECT_EQ(entry->retries(), 0);
    device.channel().SetConnected(false);
}

TEST_F(DevicePagesTest, ShutdownWaitsAboutASecondForAWorkerThatIgnoresItsStopEvent) {
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    platform::WorkerThread stubborn;
    stubborn.Start(
        [](platform::Event&) { std::this_thread::sleep_for(std::chrono::milliseconds(1400)); });
    wnd_->workers().Place(5, &stubborn);
    platform::DebugOutput::Capture capture;
    const auto started = steady_clock::now();
    wnd_->Exit();
    backend_.RunFor(20);
    const auto took = steady_clock::now() - started;
    EXPECT_GE(took, std::chrono::milliseconds(1000)) << "the bound was waited";
    const auto lines = capture.Lines();
    const auto at = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    EXPECT_LT(at("退出测试"), at("同步灯光线程设定退出"));
    EXPECT_NE(at("所有对象处于非激发状态，超时\n"), static_cast<long>(lines.size()))
        << "the stubborn worker";
    EXPECT_NE(at("所有对象处于激发状态\n"), static_cast<long>(lines.size()))
        << "synchronised lighting";
    EXPECT_NE(at("错误\n0"), static_cast<long>(lines.size())) << "an empty slot";
    EXPECT_FALSE(stubborn.IsRunning()) << "and it was joined";
}

TEST_F(DevicePagesTest, WhileAsleepHookAndPrivateMessagesHaveNoEffect) {
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    const uint32_t hook = platform::MessageRegistry::Find("WM_HOOK_KEY_SINGLEKEY_MSG");
    CZentrixUSBDevice* mouse = Only(CDeviceList::kMouse);
    wnd_->SendMessage(CMainWnd::kWmPowerBroadcast, CMainWnd::kPbtSuspend, 0);
    EXPECT_FALSE(wnd_->awake());
    EXPECT_FALSE(mouse->lightingControl()) << "the devices let go of the lighting";
    wnd_->SendMessage(hook, 0x41, 0);
    wnd_->SendMessage(CMainWnd::kProgressShown, 0, 0);
    wnd_->SendMessage(CMainWnd::kHookSwitch, 1, 0);
    EXPECT_EQ(wnd_->hookMessagesRouted(), 0);
    EXPECT_FALSE(Find("setting_progress")->GetOwnVisibility());
    EXPECT_FALSE(wnd_->hookHolderInstalled());

    wnd_->SendMessage(CMainWnd::kWmPowerBroadcast, CMainWnd::kPbtResume, 0);
    EXPECT_TRUE(mouse->lightingControl());
    wnd_->SendMessage(hook, 0x41, 0);
    wnd_->SendMessage(CMainWnd::kProgressShown, 0, 0);
    EXPECT_EQ(wnd_->hookMessagesRouted(), 1);
    EXPECT_TRUE(Find("setting_progress")->GetOwnVisibility());
}

TEST_F(DevicePagesTest, TheLightingRequestSetsTheFlagOnlyWithWParam1) {
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    const uint32_t request = platform::MessageRegistry::Find(CMainWnd::kLightingRequest);
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    const struct {
        uintptr_t w;
        intptr_t l;
        bool flag;
        const char* text;
    } cases[] = {{0, 0, true, ""},
                 {1, 0, false, "不控制灯光"},
                 {1, 7, false, "不控制灯光"},
                 {1, 1, true, "控制灯光"}};
    for (const auto& c : cases) {
        wnd_->SendMessage(request, c.w, c.l);
        EXPECT_EQ(wnd_->lightingControl(), c.flag) << c.w << "," << c.l;
        EXPECT_EQ(keyboard->lightingControl(), c.flag);
        EXPECT_EQ(Find("control_light_status")->GetText(), c.text);
    }
    // The person's toggle, told to other programs too.
    test::Listener other(MARLO_BIN_DIR, "Lighting Tool");
    ASSERT_TRUE(other.registered());
    ASSERT_TRUE(ui::HeadlessUser(wnd_->GetPaintManager()).Click("control_light_status"));
    EXPECT_FALSE(wnd_->lightingControl());
    EXPECT_EQ(Find("control_light_status")->GetText(), "不控制灯光");
    EXPECT_EQ(other.ReadLines(1, 5000), "message {4695579F-999A-41d4-9FAF-EFFCE93EBF16} 1 0\n");
}

TEST_F(DevicePagesTest, OtherProgramsHearTheLightingOwnerAndTheToolQuery) {
    test::Listener tool(MARLO_BIN_DIR, "WorkTool");
    ASSERT_TRUE(tool.registered());
    CMainWnd::Options options;
    options.discovery = false;
    Start(options);
    EXPECT_EQ(tool.ReadLines(1, 5000), "message {4695579F-999A-41d4-9FAF-EFFCE93EBF16} 1 1\n")
        << "the broadcast at window initialisation";

    wnd_->SendMessage(platform::MessageRegistry::Find(CMainWnd::kToolQuery), 0, 0);
    const std::string lines = tool.ReadLines(2, 5000);
    const std::string block = lines.substr(lines.find('\n') + 1);
    // 2, 3, 0, 2; four update items; then each item's three numbers; zeros to 1024 bytes.
    const std::string head =
        "copydata 5 02000000030000000000000002000000"
        "04000000"
        "010000000100000000000000010000000100000000000000"
        "020000000100000000000000000000000100000000000000";
    EXPECT_EQ(block.substr(0, head.size()), head);
    EXPECT_EQ(block.size(), std::string("copydata 5 ").size() + 2048 + 1);
}

TEST_F(DevicePagesTest, TheProfilePanelsButtonsAskWhatTheyMustAndSayWhyTheyRefuse) {
    Start();
    Plug("keyboard");
    CZentrixUSBDevice* keyboard = Only(CDeviceList::kKeyboard);
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    pages::CDeviceProfileUI* panel = keyboard->profilePanel();
    ui::HeadlessUser user(wnd_->GetPaintManager());
    // Answers the next message box by clicking `button`, noting the text it showed.
    std::string shown;
    const auto answer = [&](const char* button) {
        backend_.loop().Post([&shown, button] {
            auto* box = dynamic_cast<ui::WindowImplBase*>(ui::CWindowWnd::FindWindow("MsgWnd"));
            ASSERT_NE(box, nullptr);
            shown = box->GetPaintManager().FindControl("MessageText")->GetShownText();
            ui::HeadlessUser(box->GetPaintManager()).Click(button);
        });
    };
    const auto click = [&](const char* name) {
        return user.ClickControl(keyboard->FindSubControl(name));
    };

    ASSERT_TRUE(click("device_add_btn"));
    EXPECT_EQ(panel->GetProfileCount(), 2u);
    answer("cancel_btn");
    ASSERT_TRUE(click("device_sub_btn"));
    EXPECT_EQ(shown, "Delete this profile?");
    EXPECT_EQ(panel->GetProfileCount(), 2u) << "cancelled";
    answer("confirm_btn");
    ASSERT_TRUE(click("device_sub_btn"));
    EXPECT_EQ(panel->GetProfileCount(), 1u);
    answer("confirm_btn");
    ASSERT_TRUE(click("device_sub_btn"));
    EXPECT_EQ(shown, "The last profile cannot be deleted.");

    // Factory settings only when the person says so; then the keyboard is given them.
    auto* kb = dynamic_cast<pages::CZentrixKeyboardDevice*>(keyboard);
    ASSERT_NE(kb, nullptr);
    profiles::KeyboardSystemStages stages = kb->systemStages();
    const uint16_t factoryRate = stages.pollingRate;
    stages.pollingRate = factoryRate == 3 ? 2 : 3;
    kb->SetSystemStages(stages);
    kb->SaveProfile();
    answer("cancel_btn");
    ASSERT_TRUE(click("default_btn"));
    EXPECT_EQ(shown, "Restore the factory settings of this device?");
    EXPECT_NE(kb->systemStages().pollingRate, factoryRate) << "cancelled";
    answer("confirm_btn");
    ASSERT_TRUE(click("default_btn"));
    ASSERT_TRUE(RunUntil([&] { return kb->systemStages().pollingRate == factoryRate; }))
        << "the factory profile, applied";
    EXPECT_TRUE(Settle(keyboard));

    // Export through the file dialog, and an import of something that is not a profile.
    EXPECT_FALSE(click("device_export_btn")) << "in the folded part of the panel";
    ASSERT_TRUE(click("profile_fun_spread_btn"));
    backend_.SetFileAnswer((dir_ / "mine.json").string());
    ASSERT_TRUE(click("device_export_btn"));
    EXPECT_TRUE(std::filesystem::exists(dir_ / "mine.json"));
    EXPECT_EQ(backend_.fileQuestions().back().filter, "Profile Files(*.json)");
    std::ofstream(dir_ / "notes.json") << "[1, 2, 3]";
    backend_.SetFileAnswer((dir_ / "notes.json").string());
    answer("confirm_btn");
    ASSERT_TRUE(click("device_import_btn"));
    EXPECT_EQ(shown, "This file is not a profile of this device; nothing was imported.");
    EXPECT_EQ(panel->GetProfileCount(), 1u);
    backend_.SetFileAnswer(std::nullopt);
    ASSERT_TRUE(click("device_import_btn")) << "cancelled: nothing happens";
    EXPECT_EQ(panel->GetProfileCount(), 1u);

    // The feature tabs switch the page's panels.
    ASSERT_TRUE(click("macro_Op_tab"));
    auto* panels = dynamic_cast<ui::CTabLayoutUI*>(keyboard->FindSubControl("device_panel_switch"));
    ASSERT_NE(panels, nullptr);
    EXPECT_EQ(panels->GetCurSel(), 2);
}

}  // namespace
}  // namespace marlo::app

namespace marlo::app {
namespace {

TEST_F(DevicePagesTest, ApplyingAKeyboardProfileSaysWhatTheKeyboardDidNotTake) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    EXPECT_EQ(keyboard->slotCount(), sim::KeyboardModel::kKeySlots) << "read on arrival";

    // A macro longer than the keyboard's memory on Esc, kept in the selected profile.
    profiles::MacroList macros(keyboard->UserDataFolder());
    macros.LoadMacroList();
    ASSERT_EQ(macros.NewMacro(), profiles::ListResult::kDone);
    std::vector<profiles::MacroList::ActionRow> rows(
        1030, {"10", R"({"Action":"down","Type":10,"Button":4,"Delay":"10"})"});
    ASSERT_EQ(macros.SaveMacro(0, rows), profiles::ListResult::kDone);
    keyboard->LoadProfile();
    keyboard->SetKeyAssignment(0, 0x700000);
    keyboard->SaveProfile();

    // The profile switch's timer, at once; the message box it shows once the keyboard was
    // written is answered from its loop.
    std::string said;
    AnswerMessageBox(said);
    wnd_->SendMessage(ui::kWmTimer, CMainWnd::kTimerProfileSwitch, 0);
    ASSERT_TRUE(RunUntil([&] { return !said.empty(); }));
    // 16 + 6 + 4 · 1030 = 4142 bytes in 4096: 46 bytes over, 46 ÷ 4 + 1 = 12.
    EXPECT_EQ(said, "The macros do not fit in the keyboard's memory: 12 steps too many.");
    EXPECT_EQ(Find("str_test")->GetShownText(), "");

    // The keyboard stops taking writes: the status bar says so.
    server_.SetFault("keyboard", sim::Fault::kStatusFF);
    keyboard->SetKeyAssignment(0, 0x200005);
    keyboard->SaveProfile();
    wnd_->SendMessage(ui::kWmTimer, CMainWnd::kTimerProfileSwitch, 0);
    EXPECT_TRUE(RunUntil([&] { return !Find("str_test")->GetShownText().empty(); }));
    EXPECT_EQ(Find("str_test")->GetShownText(),
              "The keyboard did not take the last change. Check its cable or receiver and try "
              "again.");
    server_.SetFault("keyboard", sim::Fault::kNone);
}

}  // namespace
}  // namespace marlo::app

namespace marlo::app {
namespace {

TEST_F(DevicePagesTest, ANotificationFromTheKeyboardRefreshesItsPage) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ASSERT_TRUE(RunUntil([&] { return keyboard->deviceDriver().eventInterfaceOpen(); }));
    EXPECT_EQ(keyboard->lightInfo().red, 255);

    // On the keyboard itself the person switches to its second slot, blue.
    server_.WithDevice("keyboard", [](sim::SimDevice& d) {
        auto& settings = dynamic_cast<sim::KeyboardDevice&>(d).model().settings();
        settings[0] = 1;
        settings[25 + 1] = 3;    // the slot's mode
        settings[25 + 8] = 200;  // its blue
    });
    ASSERT_TRUE(server_.InjectEvent("keyboard", 0x1121));
    EXPECT_TRUE(RunUntil([&] { return keyboard->lightInfo().blue == 200; }))
        << "the page read the keyboard again";
    EXPECT_EQ(keyboard->activeSlot(), 1);
    EXPECT_EQ(keyboard->lightInfo().selectItem, 3);
}

}  // namespace
}  // namespace marlo::app

namespace marlo::app {
namespace {

TEST_F(DevicePagesTest, TheKeyboardsSystemSettingsReachTheKeyboardAndTheProfile) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    const auto settings = [&] {
        EXPECT_TRUE(Settle(keyboard));
        std::vector<uint8_t> copy;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            copy = dynamic_cast<sim::KeyboardDevice&>(d).model().settings();
        });
        return copy;
    };
    auto* polling = dynamic_cast<ui::COptionUI*>(Find("polling_rate_option_3"));
    ASSERT_NE(polling, nullptr);
    EXPECT_TRUE(polling->IsSelected()) << "the profile's 1000 Hz, shown";

    ui::HeadlessUser user(wnd_->GetPaintManager());
    ASSERT_TRUE(user.ClickControl(keyboard->FindSubControl("system_Op_tab")));
    ASSERT_TRUE(user.Click("polling_rate_option_1"));
    ASSERT_TRUE(user.Click("winlockflag_option"));
    EXPECT_EQ(settings()[22], 1) << "the polling rate, in the block";
    EXPECT_EQ(settings()[21], 1) << "the Windows key lock";
    EXPECT_EQ(keyboard->systemStages().pollingRate, 1);

    ASSERT_TRUE(user.MoveSlider("repeat_rate_slider", 12));
    ASSERT_TRUE(user.Click("repeat_delay_check_3"));
    ASSERT_TRUE(Settle(keyboard));
    EXPECT_EQ(keyboard->systemStages().repeat, 12);
    EXPECT_EQ(Find("repeat_delay_time_label1")->GetShownText(), "1000 ms");
    keyboard->LoadProfile();
    EXPECT_EQ(keyboard->systemStages().repeat, 12) << "kept in the profile";
    EXPECT_EQ(keyboard->systemStages().repeatDelay, 3);

    ASSERT_TRUE(user.Click("reset_repeat_btn"));
    EXPECT_EQ(keyboard->systemStages().repeat, 30) << "the factory profile's";
    EXPECT_EQ(keyboard->systemStages().repeatDelay, 1);
    EXPECT_EQ(keyboard->systemStages().winFlag, 1) << "the rest stays";

    // A setting the keyboard refuses is kept in the profile, and the page says it did not
    // reach the keyboard; the next one that does clears the line.
    server_.SetFault("keyboard", sim::Fault::kStatusFF);
    ASSERT_TRUE(user.Click("wflag_option"));
    ASSERT_TRUE(Settle(keyboard));
    EXPECT_EQ(keyboard->systemStages().wFlag, 1);
    EXPECT_NE(Find("str_test")->GetShownText(), "");
    server_.SetFault("keyboard", sim::Fault::kNone);
    ASSERT_TRUE(user.Click("wflag_option"));
    ASSERT_TRUE(Settle(keyboard));
    EXPECT_EQ(Find("str_test")->GetShownText(), "");
}

// The keyboard takes nothing for a while: the window goes on while the change waits on the
// keyboard's own thread, the status line then says the change did not reach it, and unplugging
// the keyboard ends its work.
TEST_F(DevicePagesTest, AKeyboardThatStallsLeavesTheWindowFreeAndSaysTheChangeDidNotReachIt) {
    auto* keyboard = StartOnTheKeyboardsSystemTab();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ui::HeadlessUser user(wnd_->GetPaintManager());

    ASSERT_TRUE(server_.Stall("keyboard", 2500));
    ASSERT_TRUE(user.Click("winlockflag_option"));
    bool ran = false;
    backend_.loop().Post([&] { ran = true; });
    backend_.RunFor(20);
    EXPECT_TRUE(ran) << "the window's loop runs";
    EXPECT_TRUE(keyboard->work().busy()) << "the write waits on the keyboard's thread";
    EXPECT_TRUE(dynamic_cast<ui::COptionUI*>(Find("winlockflag_option"))->IsSelected());
    EXPECT_EQ(keyboard->systemStages().winFlag, 1) << "the page shows the change at once";
    EXPECT_TRUE(RunUntil([&] { return !Find("str_test")->GetShownText().empty(); }))
        << "the status line says the keyboard did not take it";

    ASSERT_TRUE(Settle(keyboard));
    ASSERT_TRUE(server_.Stall("keyboard", 4000));
    ASSERT_TRUE(user.Click("winlockflag_option"));
    ASSERT_TRUE(keyboard->work().busy());
    ASSERT_TRUE(server_.Unplug("keyboard"));
    EXPECT_TRUE(RunUntil([&] { return !EntryOf(keyboard)->IsVisibleFlag(); }));
    EXPECT_TRUE(RunUntil([&] { return !keyboard->work().busy(); }))
        << "the work ends with the keyboard";
}

// The program ends while the keyboard stalls under a write: its work is cut short, not
// waited for.
TEST_F(DevicePagesTest, AKeyboardThatStallsDoesNotHoldTheProgramsEnd) {
    auto* keyboard = StartOnTheKeyboardsSystemTab();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ui::HeadlessUser user(wnd_->GetPaintManager());
    ASSERT_TRUE(server_.Stall("keyboard", 10000));
    ASSERT_TRUE(user.Click("winlockflag_option"));
    ASSERT_TRUE(keyboard->work().busy());
    platform::DebugOutput::Capture capture;
    list().StopDeviceThreads();
    EXPECT_FALSE(keyboard->work().busy());
    EXPECT_FALSE(capture.Contains("did not end within 1 s")) << "ended within its bound";
}

TEST_F(DevicePagesTest, TheLightingPanelSetsTheKeyboardsLightingAndPaintsKeysOfACustomGroup) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    const auto block = [&] {
        EXPECT_TRUE(Settle(keyboard));
        std::vector<uint8_t> copy;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            copy = dynamic_cast<sim::KeyboardDevice&>(d).model().settings();
        });
        return copy;
    };
    const auto mask = [&] {
        EXPECT_TRUE(Settle(keyboard));
        std::vector<uint8_t> copy;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            copy = dynamic_cast<sim::KeyboardDevice&>(d).model().mask();
        });
        return copy;
    };
    auto* modes = dynamic_cast<ui::CComboUI*>(Find("light_combo_modeSelect"));
    ASSERT_NE(modes, nullptr);
    EXPECT_EQ(modes->GetCurSel(), keyboard->lightInfo().selectItem) << "the keyboard's mode shown";

    ui::HeadlessUser user(wnd_->GetPaintManager());
    ASSERT_TRUE(user.ClickControl(keyboard->FindSubControl("deng_Op_tab")));
    ASSERT_TRUE(user.PickComboItem("light_combo_modeSelect", 2));
    EXPECT_EQ(block()[1], 2) << "the mode, as the keyboard numbers it";
    ASSERT_TRUE(user.MoveSlider("deng_light_slider", 1));
    EXPECT_EQ(block()[2], 1) << "the brightness";
    Find("deng_edit_G")->SetText("");
    ASSERT_TRUE(user.Type("deng_edit_G", "300"));
    ASSERT_TRUE(user.Focus("deng_edit_B"));
    EXPECT_EQ(Find("deng_edit_G")->GetText(), "255") << "corrected when left";
    EXPECT_EQ(block()[7], 255);
    ASSERT_TRUE(user.Click("color_option_5"));
    const std::vector<uint8_t> preset = block();
    EXPECT_EQ((std::vector<uint8_t>(preset.begin() + 6, preset.begin() + 9)),
              (std::vector<uint8_t>{0, 0, 255}))
        << "a preset colour";
    ASSERT_TRUE(user.PressKey("deng_Color_Pallet", ui::kVkRight));
    EXPECT_NE(block()[6], 0) << "a colour picked on the palette (towards purple)";
    EXPECT_EQ(Find("deng_edit_R")->GetText(), std::to_string(block()[6]));
    ASSERT_TRUE(Settle(keyboard));
    keyboard->LoadProfile();
    EXPECT_EQ(keyboard->lightInfo().selectItem, 2) << "kept in the profile";
    EXPECT_EQ(keyboard->lightInfo().light, 1);

    // A custom group: a key clicked on the drawing is painted, unlit or lit.
    ASSERT_TRUE(user.PickComboItem("light_combo_modeSelect", 21));
    EXPECT_TRUE(Find("lightcustom_layout")->IsVisible());
    constexpr int kKey = 64;
    const int group = keyboard->lightInfo().customGroup;
    ASSERT_TRUE(Settle(keyboard));
    ASSERT_TRUE(user.Click("custom_off_color_btn"));
    ASSERT_TRUE(user.ClickControl(keyboard->KeyButton(kKey)));
    ASSERT_TRUE(Settle(keyboard));
    EXPECT_EQ(keyboard->driver().CustomColours(group, 170)[kKey].isBright, 0);
    const std::vector<uint8_t> unlit = mask();
    ASSERT_TRUE(user.Click("custom_bright_color_btn"));
    ASSERT_TRUE(user.ClickControl(keyboard->KeyButton(kKey)));
    ASSERT_TRUE(Settle(keyboard));
    const auto painted = keyboard->driver().CustomColours(group, 170)[kKey];
    EXPECT_EQ(painted.isBright, 1);
    EXPECT_EQ(painted.red, keyboard->lightInfo().red) << "in the panel's colour";
    const std::vector<uint8_t> lit = mask();
    EXPECT_NE(lit, unlit) << "the keyboard is told the key is lit";
    EXPECT_FALSE(keyboard->KeyButton(kKey)->IsSelected()) << "not opened in the key panel";

    // Keys dragged across on the drawing are painted together; their marks go after.
    ASSERT_TRUE(user.Click("custom_off_color_btn"));
    auto* drawing = dynamic_cast<pages::CSelectPanelUI*>(keyboard->selectPanel());
    ASSERT_NE(drawing, nullptr);
    drawing->SelectArea({keyboard->KeyButton(kKey), keyboard->KeyButton(kKey + 1),
                         keyboard->FindSubControl("light_combo_modeSelect")});
    ASSERT_TRUE(Settle(keyboard));
    const auto colours = keyboard->driver().CustomColours(group, 170);
    EXPECT_EQ(colours[kKey].isBright, 0);
    EXPECT_EQ(colours[kKey + 1].isBright, 0);
    EXPECT_NE(mask(), lit) << "the keyboard is told, once for both";
    EXPECT_TRUE(drawing->selectedKeys().empty());
    EXPECT_FALSE(keyboard->KeyButton(kKey + 1)->IsSelected());
}

TEST_F(DevicePagesTest, AGamesLightingShowsForAWhileAndTheKeyboardsOwnReturns) {
    CMainWnd::Options options;
    options.gameLightingMs = 200;
    Start(options);
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    const auto mode = [&] {
        EXPECT_TRUE(Settle(keyboard));
        uint8_t value = 0;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            value = dynamic_cast<sim::KeyboardDevice&>(d).model().settings()[1];
        });
        return value;
    };
    const uint8_t own = mode();
    ASSERT_NE(own, 3);
    wnd_->SendMessage(platform::MessageRegistry::Register("Game_Death"), 1, 3);
    EXPECT_EQ(mode(), 3) << "the game's mode on the keyboard";
    EXPECT_NE(keyboard->driver().ProfileLightInfo().selectItem, 3) << "not the person's own";
    EXPECT_TRUE(RunUntil([&] { return mode() == own; })) << "the own lighting returns";
    ASSERT_TRUE(Settle(keyboard));
    EXPECT_EQ(keyboard->lightInfo().selectItem, keyboard->driver().ProfileLightInfo().selectItem);
}

// Another program (marloctl) writes the keyboard's profile while the program runs: the page
// reads it again, and a lighting change made in the program afterwards keeps that change.
TEST_F(DevicePagesTest, AProfileAnotherProgramWroteIsReadAgainAndKept) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr);
    const std::filesystem::path file = keyboard->driver().ProfilePath();
    ASSERT_FALSE(file.empty());
    {
        profiles::CKeyboardProfiledata other;  // as marloctl keyboard assign would
        other.SetProfilePath(file);
        other.LoadProfile(file);
        std::vector<profiles::KeyListEntry> keys = other.GetKeyList();
        ASSERT_FALSE(keys.empty());
        keys[0].assignment = profiles::Assignment::FromCode(0x200005);
        other.SetKeyList(keys);
        ASSERT_TRUE(other.SaveProfile());
    }
    const int position = keyboard->keys()[0].keyIndex;
    EXPECT_TRUE(RunUntil([&] { return keyboard->KeyCodesAt(position).assignment == 0x200005u; }))
        << "the page follows what the other program wrote";

    profiles::LightInfo light = keyboard->lightInfo();
    light.red = 17;
    keyboard->SetLightInfo(light);
    keyboard->SaveProfile();
    profiles::CKeyboardProfiledata disk;
    disk.LoadProfile(file);
    EXPECT_EQ(disk.GetKeyList()[0].assignment.Code(), 0x200005u);
    EXPECT_EQ(disk.GetLightInfo().red, 17);
}

TEST_F(DevicePagesTest, TheAudioCompanionsSpectrumOfAToneReachesTheWindowPeakingAtItsBand) {
    CMainWnd& wnd = Start();
    CEndpointDelivery delivery(backend_.loop());
    platform::MessageEndpoint endpoint;  // as the program serves its window
    const auto socket = platform::MessageEndpoint::DefaultPath();
    ASSERT_TRUE(socket);
    ASSERT_TRUE(endpoint.Start(
        *socket,
        [&delivery](const platform::EndpointRequest& r, platform::EndpointReply reply) {
            delivery.Deliver(r, reply);
        },
        kDeliveryTimeoutMs));
    const std::vector<uint8_t> tone = test::ToneWav(1000, 44100, 0.5, 0.7);
    const std::string wav = (dir_ / "tone.wav").string();
    std::ofstream(wav, std::ios::binary).write(reinterpret_cast<const char*>(tone.data()),
                                                static_cast<std::streamsize>(tone.size()));
    const std::string printed = (dir_ / "printed.txt").string();
    const std::string program = std::string(MARLO_BIN_DIR) + "/marlo-audio";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    const char* argv[] = {program.c_str(), "--input", wav.c_str(), "--print", nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, const_cast<char**>(argv),
                          environ),
              0);
    posix_spawn_file_actions_destroy(&actions);
    int status = -1;
    bool ended = false;
    EXPECT_TRUE(RunUntil([&] { return ended = ended || waitpid(pid, &status, WNOHANG) == pid; }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    backend_.RunFor(50);

    const int band = audio::SpectrumBands(44100).BandOf(1000);
    const std::vector<uint8_t>& spectrum = wnd.spectrum();
    ASSERT_GE(spectrum.size(), audio::SpectrumBands::kDefaultBands);
    const auto peak = std::max_element(spectrum.begin(), spectrum.end()) - spectrum.begin();
    EXPECT_EQ(peak, band) << "the window's buffer peaks at the tone's band";
    std::ifstream lines(printed);
    std::string line;
    int count = 0;
    while (std::getline(lines, line)) {
        ++count;
    }
    EXPECT_GE(count, 10) << "a spectrum printed at each step (30 a second, half a second)";
    endpoint.Stop();
}

TEST_F(DevicePagesTest, TheSameEffectFromTheHeadsetsPagePlaysTheSameFramesOnTheKeyboard) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr);
    Plug("headset");
    ASSERT_TRUE(RunUntil([&] { return Only(CDeviceList::kHeadset) != nullptr; }));
    CZentrixUSBDevice* headset = Only(CDeviceList::kHeadset);
    ASSERT_TRUE(RunUntil([&] { return headset->readsAfterConnect() == 1; }));
    list().ShowEntry(headset->entryIndex(), true, true);
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == headset; }));
    EXPECT_FALSE(keyboard->deviceDriver().syncOption() || headset->deviceDriver().syncOption());

    ui::HeadlessUser user(wnd_->GetPaintManager());
    auto* panel = dynamic_cast<panels::CLightControlUI*>(headset->FindSubControl("LightControlItem"));
    ASSERT_NE(panel, nullptr) << "the headset's page has the lighting panel";
    EXPECT_EQ(panel->family(), 7);
    // Both pages have the panel: the headset's own combo, picked as a person does.
    auto* modes = dynamic_cast<ui::CComboUI*>(headset->FindSubControl("light_combo_modeSelect"));
    ASSERT_NE(modes, nullptr);
    const auto pick = [&](int index) {
        ASSERT_TRUE(user.ClickControl(modes));
        ui::TEventUI up{ui::UiEventType::kButtonUp};
        modes->GetItemAt(index)->DoEvent(up);
        modes->CloseDropList();
    };
    // Breathing (the headset's mode 2), then the same effect everywhere.
    pick(2);
    ASSERT_TRUE(headset->FindSubControl("deng_same_mode")->IsVisible());
    ASSERT_TRUE(user.ClickControl(headset->FindSubControl("deng_same_mode")));
    EXPECT_TRUE(keyboard->deviceDriver().syncOption() && headset->deviceDriver().syncOption())
        << "both take part";
    EXPECT_EQ(wnd_->syncLighting()->settings().effect, SyncLighting::kBreathing);
    std::set<uint32_t> shared;
    EXPECT_TRUE(RunUntil([&] {
        const uint32_t frame = headset->deviceDriver().syncFrame();
        if (frame != 0 && keyboard->deviceDriver().syncFrame() == frame) {
            shared.insert(frame);
        }
        return shared.size() >= 3;
    })) << "the breathing frames, the same on both";

    // A mode chosen on the headset's page takes the headset back to its own lighting.
    pick(3);
    EXPECT_FALSE(headset->deviceDriver().syncOption());
    EXPECT_TRUE(keyboard->deviceDriver().syncOption());
}

TEST_F(DevicePagesTest, TheBarsColourSlidersReachTheAudioCompanionAtOnce) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr);
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    test::WindowRecorder companion("Marlo GearAUDIORECORD", "Marlo GearAudioRecord");
    ASSERT_TRUE(companion.registered()) << "as marlo-audio registers its window";
    // The music mode's colours shown (without starting a real companion).
    auto* panel = dynamic_cast<panels::CLightControlUI*>(keyboard->FindSubControl("LightControlItem"));
    ASSERT_NE(panel, nullptr);
    panel->SelectMode(29);
    ui::HeadlessUser user(wnd_->GetPaintManager());
    ASSERT_TRUE(user.MoveSlider("G_light_slider", 200));
    EXPECT_EQ(Find("G_light_label")->GetText(), "G 200");
    const auto heard = companion.heard();
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().message, "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
    EXPECT_EQ(heard.back().wParam, 7u);
    EXPECT_EQ(heard.back().lParam, 200);
}

TEST_F(DevicePagesTest, AKeyOfTheDrawingOpensInTheKeyPanelAndItsNewFunctionReachesTheKeyboard) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    ui::HeadlessUser user(wnd_->GetPaintManager());
    ASSERT_TRUE(user.ClickControl(keyboard->FindSubControl("key_Op_tab")));
    constexpr int kA = 64;
    ASSERT_TRUE(user.ClickControl(keyboard->KeyButton(kA)));
    EXPECT_TRUE(keyboard->KeyButton(kA)->IsSelected()) << "the open key is marked";
    EXPECT_EQ(Find("keyset_keyboard_text_edit")->GetText(), "A") << "it is a key: A";
    // The A key plays/pauses instead: the media category, its second function, applied.
    ASSERT_TRUE(user.PickComboItem("keyset_function_combo", CategoryItem("7")));
    ASSERT_TRUE(user.PickComboItem("keyset_media_combo", 1));
    ASSERT_TRUE(user.Click("key_butt_keysave"));
    const auto codeOfA = [&] {
        for (const auto& key : keyboard->keys()) {
            if (key.keyIndex == kA) {
                return key.assignment.Code();
            }
        }
        return 0u;
    };
    EXPECT_EQ(codeOfA(), 0x30CD00u);
    // Saved: in the profile and in the keyboard's table, at A's slot.
    ASSERT_TRUE(user.Click("key_butt_prosave"));
    ASSERT_TRUE(Settle(keyboard));
    std::vector<uint8_t> table;
    server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
        table = dynamic_cast<sim::KeyboardDevice&>(d).model().keyBlock();
    });
    const size_t slot = keyboard->positionMap().SlotOf(kA);
    EXPECT_EQ((std::vector<uint8_t>(table.begin() + static_cast<long>(slot * 3),
                                    table.begin() + static_cast<long>(slot * 3 + 3))),
              (std::vector<uint8_t>{0x30, 0xCD, 0x00}));
    keyboard->LoadProfile();
    EXPECT_EQ(codeOfA(), 0x30CD00u);
    EXPECT_EQ(Find("str_test")->GetShownText(), "");
    // Default puts the key's own function back into the panel.
    ASSERT_TRUE(user.Click("key_butt_keydefalut"));
    EXPECT_EQ(Find("keyset_keyboard_text_edit")->GetText(), "A");

    // The key field captures the next key through the hook while it has the focus, and the
    // key goes no further, except the lock keys (which are captured too).
    ASSERT_TRUE(user.Focus("keyset_keyboard_text_edit"));
    EXPECT_TRUE(backend_.keyHooked());
    EXPECT_FALSE(backend_.HookKey({0x14, true})) << "Caps Lock still toggles";
    EXPECT_EQ(Find("keyset_keyboard_text_edit")->GetText(), "Caps Lock");
    EXPECT_TRUE(backend_.HookKey({0x42, true})) << "B is swallowed";
    backend_.HookKey({0x42, false});
    EXPECT_EQ(Find("keyset_keyboard_text_edit")->GetText(), "B");
    // A number out of its range is set to the nearest it takes when the field is left.
    ASSERT_TRUE(user.PickComboItem("keyset_function_combo", CategoryItem("2")));
    EXPECT_FALSE(backend_.keyHooked()) << "the hook goes with the focus";
    for (const auto& [typed, kept] : {std::pair{"300", "127"}, {"-4", "0"}, {"x", "0"}}) {
        ASSERT_TRUE(user.Type("keyset_mouseswing_num_edit", typed));
        ASSERT_TRUE(user.Focus("keyset_mouseswing_delay_edit"));
        EXPECT_EQ(Find("keyset_mouseswing_num_edit")->GetText(), kept) << typed;
    }
    ASSERT_TRUE(user.PickComboItem("keyset_function_combo", 0));  // back to the key
    ASSERT_TRUE(user.Click("key_butt_prosave"));
    ASSERT_TRUE(Settle(keyboard));
    server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
        table = dynamic_cast<sim::KeyboardDevice&>(d).model().keyBlock();
    });
    EXPECT_EQ((std::vector<uint8_t>(table.begin() + static_cast<long>(slot * 3),
                                    table.begin() + static_cast<long>(slot * 3 + 3))),
              (std::vector<uint8_t>{0x20, 0x00, 0x05}))
        << "B at A's slot";
}

}  // namespace
}  // namespace marlo::app

namespace marlo::app {
namespace {

// Whether the keyboard's macro memory holds these events (type with bit 7 for a press, then
// the key, as the last two bytes of each 4-byte record), in this order.
bool HoldsInOrder(const std::vector<uint8_t>& memory,
                  const std::vector<std::pair<uint8_t, uint8_t>>& records) {
    auto at = memory.begin();
    for (const auto& [type, key] : records) {
        const std::array<uint8_t, 2> wanted = {type, key};
        at = std::search(at, memory.end(), wanted.begin(), wanted.end());
        if (at == memory.end()) {
            return false;
        }
        at += 4;
    }
    return true;
}

TEST_F(DevicePagesTest, AMacroRecordedWithTheHookPlaysFromAKeyAndGoesWithItsDeletion) {
    Start();
    auto* keyboard = PlugReadKeyboard();
    ASSERT_NE(keyboard, nullptr) << "the keyboard came and was read";
    ASSERT_TRUE(RunUntil([&] { return list().CurrentDevice() == keyboard; }));
    ui::HeadlessUser user(wnd_->GetPaintManager());
    const auto click = [&](const char* name) {
        return user.ClickControl(keyboard->FindSubControl(name));
    };
    ASSERT_TRUE(click("macro_Op_tab"));
    ASSERT_TRUE(click("macro_btn_name_add"));
    auto* panel = dynamic_cast<panels::CMacroControlUI*>(keyboard->FindSubControl("MacroControlItem"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->MacroNames(), std::vector<std::string>{"macro_1"});

    // Recording: A and B pressed and released go in as four steps; the keys go no further.
    ASSERT_TRUE(click("macro_btn_starredio"));
    EXPECT_TRUE(backend_.keyHooked());
    for (const uint32_t key : {0x41u, 0x42u}) {
        EXPECT_TRUE(backend_.HookKey({key, true}));
        EXPECT_TRUE(backend_.HookKey({key, false}));
    }
    ASSERT_TRUE(click("macro_btn_stopredio"));
    EXPECT_FALSE(backend_.keyHooked()) << "the hook goes with the recording";
    EXPECT_FALSE(backend_.HookKey({'C', true}));
    ASSERT_EQ(panel->stepCount(), 4u);
    ASSERT_TRUE(click("macro_btn_save"));
    const std::vector<profiles::MacroEvent> saved = panel->Steps();
    EXPECT_EQ(saved[0].action, "down");
    EXPECT_EQ(saved[0].button, 0x41);
    EXPECT_EQ(saved[3].action, "up");
    EXPECT_EQ(saved[3].button, 0x42);

    // Another tab ends a recording and removes the hook.
    ASSERT_TRUE(click("macro_btn_starredio"));
    EXPECT_TRUE(backend_.keyHooked());
    ASSERT_TRUE(click("system_Op_tab"));
    EXPECT_FALSE(backend_.keyHooked()) << "no path leaves the keys swallowed";

    // F6 plays the macro: saved to the keyboard, its memory holds the four events.
    ASSERT_TRUE(click("key_Op_tab"));
    constexpr int kF6 = 6;
    ASSERT_TRUE(user.ClickControl(keyboard->KeyButton(kF6)));
    ASSERT_TRUE(user.PickComboItem("keyset_function_combo", CategoryItem("9")));
    ASSERT_TRUE(user.PickComboItem("keyset_macro_combo", 0));
    ASSERT_TRUE(user.Click("key_butt_prosave"));
    ASSERT_TRUE(Settle(keyboard));
    std::vector<uint8_t> memory;
    server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
        memory = dynamic_cast<sim::KeyboardDevice&>(d).model().macroMemory();
    });
    EXPECT_TRUE(HoldsInOrder(memory, {{0x8A, 0x41}, {0x0A, 0x41}, {0x8A, 0x42}, {0x0A, 0x42}}));
    EXPECT_TRUE(keyboard->UsesMacro(0));

    // A copy of the profile plays it too.
    pages::CDeviceProfileUI* profiles = keyboard->profilePanel();
    ASSERT_TRUE(click("device_copy_btn"));
    ASSERT_EQ(profiles->GetProfileCount(), 2u);
    const auto copyPlays = [&] {
        profiles::ProfileList list(keyboard->UserDataFolder(), keyboard->DefaultProfilePath(), 1);
        list.Load();
        profiles::CBasicProfiledata copy;
        uint32_t code = 0;
        for (size_t i = 0; i < list.GetProfileCount(); ++i) {
            if (list.GetProfilePathAt(static_cast<int>(i)) != keyboard->SelectedProfilePath()) {
                copy.LoadSecondaryProfile(list.GetProfilePathAt(static_cast<int>(i)));
                for (const auto& key : copy.GetSecondaryKeyList()) {
                    code = key.keyIndex == kF6 ? key.assignment.Code() : code;
                }
            }
        }
        return code;
    };
    EXPECT_EQ(copyPlays(), keyboard->KeyCodesAt(kF6).assignment);

    // Deleting the macro (asked first) gives F6 its own function back, in every profile.
    ASSERT_TRUE(click("macro_Op_tab"));
    backend_.loop().Post([] {
        auto* box = dynamic_cast<ui::WindowImplBase*>(ui::CWindowWnd::FindWindow("MsgWnd"));
        ASSERT_NE(box, nullptr);
        ui::HeadlessUser(box->GetPaintManager()).Click("confirm_btn");
    });
    ASSERT_TRUE(click("macro_btn_name_sub"));
    EXPECT_TRUE(panel->MacroNames().empty());
    EXPECT_FALSE(keyboard->UsesMacro(0));
    EXPECT_EQ(keyboard->KeyCodesAt(kF6).assignment, keyboard->KeyCodesAt(kF6).byDefault);
    EXPECT_EQ(copyPlays(), keyboard->KeyCodesAt(kF6).byDefault);
}

}  // namespace
}  // namespace marlo::app
