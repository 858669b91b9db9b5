// Windows, modal loops, menus, the tray icon, languages and notification routing.
#include <fstream>

#include "support/TempDir.h"
#include "ui/ControlUI.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/MenuWnd.h"
#include "ui/ResourceManager.h"
#include "ui/TrayIcon.h"
#include "ui/WindowImplBase.h"

#include <gtest/gtest.h>

namespace marlo::ui {
namespace {

constexpr uint32_t kTrayMessage = kWmUser + 1;

class TestWindow : public WindowImplBase {
  public:
    explicit TestWindow(std::string skin) : skin_(std::move(skin)) {
        OnNotify(notify::kWindowInit, [this](TNotifyUI&) { ++windowInits; });
        OnNotify(notify::kClick, [this](TNotifyUI& msg) {
            clicks.push_back(msg.pSender->GetName());
            if (msg.pSender->GetName() == "okbtn")
                Close(1);
            if (msg.pSender->GetName() == "cancelbtn")
                Close(0);
        });
    }
    std::string GetWindowClassName() const override { return "TestWnd"; }
    std::string GetSkinFile() override { return skin_; }
    void InitWindow() override { ++initWindows; }
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t, intptr_t lParam,
                                 bool& handled) override {
        if (message == kWmMenuCommand) {
            const MenuCmd* cmd = MessagePayload<MenuCmd>();
            menuCommands.push_back(cmd != nullptr ? cmd->name + "/" + cmd->text : "(none)");
            handled = true;
        } else if (message == kTrayMessage) {
            trayClicks.push_back(lParam);
            handled = true;
        } else if (message == kWmDestroy) {
            destroyed = true;
        }
        return 0;
    }

    std::string skin_;
    int windowInits = 0;
    int initWindows = 0;
    bool destroyed = false;
    std::vector<std::string> clicks;
    std::vector<std::string> menuCommands;
    std::vector<intptr_t> trayClicks;
};

class WindowsTest : public ::testing::Test {
  protected:
    WindowsTest() {
        CPaintManagerUI::SetResourcePath(dir_.path().string());
        std::ofstream(dir_ / "dialog.xml") << R"(<Window size="420,200"><VerticalLayout name="root">
            <Label name="caption" text="message_ok" resourcetext="true"/><Label name="plain" text="message_ok"/>
            <Button name="okbtn" tooltip="message_ok"/><Button name="cancelbtn" tooltip="Cancel it"/>
            <HorizontalLayout virtualwnd="page"><Button name="page_btn"/></HorizontalLayout>
            </VerticalLayout></Window>)";
        std::filesystem::create_directories(dir_ / "lang");
        std::ofstream(dir_ / "lang/en.xml")
            << R"(<Language name="en"><Text id="message_ok">OK</Text></Language>)";
        std::ofstream(dir_ / "lang/de.xml")
            << R"(<Language name="de"><Text id="message_ok">Jawohl</Text></Language>)";
        std::ofstream(dir_ / "menu.xml") << R"(<Menu><MenuElement name="about_menu" text="About"/>
            <MenuElement name="exit" text="message_ok" resourcetext="true"/><MenuElement name="off" enabled="false"/></Menu>)";
    }
    ~WindowsTest() override { CResourceManager::GetInstance().Release(); }

    marlo::test::TempDir dir_;
    HeadlessBackend backend_;
};

TEST_F(WindowsTest, CreateInitAndModalResults) {
    for (const auto& [button, result] : {std::pair{"okbtn", 1u}, std::pair{"cancelbtn", 0u}}) {
        TestWindow window("dialog.xml");
        ASSERT_TRUE(window.Create(nullptr, "Dialog", 0, 0, 100, 100));
        EXPECT_TRUE(window.skinErrors().empty());
        EXPECT_EQ(window.GetRect().width, 420) << "the skin's size";
        window.CenterWindow();
        EXPECT_EQ(window.GetRect().x, (1920 - 420) / 2);
        EXPECT_EQ(window.initWindows, 1);
        EXPECT_EQ(window.windowInits, 0) << "windowinit comes from the loop";
        // The user clicks once the modal loop runs.
        backend_.loop().Post(
            [&window, button = button] { HeadlessUser(window.GetPaintManager()).Click(button); });
        EXPECT_EQ(window.ShowModal(), result);
        EXPECT_EQ(window.windowInits, 1);
        EXPECT_TRUE(window.destroyed);
        EXPECT_FALSE(window.IsWindow());
    }
}

TEST_F(WindowsTest, VirtualWindowsGetTheirOwnNotifications) {
    struct Page : CNotifyPump {
        std::vector<std::string> clicks;
        Page() {
            OnNotify(notify::kClick,
                     [this](TNotifyUI& m) { clicks.push_back(m.pSender->GetName()); });
        }
    } page;
    TestWindow window("dialog.xml");
    window.Create(nullptr, "w", 0, 0, 10, 10);
    window.AddVirtualWnd("page", &page);
    HeadlessUser user(window.GetPaintManager());
    user.Click("page_btn");
    user.Click("okbtn");
    EXPECT_EQ(page.clicks, std::vector<std::string>{"page_btn"});
    EXPECT_EQ(window.clicks, std::vector<std::string>{"okbtn"});
}

