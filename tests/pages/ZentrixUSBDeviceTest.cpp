// The device base class against the emulated keyboard: its page binding, the frame it shows
// and streams, command 28, the function tabs, and its two threads.
#include "pages/ZentrixUSBDevice.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "hid/CommandReport.h"
#include "pages/DeviceKeyButtonUI.h"
#include "pages/SelectPanelUI.h"
#include "platform/DebugOutput.h"
#include "sim/CommandDevice.h"
#include "sim/SimCatalog.h"
#include "sim/SimServer.h"
#include "support/TempDir.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/TabLayoutUI.h"

namespace marlo::pages {
namespace {

// A driver whose profile asks for static red at full brightness.
class RedDriver : public devices::DeviceDriver {
  public:
    ~RedDriver() override { Stop(); }

  protected:
    int CurrentLightingMode() const override { return kModeStatic; }
    devices::EffectSettings CurrentEffect() const override {
        devices::EffectSettings settings;
        settings.colour = {255, 0, 0};
        settings.speed = 4;
        return settings;
    }
};

class RedDevice : public CZentrixUSBDevice {
  public:
    RedDevice() : CZentrixUSBDevice(std::make_unique<RedDriver>()) {}
    devices::LightingFrame& lights() { return deviceDriver().frame(); }
};

// A page of 15 lights and 2 keys.
CZentrixUSBDevice::Setup PageOf(const char* pagePath) {
    CZentrixUSBDevice::Setup setup;
    setup.pagePath = pagePath;
    setup.lightCount = 15;
    setup.keyCount = 2;
    return setup;
}

class ZentrixUSBDeviceTest : public ::testing::Test {
  protected:
    ZentrixUSBDeviceTest() : server_(dir_.path()) {
        auto& factory = ui::CControlFactory::GetInstance();
        factory.RegistControl("CSelectPanelUI", [] { return std::make_unique<CSelectPanelUI>(); });
        factory.RegistControl("CDeviceKeyButtonUI",
                              [] { return std::make_unique<CDeviceKeyButtonUI>(); });
        server_.Plug("keyboard", sim::SimCatalog::Create("keyboard"));
        device_.channel().SetTimeouts(200, 200);
    }
    std::string Path(int collection) const {
        return (dir_.path() / "dev/hidraw0").string() + "#vid_320f&pid_5055&mi_01&col0" +
               std::to_string(collection);
    }
    // The page: a picture with two keys and three lights, one numbered past the lights.
    void Page(const char* xml) {
        ui::CDialogBuilder builder;
        auto root = builder.CreateFromText(xml, "page.xml");
        ASSERT_NE(root, nullptr);
        device_.Add(std::move(root));
        device_.SetUp(PageOf("keyboarddevice.xml"));
    }
    void Connect() {
        ASSERT_TRUE(device_.channel().OpenInterface(hid::CommandChannel::Path::kCable, Path(4)));
        device_.channel().SetConnected(true);
        device_.channel().SetMode(1);
    }
    size_t Sent(uint8_t command) {
        size_t n = 0;
        server_.WithDevice("keyboard", [&](sim::SimDevice& d) {
            for (const auto& r : dynamic_cast<sim::CommandDevice&>(d).requestLog()) {
                n += r.command == command;
            }
        });
        return n;
    }

    test::TempDir dir_;
    sim::SimServer server_;
    RedDevice device_;
};

constexpr const char* kPicture = R"(<VerticalLayout><SelectPanel name="picture">
    <DeviceKeyButton name="key_0"/><DeviceKeyButton name="key_7"/>
    <DeviceKeyButton name="light_3"/><DeviceKeyButton name="light_20"/>
    </SelectPanel></VerticalLayout>)";

TEST_F(ZentrixUSBDeviceTest, PageBindingFollowsTheCounts) {
    Page(kPicture);
    ASSERT_NE(device_.selectPanel(), nullptr);
    EXPECT_EQ(device_.KeyButton(0)->GetName(), "key_0");
    EXPECT_EQ(device_.KeyButton(1), nullptr) << "key_7 is past the two keys";
    CDeviceKeyButtonUI* light = device_.LightButton(3);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->GetKeyColour(), 0xFFFFFFu);
    EXPECT_EQ(light->GetLevel(), 255);
    EXPECT_EQ(device_.LightButton(14), nullptr);
    EXPECT_EQ(device_.LightButton(20), nullptr) << "light_20 on a device with 15 lights";

    RedDevice bare;
    bare.SetUp(PageOf("page.xml"));
    EXPECT_EQ(bare.selectPanel(), nullptr) << "no picture: nothing bound";
    bare.SetUp(PageOf(""));
    EXPECT_EQ(bare.lightCount(), 0u);
    EXPECT_EQ(bare.keyCount(), 0u);
}

