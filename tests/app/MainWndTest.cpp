// The main window shell on the headless display: tray, showing and hiding, fitting to the
// screen, the menu's exit, second starts, messages from other programs.
#include "MainWnd.h"

#include <gtest/gtest.h>
#include <fstream>
#include "platform/AtomicFile.h"
#include "platform/JsonDocument.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "EndpointDelivery.h"
#include "platform/EndpointReply.h"
#include "platform/Event.h"
#include "SetWnd.h"
#include "platform/MessageRegistry.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/ResourceManager.h"

namespace marlo::app {
namespace {

class MainWndTest : public ::testing::Test {
  protected:
    MainWndTest()
        : resources_("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR)),
          data_("XDG_DATA_HOME", (dir_ / "data").string()) {
        ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
        ui::CResourceManager::GetInstance().LoadResource(std::string(MARLO_DATA_DIR) +
                                                         "/skin/res.xml");
    }
    ~MainWndTest() override { ui::CResourceManager::GetInstance().Release(); }

    std::unique_ptr<CMainWnd> Start() {
        // No discovery: its first pass would bring the window to the front.
        CMainWnd::Options options;
        options.discovery = false;
        auto wnd = std::make_unique<CMainWnd>(kInstance, options);
        EXPECT_TRUE(wnd->Create(nullptr, "Marlo Gear", 0, 0, 800, 572));
        EXPECT_TRUE(wnd->skinErrors().empty());
        wnd->CenterWindow();
        backend_.RunFor(150);  // windowinit, then the fit-to-screen timer
        return wnd;
    }

    static inline const uint32_t kInstance = platform::MessageRegistry::Register("Marlo Gear");
    marlo::test::TempDir dir_;
    marlo::test::ScopedEnv resources_;
    marlo::test::ScopedEnv data_;
    ui::HeadlessBackend backend_;
};

TEST_F(MainWndTest, StartsInTheTrayAndTheTrayTogglesIt) {
    auto wnd = Start();
    EXPECT_EQ(wnd->GetWindowClassName(), "MainWnd");
    EXPECT_FALSE(wnd->IsVisible());
    ASSERT_EQ(backend_.trayIcons().size(), 1u);
    EXPECT_EQ((*backend_.trayIcons().begin())->GetTooltipText(), "Marlo Gear");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "data/Marlo Gear/AudioFile.json"));

    backend_.ClickTray(ui::kWmLButtonUp);
    backend_.RunFor(20);
    EXPECT_TRUE(wnd->IsVisible());
    EXPECT_EQ(backend_.frontWindow(), wnd.get());
    // 1920 x 1080 is wider than 1500 and taller than 960: laid out at DPI 144.
    EXPECT_EQ(wnd->GetPaintManager().GetDPI(), 144);
    EXPECT_EQ(wnd->GetRect().width, 1500);
    EXPECT_EQ(wnd->GetRect().height, 960);
    EXPECT_EQ(wnd->GetRect().x, (1920 - 1500) / 2);
    EXPECT_TRUE(wnd->GetPaintManager().FindControl("No_device_Link")->IsVisible());

    backend_.ClickTray(ui::kWmLButtonUp);
    backend_.RunFor(20);
    EXPECT_FALSE(wnd->IsVisible());
}

TEST_F(MainWndTest, TheKeyboardWalksTheWindowInLayoutOrderAndPressesButtons) {
    auto wnd = Start();
    wnd->BringToFront();
    ui::HeadlessUser user(wnd->GetPaintManager());
    std::vector<std::string> order;
    for (int i = 0; i < 11; ++i) {
        ASSERT_TRUE(user.PressWindowKey(ui::kVkTab));
        order.push_back(wnd->GetPaintManager().GetFocus()->GetName());
    }
    const std::vector<std::string> expected = {"gamemodebtn",
                                               "cloudbtn",
                                               "smarteyesbtn",
                                               "skinbtn",
                                               "setbtn",
                                               "minbtn",
                                               "maxbtn",
                                               "closebtn",
                                               "device_select_prev",
                                               "device_select_next",
                                               "control_light_status"};
    EXPECT_EQ(order, expected) << "the hidden restore button is left out";
    ASSERT_TRUE(user.PressWindowKey(ui::kVkTab, true));
    ASSERT_TRUE(user.PressWindowKey(ui::kVkTab, true));
    EXPECT_EQ(wnd->GetPaintManager().GetFocus()->GetName(), "device_select_prev")
        << "Shift+Tab goes back";
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(user.PressWindowKey(ui::kVkTab, true));
    }
    ASSERT_EQ(wnd->GetPaintManager().GetFocus()->GetName(), "maxbtn");
    ASSERT_TRUE(user.PressWindowKey(ui::kVkTab));
    ASSERT_TRUE(wnd->IsVisible());
    ASSERT_TRUE(user.PressWindowKey(ui::kVkSpace));
    EXPECT_FALSE(wnd->IsVisible()) << "Space pressed the close button";
}

