#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "online/UpdateItem.h"
#include "profiles/AudioStyles.h"

namespace marlo::ui {
class CWindowWnd;
}

namespace marlo::app {

class CAboutWnd;
class CColorSelectWnd;
class CMusicWnd;
class CSetWnd;

// The main window's modal child windows that follow the language: the settings window and
// the about window. Each runs modally while it is open; a second request for one that is open
// brings it to the front instead.
class CChildWindows {
  public:
    enum class Placement { kBesideMain, kCentred };
    static constexpr uint32_t kLanguageChanged = 0xC11;

    explicit CChildWindows(ui::CWindowWnd& main) : main_(main) {}

    // Beside the main window: 30 (scaled) pixels in from its right edge and 60 below its top.
    void OpenSettings(Placement placement, int dpi, int languageIndex,
                      std::vector<online::UpdateItem> items);
    void OpenAbout(int dpi);
    // The colour dialog, starting at `rgb` (0xRRGGBB); the colour chosen when it closed with OK.
    std::optional<uint32_t> OpenColour(int dpi, uint32_t rgb);
    // Every open child window is asked to close (WM_CLOSE), as when the program ends.
    void CloseAll();
    // The music styles window over `styles`; the edited styles when it closed with OK.
    std::optional<profiles::AudioStyles> OpenMusic(int dpi, const profiles::AudioStyles& styles);

    // The language changed message, sent to each open child and handled before this returns.
    void TellLanguageChanged();
    // Another program's update request, handed to the settings window when it is open.
    bool ForwardToSettings(uint32_t message, uintptr_t wParam, intptr_t lParam);

    CSetWnd* settings() const { return settings_; }
    CAboutWnd* about() const { return about_; }
    CMusicWnd* music() const { return music_; }
    CColorSelectWnd* colour() const { return colour_; }

  private:
    ui::CWindowWnd& main_;
    CSetWnd* settings_ = nullptr;
    CAboutWnd* about_ = nullptr;
    CMusicWnd* music_ = nullptr;
    CColorSelectWnd* colour_ = nullptr;
};

}  // namespace marlo::app
