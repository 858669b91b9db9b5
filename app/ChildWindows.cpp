#include "ChildWindows.h"

#include "AboutWnd.h"
#include "ColorSelectWnd.h"
#include "MusicWnd.h"
#include "panels/LightControlUI.h"
#include "platform/DebugOutput.h"
#include "SetWnd.h"
#include "ui/PaintManagerUI.h"
#include "ui/WindowWnd.h"

namespace marlo::app {

void CChildWindows::OpenSettings(Placement placement, int dpi, int languageIndex,
                                 std::vector<online::UpdateItem> items) {
    if (settings_ != nullptr) {
        settings_->ShowWindow(true, true);
        return;
    }
    CSetWnd window(&main_, languageIndex, std::move(items));
    if (!window.Create(&main_, "SetWnd", 0, 0, 0, 0)) {
        return;
    }
    window.Prepare(dpi);
    if (placement == Placement::kBesideMain) {
        const ui::UiRect& m = main_.GetRect();
        const ui::UiRect& r = window.GetRect();
        const int scaled30 = window.GetPaintManager().Scale(30);
        const int scaled60 = window.GetPaintManager().Scale(60);
        window.MoveWindow(m.x + m.width - scaled30 - r.width, m.y + scaled60, r.width, r.height);
    } else {
        window.CenterWindow();
    }
    settings_ = &window;
    window.ShowModal();
    settings_ = nullptr;
}

void CChildWindows::OpenAbout(int dpi) {
    if (about_ != nullptr) {
        about_->ShowWindow(true, true);
        return;
    }
    CAboutWnd window;
    if (!window.Create(&main_, "  ", 0, 0, 0, 0)) {
        return;
    }
    window.Prepare(dpi);
    about_ = &window;
    window.ShowModal();
    about_ = nullptr;
}

std::optional<profiles::AudioStyles> CChildWindows::OpenMusic(int dpi,
                                                              const profiles::AudioStyles& styles) {
    if (music_ != nullptr) {
        music_->ShowWindow(true, true);
        return std::nullopt;
    }
    CMusicWnd window;
    if (!window.Create(&main_, "MusicWnd", 0, 0, 0, 0)) {
        return std::nullopt;
    }
    window.Prepare(dpi);
    window.SetStyles(styles);
    music_ = &window;
    const uint32_t result = window.ShowModal();
    music_ = nullptr;
    if (result != 1) {
        return std::nullopt;
    }
    try {
        return window.GetStyles();
    } catch (const panels::LightPanelError& e) {
        platform::DebugOutput::Write(e.what());
        return std::nullopt;
    }
}

std::optional<uint32_t> CChildWindows::OpenColour(int dpi, uint32_t rgb) {
    if (colour_ != nullptr) {
        colour_->ShowWindow(true, true);
        return std::nullopt;
    }
    CColorSelectWnd window(rgb);
    if (!window.Create(&main_, "ColorSelectWnd", 0, 0, 0, 0)) {
        return std::nullopt;
    }
    window.Prepare(dpi);
    colour_ = &window;
    const uint32_t result = window.ShowModal();
    colour_ = nullptr;
    return result == 1 ? std::optional<uint32_t>(window.colour()) : std::nullopt;
}

void CChildWindows::CloseAll() {
    ui::CWindowWnd* open[] = {settings_, about_, colour_, music_};
    for (ui::CWindowWnd* window : open) {
        if (window != nullptr) {
            window->PostMessage(ui::kWmClose, 0, 0);
        }
    }
}

void CChildWindows::TellLanguageChanged() {
    if (settings_ != nullptr) {
        settings_->SendMessage(kLanguageChanged, 0, 0);
    }
    if (about_ != nullptr) {
        about_->SendMessage(kLanguageChanged, 0, 0);
    }
    if (music_ != nullptr) {
        music_->SendMessage(kLanguageChanged, 0, 0);
    }
}

bool CChildWindows::ForwardToSettings(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (settings_ == nullptr) {
        return false;
    }
    return settings_->PostMessage(message, wParam, lParam);
}

}  // namespace marlo::app
