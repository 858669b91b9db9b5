#include "MainWnd.h"

#include <cinttypes>

#include "platform/DebugOutput.h"
#include "platform/JsonDocument.h"
#include "platform/KeptDocument.h"
#include "platform/Paths.h"
#include "profiles/AudioStyles.h"
#include "ui/ControlUI.h"
#include "ui/ResourceManager.h"

namespace marlo::app {

using platform::DebugOutput;

namespace {

constexpr const char* kTopBar[] = {"closebtn",    "maxbtn",   "restorebtn",   "minbtn", "skinbtn",
                                   "gamemodebtn", "cloudbtn", "smarteyesbtn", "setbtn"};
constexpr uint32_t kWmDisplayChange = 0x007E;

}  // namespace

CMainWnd::CMainWnd(uint32_t instanceMessage) : instanceMessage_(instanceMessage) {}

CMainWnd::~CMainWnd() {
    ui::CResourceManager::GetInstance().SetTextQueryInterface(nullptr);
}

void CMainWnd::InitWindow() {
    DebugOutput::Write("InitWindow");
    ui::CResourceManager::GetInstance().SetTextQueryInterface(this);
    for (size_t i = 0; i < topBar_.size(); ++i) {
        topBar_[i] = manager_.FindControl(kTopBar[i]);
    }
    SetIcon(kTrayIconResource);
    trayShown_ = tray_.CreateTrayIcon(GetHWND(), kTrayIconResource, "Marlo Gear", kTrayMessage);
}

void CMainWnd::OnWindowInit() {
    LoadAudioStyles();
    if (trayShown_) {
        HideToTray();  // the program starts in the notification area
    } else {
        // Without a notification area a hidden window could never be reached again.
        DebugOutput::Write("no system tray: the main window starts shown");
        ShowNoDeviceHint();
        ShowWindow(true, true);
    }
    SetTimer(kTimerFitScreen, 100);
}

void CMainWnd::LoadAudioStyles() {
    // The person's styles; a file that cannot be used is kept aside before the factory copy
    // takes its place, and one that cannot be set aside is left alone.
    const auto user = platform::Paths::ProductFolder() / "AudioFile.json";
    const auto isStyles = profiles::AudioStyles::IsStylesShape;
    const platform::KeptDocument kept =
        platform::KeptDocument::Read(user, profiles::AudioStyles::kMaxFileBytes, isStyles);
    if (kept.usable() || kept.status == platform::KeptDocument::Status::kBlocked) {
        return;
    }
    const Json::Value factory = platform::JsonDocument::Read(
        platform::Paths::DefaultDataDir() / "AudioFile.json", profiles::AudioStyles::kMaxFileBytes);
    if (isStyles(factory)) {
        platform::JsonDocument::Write(user, factory);
    }
}

void CMainWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType != ui::notify::kTimer) {
        DebugOutput::Printf("%s %s", msg.sType.c_str(),
                            msg.pSender ? msg.pSender->GetName().c_str() : "");
    }
    if (msg.sType == ui::notify::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == ui::notify::kClick) {
        OnClick(msg);
    }
    WindowImplBase::Notify(msg);
}

void CMainWnd::OnClick(ui::TNotifyUI& msg) {
    const std::string& name = msg.pSender->GetName();
    if (name == "closebtn") {
        HideToTray();
    } else if (msg.pSender == topBar_[3]) {
        SendMessage(ui::kWmSysCommand, ui::kScMinimize);
    } else if (msg.pSender == topBar_[1]) {
        SendMessage(ui::kWmSysCommand, ui::kScMaximize);
        topBar_[1]->SetVisible(false);
        topBar_[2]->SetVisible(true);
    } else if (msg.pSender == topBar_[2]) {
        SendMessage(ui::kWmSysCommand, ui::kScRestore);
        topBar_[2]->SetVisible(false);
        topBar_[1]->SetVisible(true);
    }
}

void CMainWnd::HideToTray() {
    ShowWindow(false, true);
}

void CMainWnd::ShowNoDeviceHint() {
    // No device can be attached yet: the hint is always the page shown.
    if (ui::CControlUI* hint = manager_.FindControl("No_device_Link")) {
        hint->SetVisible(true);
    }
}

int CMainWnd::SkinDpiFor(const ui::UiRect& monitor) {
    return monitor.width > 1500 && monitor.height > 960 ? 144 : 96;
}