TEST_F(ZentrixUSBDeviceTest, TheFrameIsShownAndStreamedButNotThroughTheReceiver) {
    Page(kPicture);
    Connect();
    device_.lights().SetLight(3, devices::LightEntry{0, 255, 0, 200, {}});
    device_.PresentFrame();
    EXPECT_EQ(device_.LightButton(3)->GetKeyColour(), 0x00FF00u);
    EXPECT_EQ(device_.LightButton(3)->GetLevel(), 200);
    EXPECT_EQ(Sent(hid::kCmdLightingStream), 1u) << "45 bytes: one chunk on the cable";

    device_.SetReceiver(true);
    device_.lights().SetLight(3, devices::LightEntry{0, 0, 255, 100, {}});
    device_.PresentFrame();
    EXPECT_EQ(device_.LightButton(3)->GetKeyColour(), 0x0000FFu) << "the page still shows it";
    EXPECT_EQ(Sent(hid::kCmdLightingStream), 1u) << "nothing goes through the receiver";

    device_.SetReceiver(false);
    device_.SetLightingControl(false);
    device_.lights().SetLight(3, devices::LightEntry{9, 9, 9, 9, {}});
    device_.PresentFrame();
    EXPECT_EQ(device_.LightButton(3)->GetKeyColour(), 0x0000FFu) << "not shown while off";
    EXPECT_EQ(Sent(hid::kCmdLightingStream), 1u);
}

TEST_F(ZentrixUSBDeviceTest, LightingControlIsSentOnlyToTheCableKeyboard) {
    Connect();
    hid::SupportedDeviceRecord record;
    for (const uint16_t code : {uint16_t{2}, uint16_t{1}}) {
        record.productCode = code;
        device_.SetIdentity(record);
        device_.SetLightingControl(true);
    }
    EXPECT_EQ(Sent(hid::kCmdLightingControl), 1u);
    device_.SetLightingControl(false);
    EXPECT_EQ(Sent(hid::kCmdLightingControl), 1u);
}

TEST_F(ZentrixUSBDeviceTest, FunctionTypesSelectTheirTabs) {
    Page(R"(<VerticalLayout>
        <TabLayout name="device_function_switch"><Control/><Control/><Control/><Control/></TabLayout>
        <TabLayout name="device_key_function_switch"><Control/><Control/><Control/></TabLayout>
        </VerticalLayout>)");
    auto* functions =
        dynamic_cast<ui::CTabLayoutUI*>(device_.FindSubControl("device_function_switch"));
    auto* keys =
        dynamic_cast<ui::CTabLayoutUI*>(device_.FindSubControl("device_key_function_switch"));
    ASSERT_TRUE(functions && keys);
    struct Case {
        int type;
        uint16_t productCode;
        int functionPage;
        int keyPage;
    };
    const Case cases[] = {{2, 0, 0, 1},  {6, 0, 0, 1},  {3, 0, 1, -1}, {8, 0, 1, -1},
                          {5, 0, 2, -1}, {4, 1, 3, -1}, {4, 2, 3, -1}, {4, 3, 0, 2},
                          {7, 0, 0, 2},  {1, 0, 0, 0},  {99, 0, 0, 0}};
    for (const Case& c : cases) {
        functions->SelectItem(3, false);
        keys->SelectItem(2, false);
        hid::SupportedDeviceRecord record;
        record.productCode = c.productCode;
        device_.SetIdentity(record);
        device_.SelectFunctionTab(c.type);
        EXPECT_EQ(device_.GetFunctionType(), c.type);
        EXPECT_EQ(functions->GetCurSel(), c.functionPage) << "type " << c.type;
        if (c.keyPage >= 0) {
            EXPECT_EQ(keys->GetCurSel(), c.keyPage) << "type " << c.type;
        }
    }
}

TEST_F(ZentrixUSBDeviceTest, TheEventThreadAsksForAReadAndBothThreadsStopWithTheirLines) {
    Connect();
    devices::DeviceDriver& driver = device_.deviceDriver();
    platform::DebugOutput::Capture capture;
    std::atomic<int> asked{0};
    driver.SetSyncRequestHandler([&asked] { ++asked; });
    ASSERT_TRUE(driver.OpenEventInterface(Path(3)));
    ASSERT_TRUE(driver.eventInterfaceOpen());
    ASSERT_TRUE(server_.InjectEvent("keyboard", 0x1101));
    ASSERT_TRUE(server_.InjectEvent("keyboard", devices::DeviceDriver::kSyncRequestCode));
    for (int i = 0; i < 200 && asked == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(asked.load(), 1) << "only 0x401 asks for a read";
    EXPECT_TRUE(capture.Contains("接收到自动添加设备的同步信息要求"));

    driver.frame().SetLightCount(4);
    driver.StartLightingThread();
    for (int i = 0; i < 200 && device_.lights().GetLight(0).level == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(device_.lights().GetLight(0), (devices::LightEntry{255, 0, 0, 255, {}}))
        << "the static step ran";

    driver.StopLightingThread();
    driver.CloseEventInterface();
    EXPECT_FALSE(driver.lightingThreadRunning());
    EXPECT_FALSE(driver.eventInterfaceOpen());
    EXPECT_TRUE(capture.Contains("MS灯光线程设定退出"));
    EXPECT_TRUE(capture.Contains("MS设备同步线程设定退出"));
    EXPECT_TRUE(capture.Contains("线程退出：：对象处于激发状态\n"));
}

}  // namespace
}  // namespace marlo::pages
