#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/WindowImplBase.h"

namespace marlo::app {

// The program's one message box: a confirmation or a notice whose text is usually a language
// text identifier. "confirm_btn" closes it with 1; "cancel_btn" and "closebtn" with 0.
class CMsgWnd : public ui::WindowImplBase {
  public:
    enum class Buttons { kConfirmOnly = 0, kConfirmAndCancel = 1 };
    // The skin's size at 96 DPI.
    static constexpr int kBaseWidth = 420;
    static constexpr int kBaseHeight = 200;

    // Shows the box modally over `parent` and returns the value it closed with. An empty title
    // or text keeps the skin's; `textIsIdentifier` shows `text` as that identifier's text in
    // the current language. `dpi` must be one of 48, 72, 96, 120, 144, 168, 192 (anything else
    // is 96) and is applied to every window. A button mode other than the two leaves the skin's
    // buttons as they are.
    static uint32_t ShowMessage(ui::CWindowWnd* parent, const std::string& title,
                                const std::string& text, int dpi, bool textIsIdentifier,
                                int buttonMode);

    // A notice with a "do not show again" box; whether the person ticked it comes back in
    // `dontShowAgain`.
    static uint32_t ShowNotice(ui::CWindowWnd* parent, const std::string& text, int dpi,
                               bool& dontShowAgain);

    std::string GetWindowClassName() const override { return "MsgWnd"; }
    std::string GetSkinFile() override { return "XML_MSG"; }
    void InitWindow() override;
    void Notify(ui::TNotifyUI& msg) override;
    intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                 bool& handled) override;

    // Escape answers as the close button does (0).
    bool OnEscape() override;

    // The accepted DPI for a requested one.
    static int AcceptedDpi(int dpi);

  private:
    static std::unique_ptr<CMsgWnd> Prepare(ui::CWindowWnd* parent, const std::string& title,
                                            const std::string& text, int dpi, bool textIsIdentifier,
                                            int buttonMode);

    ui::CControlUI* closeButton_ = nullptr;
    bool dontShowAgain_ = false;
};

}  // namespace marlo::app