TEST_F(WindowsTest, LanguageTextsAndReload) {
    TestWindow window("dialog.xml");
    window.Create(nullptr, "w", 0, 0, 10, 10);
    CPaintManagerUI& pm = window.GetPaintManager();
    auto& resources = CResourceManager::GetInstance();
    EXPECT_EQ(pm.FindControl("caption")->GetShownText(), "message_ok") << "no language yet";
    ASSERT_TRUE(resources.LoadLanguage("en.xml"));
    resources.SetLanguage("en");
    resources.ReloadText();
    EXPECT_EQ(pm.FindControl("caption")->GetShownText(), "OK");
    EXPECT_EQ(pm.FindControl("plain")->GetShownText(), "message_ok") << "flag not set";
    const int before = backend_.Redraws(pm.FindControl("caption"));
    const int plainBefore = backend_.Redraws(pm.FindControl("plain"));
    ASSERT_TRUE(resources.LoadLanguage("de.xml"));
    resources.ReloadText();
    EXPECT_EQ(pm.FindControl("caption")->GetShownText(), "Jawohl");
    EXPECT_EQ(pm.FindControl("okbtn")->GetShownToolTip(), "Jawohl") << "a tooltip the language has";
    EXPECT_EQ(pm.FindControl("cancelbtn")->GetShownToolTip(), "Cancel it") << "one it has not";
    EXPECT_EQ(backend_.Redraws(pm.FindControl("caption")), before + 1);
    EXPECT_EQ(backend_.Redraws(pm.FindControl("plain")), plainBefore);
    EXPECT_FALSE(resources.LoadLanguage("missing.xml"));
    EXPECT_EQ(pm.FindControl("caption")->GetShownText(), "Jawohl") << "texts stay";

    struct Query : IQueryControlText {
        std::string QueryControlText(std::string_view id, const CControlUI*) override {
            return id == "message_ok" ? "from the program" : "";
        }
    } query;
    resources.SetTextQueryInterface(&query);
    EXPECT_EQ(pm.FindControl("caption")->GetShownText(), "from the program");
    resources.SetTextQueryInterface(nullptr);
}

TEST_F(WindowsTest, MenuCommandsAndTrayClicksReachTheOwner) {
    TestWindow window("dialog.xml");
    window.Create(nullptr, "w", 0, 0, 10, 10);
    ASSERT_TRUE(CResourceManager::GetInstance().LoadLanguage("en.xml"));

    CTrayIcon tray;
    ASSERT_TRUE(tray.CreateTrayIcon(window.GetHWND(), 107, "Marlo Gear", kTrayMessage));
    backend_.ClickTray(kWmRButtonUp);
    backend_.RunFor(5);
    EXPECT_EQ(window.trayClicks, std::vector<intptr_t>{kWmRButtonUp});

    CMenuWnd menu;
    ASSERT_TRUE(menu.Init(window.GetHWND(), "menu.xml", 100, 200,
                          CMenuWnd::kAlignLeft | CMenuWnd::kAlignBottom));
    EXPECT_EQ(backend_.openMenu(), &menu);
    EXPECT_FALSE(backend_.ChooseMenuItem("off")) << "a disabled item";
    ASSERT_TRUE(backend_.ChooseMenuItem("exit"));
    EXPECT_EQ(backend_.openMenu(), nullptr);
    backend_.RunFor(5);
    EXPECT_EQ(window.menuCommands, std::vector<std::string>{"exit/OK"});

    tray.DeleteTrayIcon();
    EXPECT_TRUE(backend_.trayIcons().empty());
    backend_.SetTrayAvailable(false);
    CTrayIcon nowhere;
    EXPECT_FALSE(nowhere.CreateTrayIcon(window.GetHWND(), 107, "Marlo Gear", kTrayMessage));
}

TEST_F(WindowsTest, BringToFrontAndFonts) {
    TestWindow a("dialog.xml");
    TestWindow b("dialog.xml");
    a.Create(nullptr, "a", 0, 0, 10, 10);
    b.Create(nullptr, "b", 0, 0, 10, 10);
    b.ShowWindow(true, true);
    EXPECT_EQ(backend_.frontWindow(), &b);
    a.BringToFront();
    EXPECT_EQ(backend_.frontWindow(), &a);
    EXPECT_TRUE(a.IsVisible());
    EXPECT_EQ(backend_.AddFontFromMemory({'O', 'T', 'T', 'O', 0}), "font-1");
    EXPECT_EQ(backend_.AddFontFromMemory({'n', 'o', 'p', 'e'}), "");
    a.GetPaintManager().SetDPI(144);
    EXPECT_EQ(a.GetPaintManager().Scale(100), 150);
}

}  // namespace
}  // namespace marlo::ui
