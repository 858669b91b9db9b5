// The settings window with its update check against a local service, the about window, and
// the language: its fonts, its keeping, and every open window following it.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "AboutWnd.h"
#include "ColorSelectWnd.h"
#include "MusicWnd.h"
#include "MainWnd.h"
#include "SetWnd.h"
#include "UpdateInfoListItemUI.h"
#include "online/UpdateService.h"
#include "platform/AtomicFile.h"
#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"
#include "platform/MessageEndpoint.h"
#include "platform/OtherWindows.h"
#include "platform/Paths.h"
#include "profiles/AudioStyles.h"
#include "profiles/RecentColours.h"
#include "platform/MessageRegistry.h"
#include "platform/SettingsKey.h"
#include "platform/SettingsStore.h"
#include "support/HttpTestServer.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/WindowRecorder.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/ResourceManager.h"

namespace marlo::app {
namespace {

// What was kept aside beside `file` (its ".unreadable-" backups), each as it was.
std::vector<std::string> BackupsOf(const std::filesystem::path& file) {
    std::vector<std::string> held;
    for (const auto& e : std::filesystem::directory_iterator(file.parent_path())) {
        if (e.path().filename().string().starts_with(file.filename().string() + ".unreadable-")) {
            held.push_back(*platform::ReadWholeFile(e.path(), 1024 * 1024));
        }
    }
    return held;
}

using test::HttpTestServer;

class SettingsWindowTest : public ::testing::Test {
  protected:
    SettingsWindowTest()
        : resources_("MARLO_RESOURCE_DIR", std::string(MARLO_DATA_DIR)),
          data_("XDG_DATA_HOME", (dir_ / "data").string()),
          config_("XDG_CONFIG_HOME", (dir_ / "config").string()),
          url_("MARLO_UPDATE_URL", std::nullopt) {
        ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
        ui::CResourceManager::GetInstance().LoadResource(std::string(MARLO_DATA_DIR) +
                                                         "/skin/res.xml");
        ui::CResourceManager::GetInstance().LoadLanguage("lang_en_US.xml");
        // The key installation makes, in English.
        platform::SettingsStore::UserStore()
            .CreateKey("SOFTWARE\\Marlo Gear")
            ->WriteDword("LANGUAGE", 1033);
    }
    ~SettingsWindowTest() override { ui::CResourceManager::GetInstance().Release(); }

    std::unique_ptr<CMainWnd> StartMain() {
        CMainWnd::Options options;
        options.discovery = false;
        auto wnd = std::make_unique<CMainWnd>(kInstance, options);
        EXPECT_TRUE(wnd->Create(nullptr, "Marlo Gear", 0, 0, 800, 572));
        backend_.RunFor(150);
        wnd->ApplyLanguage(1);
        return wnd;
    }

    // Runs the loop until `done`, for ten seconds at most.
    bool RunUntil(const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            backend_.RunFor(5);
        }
        return true;
    }

