#include "MsgWnd.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/DebugOutput.h"
#include "ui/HeadlessBackend.h"
#include "ui/HeadlessUser.h"
#include "ui/ResourceManager.h"
#include "ui/WindowWnd.h"

namespace marlo::app {
namespace {

class MsgWndTest : public ::testing::Test {
  protected:
    MsgWndTest() {
        ui::CPaintManagerUI::SetResourcePath(std::string(MARLO_DATA_DIR) + "/skin/");
        auto& resources = ui::CResourceManager::GetInstance();
        resources.LoadResource(std::string(MARLO_DATA_DIR) + "/skin/res.xml");
        resources.LoadLanguage("lang_en_US.xml");
    }
    ~MsgWndTest() override { ui::CResourceManager::GetInstance().Release(); }

    // What the box showed when it opened, and what it returned after `click`.
    struct Seen {
        std::string title;
        std::string text;
        bool confirmShown = false;
        bool cancelShown = false;
        int dpi = 0;
        uint32_t result = 99;
    };
    Seen Show(const std::string& title, const std::string& text, int dpi, int mode,
              const char* click) {
        Seen seen;
        backend_.loop().Post([&seen, click] {
            auto* box = dynamic_cast<ui::WindowImplBase*>(ui::CWindowWnd::FindWindow("MsgWnd"));
            ASSERT_NE(box, nullptr);
            ui::CPaintManagerUI& pm = box->GetPaintManager();
            seen.title = pm.FindControl("MessageTitle")->GetShownText();
            seen.text = pm.FindControl("MessageText")->GetShownText();
            seen.confirmShown = pm.FindControl("confirm_btn")->IsVisible();
            seen.cancelShown = pm.FindControl("cancel_btn")->IsVisible();
            seen.dpi = pm.GetDPI();
            ui::HeadlessUser(pm).Click(click);
        });
        seen.result = CMsgWnd::ShowMessage(nullptr, title, text, dpi, true, mode);
        return seen;
    }

    ui::HeadlessBackend backend_;
};

TEST_F(MsgWndTest, ButtonsModesTextsAndResults) {
    const Seen confirm = Show("Reset", "message_ok", 144, 1, "confirm_btn");
    EXPECT_EQ(confirm.result, 1u);
    EXPECT_EQ(confirm.title, "Reset");
    EXPECT_EQ(confirm.text, "OK") << "the identifier's text in the current language";
    EXPECT_TRUE(confirm.confirmShown && confirm.cancelShown);
    EXPECT_EQ(confirm.dpi, 144);

    EXPECT_EQ(Show("", "x", 96, 1, "cancel_btn").result, 0u);

    const Seen notice = Show("", "", 96, 0, "closebtn");
    EXPECT_EQ(notice.result, 0u) << "closing is not confirming";
    EXPECT_EQ(notice.title, "Marlo Gear") << "an empty title keeps the skin's";
    EXPECT_TRUE(notice.confirmShown);
    EXPECT_FALSE(notice.cancelShown) << "mode 0 shows only the confirm button";

    platform::DebugOutput::Capture capture;
    EXPECT_EQ(Show("", "x", 100, 1, "confirm_btn").dpi, 96);
    EXPECT_TRUE(capture.Contains("MSG_WND DPI SET ERROR"));
    EXPECT_EQ(ui::CWindowWnd::FindWindow("MsgWnd"), nullptr) << "each box is gone once answered";
}

TEST_F(MsgWndTest, EscapeAnswersNoAndTheKeyboardReachesTheButtons) {
    const auto byKeys = [this](std::vector<std::pair<uint32_t, bool>> keys) {
        backend_.loop().Post([keys] {
            auto* box = dynamic_cast<ui::WindowImplBase*>(ui::CWindowWnd::FindWindow("MsgWnd"));
            ASSERT_NE(box, nullptr);
            ui::HeadlessUser user(box->GetPaintManager());
            for (const auto& [key, shift] : keys) {
                user.PressWindowKey(key, shift);
            }
        });
        return CMsgWnd::ShowMessage(nullptr, "", "x", 96, true, 1);
    };
    EXPECT_EQ(byKeys({{ui::kVkEscape, false}}), 0u);
    // The close button, then the confirm button: Enter confirms.
    EXPECT_EQ(byKeys({{ui::kVkTab, false}, {ui::kVkTab, false}, {ui::kVkReturn, false}}), 1u);
    // Back from the close button to the cancel button.
    EXPECT_EQ(byKeys({{ui::kVkTab, false}, {ui::kVkTab, true}, {ui::kVkSpace, false}}), 0u);
}

}  // namespace
}  // namespace marlo::app
