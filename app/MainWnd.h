#pragma once

#include <array>
#include <memory>
#include <vector>

#include "ui/MenuWnd.h"
#include "ui/ResourceManager.h"
#include "ui/TrayIcon.h"
#include "ui/WindowImplBase.h"

namespace marlo::ui {
class CButtonUI;
}

namespace marlo::app {

// The program's one main window: it lives in the tray, opens on demand, and closing it only
// hides it; the tray menu's "exit" ends the program.
class CMainWnd : public ui::WindowImplBase, public ui::IQueryControlText {
  public:
    static constexpr uint32_t kTrayMessage = ui::kWmUser + 1;
    static constexpr uint32_t kTimerFitScreen = 1011;
    static constexpr uint32_t kTimerTrayMenu = 1032;
    static constexpr uint32_t kProgressShown = 0xC00;
    static constexpr uint32_t kUpdateSeen = 0xC16;
    static constexpr uint32_t kTrayIconResource = 107;
    static constexpr int kBaseWidth = 1000;
    static constexpr int kBaseHeight = 640;
    static constexpr int kCopyDataBufferSize = 512;

    // `instanceMessage` is the number "Marlo Gear" registered to.
    explicit CMainWnd(uint32_t instanceMessage);
    ~CMainWnd() override;

    std::string GetWindowClassName() const override { return "MainWnd"; }
    std::string GetSkinFile() override { return "XML_MAIN"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    std::string QueryControlText(std::string_view, const ui::CControlUI*) override { return {}; }

    // Ends the program as the tray menu's "exit" does.
    void Exit();
    // Restored, shown and in front; also what a second start asks for.
    void BringToFront();
    // The DPI for a monitor: 144 on one wider than 1500 and taller than 960 pixels, else 96.
    static int SkinDpiFor(const ui::UiRect& monitor);
    void FitToScreen();

    const ui::CTrayIcon& tray() const { return tray_; }
    const ui::CMenuWnd* trayMenu() const { return trayMenu_.get(); }
    const std::vector<uint8_t>& spectrum() const { return spectrum_; }
    const std::vector<uint8_t>& colours() const { return colours_; }

  private:
    void OnWindowInit();
    void OnClick(ui::TNotifyUI& msg);
    void OnTimer(uint32_t id);
    void ToggleFromTray();
    void OpenTrayMenu();
    void OnMenuCommand(const ui::MenuCmd& cmd);
    void HideToTray();
    void ShowNoDeviceHint();
    void LoadAudioStyles();

    const uint32_t instanceMessage_;
    ui::CTrayIcon tray_;
    std::unique_ptr<ui::CMenuWnd> trayMenu_;
    std::array<ui::CControlUI*, 9> topBar_{};
    bool trayShown_ = false;
    std::vector<uint8_t> spectrum_;
    std::vector<uint8_t> colours_;
};

}  // namespace marlo::app