TEST_F(MainWndTest, SkinDpiFollowsTheMonitor) {
    const std::pair<ui::UiRect, int> cases[] = {{{0, 0, 1920, 1080}, 144},
                                                {{0, 0, 1501, 961}, 144},
                                                {{0, 0, 1500, 1080}, 96},
                                                {{0, 0, 1920, 960}, 96},
                                                {{0, 0, 1366, 768}, 96}};
    for (const auto& [monitor, dpi] : cases) {
        EXPECT_EQ(CMainWnd::SkinDpiFor(monitor), dpi) << monitor.width << "x" << monitor.height;
    }
    backend_.SetScreen({0, 0, 1366, 768}, 96);
    auto wnd = Start();
    wnd->BringToFront();
    wnd->FitToScreen();
    EXPECT_EQ(wnd->GetRect().width, 1000);
    EXPECT_EQ(wnd->GetRect().height, 640);
}

TEST_F(MainWndTest, CloseButtonHidesAndExitEndsWithZero) {
    auto wnd = Start();
    wnd->BringToFront();
    ui::HeadlessUser user(wnd->GetPaintManager());
    ASSERT_TRUE(user.Click("closebtn"));
    EXPECT_FALSE(wnd->IsVisible());
    EXPECT_FALSE(backend_.loop().quitting()) << "closing only hides";
    EXPECT_EQ(backend_.trayIcons().size(), 1u);

    backend_.ClickTray(ui::kWmRButtonUp);
    backend_.RunFor(40);  // the menu opens from a 10 ms timer
    ASSERT_NE(backend_.openMenu(), nullptr);
    std::vector<std::string> names;
    for (const auto& item : backend_.openMenu()->items())
        names.push_back(item.name);
    EXPECT_EQ(names, (std::vector<std::string>{"about_menu", "setwnd_menu", "exit"}));
    ASSERT_TRUE(backend_.ChooseMenuItem("exit"));
    backend_.RunFor(20);
    EXPECT_TRUE(backend_.loop().quitting());
    EXPECT_FALSE(wnd->IsWindow());
    EXPECT_TRUE(backend_.trayIcons().empty());
}

TEST_F(MainWndTest, WithoutATrayTheWindowStartsShownAndClosingItSaysTheProgramGoesOn) {
    marlo::test::ScopedEnv config("XDG_CONFIG_HOME", (dir_ / "config").string());
    ui::CResourceManager::GetInstance().LoadLanguage("lang_en_US.xml");
    backend_.SetTrayAvailable(false);
    auto wnd = Start();
    EXPECT_TRUE(wnd->IsVisible());
    // The notice: the person ticks "do not show again" and confirms.
    std::string said;
    const auto answer = [&](bool tick) {
        backend_.loop().Post([&said, tick] {
            auto* box = dynamic_cast<ui::WindowImplBase*>(ui::CWindowWnd::FindWindow("MsgWnd"));
            ASSERT_NE(box, nullptr);
            said = box->GetPaintManager().FindControl("MessageText")->GetShownText();
            ui::HeadlessUser user(box->GetPaintManager());
            if (tick) {
                ASSERT_TRUE(user.Click("msg_dont_show"));
            }
            ASSERT_TRUE(user.Click("confirm_btn"));
        });
    };
    answer(false);
    ASSERT_TRUE(ui::HeadlessUser(wnd->GetPaintManager()).Click("closebtn"));
    EXPECT_FALSE(wnd->IsVisible());
    EXPECT_NE(said.find("keeps running"), std::string::npos) << said;

    wnd->BringToFront();
    said.clear();
    ASSERT_TRUE(ui::HeadlessUser(wnd->GetPaintManager()).Click("closebtn"));
    EXPECT_TRUE(said.empty()) << "once a run";
    backend_.RunFor(20);  // the unused answer runs with no box to answer

    wnd.reset();
    wnd = Start();
    answer(true);
    ASSERT_TRUE(ui::HeadlessUser(wnd->GetPaintManager()).Click("closebtn"));
    EXPECT_FALSE(said.empty()) << "a new run tells it again";
    wnd.reset();
    wnd = Start();
    said.clear();
    ASSERT_TRUE(ui::HeadlessUser(wnd->GetPaintManager()).Click("closebtn"));
    EXPECT_TRUE(said.empty()) << "until the person asked not to be told";
    EXPECT_FALSE(wnd->IsVisible());
}

// What the endpoint does with a request of another program: hands it on, then waits for its
// answer (the UI thread runs meanwhile on the test's thread).
std::string DeliverAndWait(CEndpointDelivery& delivery, const platform::EndpointRequest& request) {
    auto answered = std::make_shared<platform::Event>(platform::Event::Reset::kManual);
    const platform::EndpointReply reply(answered);
    delivery.Deliver(request, reply);
    answered->Wait(10000);
    return reply.answer().value_or("(no answer)");
}