    // Does `step` inside the running modal loop once `ready` holds.
    void WhenReady(std::function<bool()> ready, std::function<void()> step) {
        backend_.loop().Post([this, ready, step] {
            if (ready()) {
                step();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            WhenReady(ready, step);
        });
    }

    std::unique_ptr<CSetWnd> OpenSettings(std::vector<online::UpdateItem> items,
                                          ui::CWindowWnd* main = nullptr) {
        auto wnd = std::make_unique<CSetWnd>(main, 1, std::move(items));
        EXPECT_TRUE(wnd->Create(nullptr, "SetWnd", 0, 0, 0, 0));
        EXPECT_TRUE(wnd->skinErrors().empty());
        wnd->Prepare(96);
        wnd->ShowWindow(true, false);
        return wnd;
    }

    static std::string Shown(ui::WindowImplBase& w, const char* name) {
        ui::CControlUI* c = w.GetPaintManager().FindControl(name);
        return c != nullptr ? c->GetShownText() : "(none)";
    }

    static inline const uint32_t kInstance = platform::MessageRegistry::Register("Marlo Gear");
    static online::UpdateItem Keyboard() {
        return {1, 1, 0x0102, "KORVA", "QK27T02B", "KB", "KB", ""};
    }
    static online::UpdateItem Program() { return {0, 1, 10, "KORVA", "ALL", "KB", "AP", ""}; }

    test::TempDir dir_;
    test::ScopedEnv resources_;
    test::ScopedEnv data_;
    test::ScopedEnv config_;
    test::ScopedEnv url_;
    ui::HeadlessBackend backend_;
};

TEST_F(SettingsWindowTest, ShowsEachItemAndOffersTheUpdatesTheServiceHas) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, [](const HttpTestServer::Request& r) {
        const bool keyboard = r.body.find("QK27T02B") != std::string::npos;
        return HttpTestServer::Answer{
            keyboard ? R"({"name":"KB","version":"0103","path":"https://example.com/kb.bin"})"
                     : R"({"name":"AP","version":"10","path":"file:///etc/passwd"})"};
    });
    test::ScopedEnv url("MARLO_UPDATE_URL", server.BaseAddress());
    auto wnd = OpenSettings({Keyboard(), Program()});
    // The rows are there at once, before any answer.
    ASSERT_EQ(wnd->Rows().size(), 2u);
    EXPECT_EQ(Shown(*wnd, "Update_Status_text"), "Checking for updates…");
    ASSERT_TRUE(RunUntil([&] { return wnd->state() != 0; }));

    EXPECT_EQ(wnd->state(), online::UpdateCheck::kHaveUpdates);
    EXPECT_EQ(Shown(*wnd, "Update_Status_text"), "Updates are available.");
    EXPECT_TRUE(wnd->GetPaintManager().FindControl("update_tishi_layout")->IsVisible());
    const auto rows = wnd->Rows();
    EXPECT_EQ(rows[0]->FindSubControl("OldRev")->GetShownText(), "V0102");
    EXPECT_EQ(rows[0]->FindSubControl("updateRev")->GetShownText(), "V0103");
    EXPECT_EQ(rows[0]->FindSubControl("update_status_text")->GetShownText(), "Update available");
    EXPECT_TRUE(rows[0]->IsChosen());
    EXPECT_EQ(rows[1]->FindSubControl("update_status_text")->GetShownText(), "Up to date");
    EXPECT_FALSE(rows[1]->IsChosen());
    EXPECT_FALSE(wnd->lastCheckDate().empty());

    ui::HeadlessUser user(wnd->GetPaintManager());
    ASSERT_TRUE(user.Click("update_fw_and_ap"));
    ASSERT_TRUE(user.Click("update_OK_btn"));
    // Only the web address is handed to the browser.
    EXPECT_EQ(backend_.openedAddresses(), (std::vector<std::string>{"https://example.com/kb.bin"}));
    EXPECT_EQ(rows[0]->rowText(), CUpdateInfoListItemUI::RowText::kDownloading);
    EXPECT_FALSE(wnd->GetPaintManager().FindControl("update_fw_and_ap")->IsEnabled());
    ASSERT_TRUE(user.Click("set_in_update_wnd_btn"));
    EXPECT_FALSE(wnd->GetPaintManager().FindControl("update_tishi_layout")->IsVisible());
}

TEST_F(SettingsWindowTest, WithoutAServiceTheCheckSaysItCannotReachIt) {
    auto wnd = OpenSettings({Keyboard(), Program()});
    ASSERT_TRUE(RunUntil([&] { return wnd->state() != 0; }));
    EXPECT_EQ(wnd->state(), online::UpdateCheck::kUnreachable);
    EXPECT_EQ(Shown(*wnd, "Update_Status_text"), "The update service cannot be reached.");
    for (CUpdateInfoListItemUI* row : wnd->Rows()) {
        EXPECT_EQ(row->status(), online::UpdateResult::kUpToDate);
        EXPECT_FALSE(row->IsChosen());
    }
    EXPECT_FALSE(wnd->GetPaintManager().FindControl("update_fw_and_ap")->IsVisible());
}

TEST_F(SettingsWindowTest, ClosingDuringASlowAnswerEndsTheCheckAtOnce) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, [](const HttpTestServer::Request&) {
        return HttpTestServer::Answer{R"({"name":"AP","version":"99"})", 3};  // then silence
    });
    test::ScopedEnv url("MARLO_UPDATE_URL", server.BaseAddress());
    auto wnd = OpenSettings({Program()});
    ASSERT_TRUE(RunUntil([&] { return !server.Requests().empty(); }));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(ui::HeadlessUser(wnd->GetPaintManager()).Click("closebtn"));
    backend_.RunFor(20);
    EXPECT_FALSE(wnd->IsWindow());
    wnd.reset();  // waits for the thread, which the stop already ended
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5))
        << "the check waited for the service instead of ending";
}