void CMainWnd::FitToScreen() {
    ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend();
    const bool visible = IsVisible() && GetState() != State::kMinimized;
    if (!visible) {
        SendMessage(ui::kWmSysCommand, ui::kScRestore);
    }
    const int dpi = SkinDpiFor(backend->ScreenRect());
    manager_.SetDPI(dpi);
    ResizeClient(manager_.Scale(kBaseWidth), manager_.Scale(kBaseHeight));
    CenterWindow();
    ShowWindow(visible, false);
}

void CMainWnd::BringToFront() {
    ShowNoDeviceHint();
    SendMessage(ui::kWmSysCommand, ui::kScRestore);
    CWindowWnd::BringToFront();
}

void CMainWnd::ToggleFromTray() {
    ShowNoDeviceHint();
    const bool visible = IsVisible() && GetState() != State::kMinimized;
    if (visible) {
        HideToTray();
        return;
    }
    ShowWindow(true, true);
    FitToScreen();
    SendMessage(ui::kWmSysCommand, ui::kScRestore);
    CWindowWnd::BringToFront();
}

void CMainWnd::OpenTrayMenu() {
    trayMenu_ = std::make_unique<ui::CMenuWnd>();
    // At the pointer; the display backend keeps the menu on the screen.
    trayMenu_->Init(GetHWND(), "xml/menu.xml", 0, 0,
                    ui::CMenuWnd::kAlignLeft | ui::CMenuWnd::kAlignTop);
}

void CMainWnd::OnMenuCommand(const ui::MenuCmd& cmd) {
    if (cmd.name == "exit") {
        Exit();
    } else {
        DebugOutput::Printf("menu %s", cmd.name.c_str());
    }
}

void CMainWnd::Exit() {
    Close(0);
}

void CMainWnd::OnTimer(uint32_t id) {
    KillTimer(id);  // every timer of this window is one-shot
    if (id == kTimerFitScreen) {
        FitToScreen();
    } else if (id == kTimerTrayMenu) {
        OpenTrayMenu();
    }
}

intptr_t CMainWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                       bool& handled) {
    handled = false;
    if (message == instanceMessage_) {
        DebugOutput::Printf("软件标示 %" PRIu32 "，%" PRIxPTR "d%" PRIxPTR "d", message, wParam,
                            static_cast<uintptr_t>(lParam));
        BringToFront();
        return 0;
    }
    switch (message) {
        case ui::kWmDestroy:
            DebugOutput::Write("退出测试");
            tray_.DeleteTrayIcon();
            ShowWindow(false, false);
            if (ui::IDisplayBackend* backend = ui::CPaintManagerUI::GetBackend()) {
                backend->loop().Quit(0);
            }
            handled = true;
            return 0;
        case ui::kWmTimer:
            OnTimer(static_cast<uint32_t>(wParam));
            return 0;
        case kTrayMessage:
            if (lParam == ui::kWmLButtonUp) {
                ToggleFromTray();
            } else if (lParam == ui::kWmRButtonUp) {
                SetTimer(kTimerTrayMenu, 10);
            }
            return 0;
        case ui::kWmMenuCommand:
            handled = true;
            if (const auto* cmd = MessagePayload<ui::MenuCmd>()) {
                OnMenuCommand(*cmd);
            }
            return 0;
        case ui::kWmDpiChanged:
            manager_.SetDPI(static_cast<int>(wParam & 0xFFFF));
            ResizeClient(manager_.Scale(kBaseWidth), manager_.Scale(kBaseHeight));
            CenterWindow();
            DebugOutput::Write("界面 DPI 发生变化");
            return 0;
        case kWmDisplayChange:
            DebugOutput::Write("显示器分辨率发生变化");
            FitToScreen();
            return 0;
        case ui::kWmCopyData: {
            const auto* block = MessagePayload<ui::CopyDataBlock>();
            if (block != nullptr && !block->bytes.empty() &&
                (block->kind == 1 || block->kind == 2)) {
                // A block longer than its buffer is cut to the buffer's size.
                auto& buffer = block->kind == 1 ? spectrum_ : colours_;
                const auto* bytes = reinterpret_cast<const uint8_t*>(block->bytes.data());
                buffer.assign(bytes,
                              bytes + std::min<size_t>(block->bytes.size(), kCopyDataBufferSize));
            }
            return 0;
        }
        case kProgressShown:
            if (ui::CControlUI* progress = manager_.FindControl("setting_progress")) {
                progress->SetVisible(true);
            }
            return 0;
        case kUpdateSeen:
            if (topBar_[8] != nullptr) {
                topBar_[8]->SetAttribute("foreimage", "");
            }
            return 0;
        default:
            return 0;
    }
}

}  // namespace marlo::app
