#pragma once

#include <string>

#include "profiles/AudioStyles.h"
#include "ui/WindowImplBase.h"

namespace marlo::app {

// The music styles window: four named colours (each channel 0-9) for the music lighting, one
// of them current. Filled before it shows; its styles are read back after it closed with 1
// (OK); closing it any other way leaves them as they were.
class CMusicWnd : public ui::WindowImplBase {
  public:
    static constexpr int kBaseWidth = 460;
    static constexpr int kBaseHeight = 360;
    static constexpr int kChannelMaximum = 9;

    std::string GetWindowClassName() const override { return "MusicWnd"; }
    std::string GetSkinFile() override { return "XML_MUSIC"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    bool OnEscape() override;

    void Prepare(int dpi);
    void SetStyles(const profiles::AudioStyles& styles);
    // The styles as edited. Throws panels::LightPanelError ("GetAudioLightInfo control is
    // NULL") when a slider or style option is missing from the layout.
    profiles::AudioStyles GetStyles() const;

  private:
    // The current style's colour into the sliders, its option selected, the names shown.
    void Show();
    ui::CControlUI* Find(const std::string& name) const;
    profiles::AudioStyles styles_;
};

}  // namespace marlo::app