TEST_F(SettingsWindowTest, AnUpToDateCheckClearsTheBadgeAndTheLanguageRetextsTheOpenWindow) {
    HttpTestServer server(HttpTestServer::Scheme::kHttp, [](const HttpTestServer::Request&) {
        return HttpTestServer::Answer{R"({"name":"AP","version":"10"})"};
    });
    test::ScopedEnv url("MARLO_UPDATE_URL", server.BaseAddress());
    backend_.SetInstalledFamilies({"Noto Sans", "Noto Sans CJK SC"});
    auto main = StartMain();
    ui::CControlUI* setbtn = main->GetPaintManager().FindControl("setbtn");
    setbtn->SetAttribute("foreimage", "common/status/update.png");  // the badge

    std::string english;
    std::string chinese;
    std::string title;
    WhenReady(
        [&] {
            return main->children().settings() != nullptr &&
                   main->children().settings()->state() != 0;
        },
        [&] {
            CSetWnd& settings = *main->children().settings();
            english = Shown(settings, "Update_Status_text");
            // Simplified Chinese, picked in the window's own combo box.
            ASSERT_TRUE(ui::HeadlessUser(settings.GetPaintManager())
                            .PickComboItem("Language_combox_info", 0));
            chinese = Shown(settings, "Update_Status_text");
            title = Shown(settings, "set_title");
            ASSERT_TRUE(ui::HeadlessUser(settings.GetPaintManager()).Click("closebtn"));
        });
    ASSERT_TRUE(ui::HeadlessUser(main->GetPaintManager()).ClickControl(setbtn));
    EXPECT_EQ(main->children().settings(), nullptr) << "closed";

    const std::string date = online::UpdateTimeFile::UserFile().ReadOrCreate();
    EXPECT_EQ(english, "Everything is up to date. Last checked: " + date);
    EXPECT_EQ(chinese, "已是最新版本。上次检查： " + date);
    EXPECT_EQ(title, "设置");
    EXPECT_EQ(setbtn->GetAttribute("foreimage").value_or(""), "") << "badge cleared";
    EXPECT_EQ(main->currentLanguage(), 0);
    EXPECT_EQ(
        platform::SettingsStore::UserStore().OpenKey("SOFTWARE\\Marlo Gear")->ReadDword("LANGUAGE"),
        2052u);
    EXPECT_EQ(ui::CPaintManagerUI::GetSharedDefaultFace(), "Noto Sans CJK SC");
}

TEST_F(SettingsWindowTest, LanguagesWithTheirOwnWritingChangeTheFontsAndOthersKeepThem) {
    backend_.SetInstalledFamilies({"Noto Sans", "Loma", "Noto Sans CJK TC"});
    auto main = StartMain();  // English: the shared face, with the Latin stand-in
    const auto face = [] { return ui::CPaintManagerUI::GetSharedDefaultFace(); };
    EXPECT_EQ(face(), "Noto Sans");
    ASSERT_NE(ui::CPaintManagerUI::GetSharedFont(50), nullptr);
    EXPECT_TRUE(ui::CPaintManagerUI::GetSharedFont(50)->bold);
    EXPECT_EQ(ui::CPaintManagerUI::GetSharedFont(3)->size, 30);

    struct Step {
        int index;
        const char* face;  // the face afterwards
        bool saved;
    };
    const Step steps[] = {
        {3, "Noto Sans", true},          // Japanese: the fonts stay
        {15, "Loma", true},              // Thai: its own face, stood in for
        {2, "Noto Sans CJK TC", true},   // Traditional Chinese
        {2, "Noto Sans CJK TC", false},  // the current one: nothing happens
        {1, "Noto Sans", true},          // English again: the shared face back
    };
    for (const Step& step : steps) {
        platform::DebugOutput::Capture capture;
        main->ApplyLanguage(step.index);
        EXPECT_EQ(face(), step.face) << step.index;
        EXPECT_EQ(capture.Contains("写成功！"), step.saved) << step.index;
        EXPECT_EQ(main->currentLanguage(), step.index);
    }
}

