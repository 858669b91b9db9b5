#pragma once

#include <string>

#include "ui/WindowImplBase.h"

namespace marlo::app {

// The about window: the program's name, its version, its licence and where it is made.
class CAboutWnd : public ui::WindowImplBase {
  public:
    static constexpr int kBaseWidth = 800;
    static constexpr int kBaseHeight = 572;
    static constexpr uint32_t kLanguageChanged = 0xC11;

    std::string GetWindowClassName() const override { return "AboutWnd"; }
    std::string GetSkinFile() override { return "XML_ABOUT"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;
    bool OnEscape() override;

    // Sized for `dpi` and centred; then the opener runs it modally.
    void Prepare(int dpi);

    static std::string Version();
    static std::string Licence();
    static std::string Address();

  private:
    void ShowTexts();
};

}  // namespace marlo::app