TEST_F(MainWndTest, OtherProgramsReachTheWindowFromAnotherThread) {
    auto wnd = Start();
    CEndpointDelivery delivery(backend_.loop());
    std::string posted;
    std::string copied;
    std::string missing;
    std::atomic<bool> finished{false};
    std::thread other([&] {
        platform::EndpointRequest post;
        post.message = "Marlo Gear";  // what a second start sends
        post.lParam = 1;
        posted = DeliverAndWait(delivery, post);
        platform::EndpointRequest copy;
        copy.kind = platform::EndpointRequest::Kind::kCopyData;
        copy.dataKind = 1;
        copy.data = std::string(2000, 'x');
        copied = DeliverAndWait(delivery, copy);
        copy.window = "NoSuchWindow";
        missing = DeliverAndWait(delivery, copy);
        finished = true;
    });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!finished && std::chrono::steady_clock::now() < deadline) {
        backend_.RunFor(5);
    }
    other.join();
    backend_.RunFor(10);
    EXPECT_EQ(posted, "");
    EXPECT_TRUE(wnd->IsVisible()) << "the instance message brings the window to the front";
    EXPECT_EQ(backend_.frontWindow(), wnd.get());
    EXPECT_EQ(copied, "");
    EXPECT_EQ(wnd->spectrum().size(), static_cast<size_t>(CMainWnd::kCopyDataBufferSize))
        << "a block longer than its buffer is cut";
    EXPECT_EQ(missing, "no window NoSuchWindow");
}

TEST_F(MainWndTest, OtherProgramsMayPostOnlyTheMessagesMeantForThem) {
    auto wnd = Start();
    CEndpointDelivery delivery(backend_.loop());
    struct Case {
        const char* message;
        bool accepted;
    };
    // Copy-data, menu commands and other private numbers would carry pointers: never from
    // outside. Unknown names are not registered on another program's behalf.
    const Case cases[] = {{"0x4A", false},     {"74", false},     {"0x479", false},
                          {"1145", false},     {"0x0401", false}, {"0x2E0", false},
                          {"0xC12", false},    {"0xFFFF", false}, {"Not Registered", false},
                          {"0xC00", true},     {"0xC15", true},   {"0x218", true},
                          {"Marlo Gear", true}};
    std::vector<std::string> answers(std::size(cases));
    std::atomic<bool> finished{false};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    // 0xC15 opens the settings window, modally: closed again as soon as it shows.
    bool settingsShown = false;
    std::function<void()> closeSettings = [&] {
        if (auto* settings = dynamic_cast<CSetWnd*>(ui::CWindowWnd::FindWindow("SetWnd"))) {
            settingsShown = true;
            settings->Leave();
        } else if (std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            backend_.loop().Post(closeSettings);
        }
    };
    backend_.loop().Post(closeSettings);
    std::thread other([&] {
        for (size_t i = 0; i < std::size(cases); ++i) {
            platform::EndpointRequest post;
            post.message = cases[i].message;
            post.wParam = 4096;  // as a made-up pointer would be
            answers[i] = DeliverAndWait(delivery, post);
        }
        finished = true;
    });
    while ((!finished || !settingsShown) && std::chrono::steady_clock::now() < deadline) {
        backend_.RunFor(5);
    }
    other.join();
    backend_.RunFor(10);
    EXPECT_TRUE(settingsShown) << "0xC15 opens the settings window";
    for (size_t i = 0; i < std::size(cases); ++i) {
        if (cases[i].accepted) {
            EXPECT_EQ(answers[i], "") << cases[i].message;
        } else {
            EXPECT_EQ(answers[i], std::string("message ") + cases[i].message +
                                      " is not accepted from other programs");
        }
    }
    EXPECT_TRUE(wnd->IsWindow()) << "nothing posted from outside harmed the window";
    EXPECT_EQ(platform::MessageRegistry::Find("Not Registered"), 0u);
}

TEST_F(MainWndTest, AnUnusableStylesFileIsKeptBeforeTheFactoryCopyReplacesIt) {
    const auto folder = dir_ / "data" / "Marlo Gear";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "AudioFile.json") << "{ \"Device\": { cut short";
    auto wnd = Start();
    bool kept = false;
    for (const auto& e : std::filesystem::directory_iterator(folder)) {
        kept |= e.path().filename().string().starts_with("AudioFile.json.unreadable-") &&
                platform::ReadWholeFile(e.path(), 1000) == "{ \"Device\": { cut short";
    }
    EXPECT_TRUE(kept) << "the person's styles are kept beside";
    EXPECT_TRUE(platform::JsonDocument::Read(folder / "AudioFile.json").isObject())
        << "and the factory styles take their place";
}

}  // namespace
}  // namespace marlo::app