TEST_F(SettingsWindowTest, TheAboutWindowTellsTheVersionAndFollowsTheLanguage) {
    auto main = StartMain();
    std::string version;
    std::string licence;
    WhenReady([&] { return main->children().about() != nullptr; },
              [&] {
                  CAboutWnd& about = *main->children().about();
                  EXPECT_EQ(about.GetRect().width, 800);
                  main->ApplyLanguage(2);
                  version = Shown(about, "about_version");
                  licence = Shown(about, "about_licence");
                  ASSERT_TRUE(ui::HeadlessUser(about.GetPaintManager()).Click("about_ok_btn"));
              });
    backend_.loop().Post([&] { main->children().OpenAbout(96); });
    ASSERT_TRUE(RunUntil([&] { return !version.empty(); }));
    EXPECT_EQ(version, "版本 " + CAboutWnd::Version());
    EXPECT_EQ(licence, "授權條款： " + CAboutWnd::Licence());
}

TEST_F(SettingsWindowTest, TheMusicStylesAreKeptOnlyOnOkAndTheCompanionGetsTheStylesColour) {
    std::filesystem::create_directories(dir_ / "run");
    std::filesystem::permissions(dir_ / "run", std::filesystem::perms::owner_all);
    test::ScopedEnv runtime("XDG_RUNTIME_DIR", (dir_ / "run").string());
    auto main = StartMain();
    const auto file = platform::Paths::ProductFolder() / "AudioFile.json";
    const auto bytes = [&] {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const std::string before = bytes();
    ASSERT_FALSE(before.empty()) << "the factory styles were copied at start";

    // The companion's window, as marlo-audio registers it.
    test::WindowRecorder companion("Marlo GearAUDIORECORD", "Marlo GearAudioRecord");
    ASSERT_TRUE(companion.registered());

    // Style 3 edited (green 0, a new name), then the window closed: nothing is kept.
    const auto edit = [&](const char* closeWith, const std::function<void()>& meanwhile = {}) {
        bool done = false;
        WhenReady([&] { return main->children().music() != nullptr; },
                  [&, closeWith] {
                      ui::HeadlessUser user(main->children().music()->GetPaintManager());
                      EXPECT_TRUE(user.Click("audio_select_tab3"));
                      EXPECT_TRUE(user.MoveSlider("audio_g_slider", 0));
                      EXPECT_TRUE(user.MoveSlider("audio_r_slider", 9));
                      main->children().music()->GetPaintManager().FindControl(
                          "audio_edit_name3")->SetText("");
                      EXPECT_TRUE(user.Type("audio_edit_name3", "Party"));
                      EXPECT_TRUE(user.Focus("audio_edit_name1"));
                      if (meanwhile) {
                          meanwhile();
                      }
                      EXPECT_TRUE(user.Click(closeWith));
                      done = true;
                  });
        backend_.loop().Post([&] { main->OpenMusicStyles(); });
        EXPECT_TRUE(RunUntil([&] { return done && main->children().music() == nullptr; }));
    };
    edit("closebtn");
    EXPECT_EQ(bytes(), before) << "cancelled: the file is byte for byte as it was";
    EXPECT_TRUE(companion.heard().empty());

    edit("okbtn");
    const auto kept = profiles::AudioStyles::FromDocument(
        platform::JsonDocument::Read(file, profiles::AudioStyles::kMaxFileBytes));
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->active, 2);
    EXPECT_EQ(kept->styles[2].name, "Party");
    EXPECT_EQ(kept->styles[2].red, 9);
    EXPECT_EQ(kept->styles[2].green, 0);
    ASSERT_TRUE(RunUntil([&] { return companion.heard().size() >= 4; }));
    const auto heard = companion.heard();
    // The first contact greets the companion (2, 4, 5), then the colour block follows.
    const uint64_t greeting[3] = {2, 4, 5};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(heard[i].message, "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}");
        EXPECT_EQ(heard[i].wParam, greeting[i]);
    }
    ASSERT_EQ(heard[3].dataKind, 10u);
    ASSERT_EQ(heard[3].data.size(), 40u);
    int32_t rgb[3] = {};
    std::memcpy(rgb, heard[3].data.data(), sizeof rgb);
    EXPECT_EQ(rgb[0], 9);
    EXPECT_EQ(rgb[1], 1) << "a green of 0 goes as 1";

    // The file edited into something unusable while the window is open: kept aside, not lost.
    edit("okbtn", [&] { std::ofstream(file, std::ios::binary) << "{ edited by hand"; });
    EXPECT_EQ(BackupsOf(file), std::vector<std::string>{"{ edited by hand"});
    EXPECT_TRUE(profiles::AudioStyles::FromDocument(
        platform::JsonDocument::Read(file, profiles::AudioStyles::kMaxFileBytes)));
}

TEST_F(SettingsWindowTest, TheColourDialogTakesATypedColourKeepsItAmongTheRecentAndClosesOnRequest) {
    auto main = StartMain();
    std::optional<uint32_t> chosen;
    bool closed = false;
    WhenReady([&] { return main->children().colour() != nullptr; },
              [&] {
                  ui::HeadlessUser user(main->children().colour()->GetPaintManager());
                  ui::CPaintManagerUI& dialog = main->children().colour()->GetPaintManager();
                  EXPECT_EQ(dialog.FindControl("color_hex_edit")->GetText(), "#FF0000");
                  dialog.FindControl("color_hex_edit")->SetText("");
                  EXPECT_TRUE(user.Type("color_hex_edit", "12ab3"));  // not a colour yet
                  EXPECT_TRUE(user.Focus("okbtn"));
                  EXPECT_EQ(dialog.FindControl("color_hex_edit")->GetText(), "#FF0000")
                      << "the colour kept, shown again";
                  dialog.FindControl("color_hex_edit")->SetText("");
                  EXPECT_TRUE(user.Type("color_hex_edit", "#12ab34"));
                  EXPECT_TRUE(user.Focus("okbtn"));
                  // The file turned unusable meanwhile: kept aside when the colour is kept.
                  std::ofstream(CColorSelectWnd::RecentFile()) << "[cut";
                  EXPECT_TRUE(user.Click("okbtn"));
              });
    backend_.loop().Post([&] {
        chosen = main->children().OpenColour(96, 0xFF0000);
        closed = true;
    });
    ASSERT_TRUE(RunUntil([&] { return closed; }));
    EXPECT_EQ(chosen, 0x12AB34u);
    const auto recent = profiles::RecentColours::FromDocument(
        platform::JsonDocument::Read(CColorSelectWnd::RecentFile()));
    ASSERT_FALSE(recent.colours().empty());
    EXPECT_EQ(recent.colours().front(), 0x12AB34u) << "kept for next time";
    EXPECT_EQ(BackupsOf(CColorSelectWnd::RecentFile()), std::vector<std::string>{"[cut"});

    // Opened again, the recent colour is offered; the program ending closes the dialog.
    closed = false;
    WhenReady([&] { return main->children().colour() != nullptr; },
              [&] {
                  ui::CPaintManagerUI& dialog = main->children().colour()->GetPaintManager();
                  EXPECT_NE(dialog.FindControl("color_recent_0"), nullptr);
                  main->children().CloseAll();
              });
    backend_.loop().Post([&] {
        chosen = main->children().OpenColour(96, 0x000000);
        closed = true;
    });
    ASSERT_TRUE(RunUntil([&] { return closed; }));
    EXPECT_FALSE(chosen) << "closed without OK";
}

}  // namespace
}  // namespace marlo::app
