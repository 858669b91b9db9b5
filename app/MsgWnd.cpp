#include "MsgWnd.h"

#include <memory>

#include "platform/DebugOutput.h"
#include "ui/OptionUI.h"
#include "ui/UIDefs.h"

namespace marlo::app {

int CMsgWnd::AcceptedDpi(int dpi) {
    for (const int accepted : {48, 72, 96, 120, 144, 168, 192}) {
        if (dpi == accepted) {
            return dpi;
        }
    }
    platform::DebugOutput::Write("MSG_WND DPI SET ERROR");
    return 96;
}

uint32_t CMsgWnd::ShowMessage(ui::CWindowWnd* parent, const std::string& title,
                              const std::string& text, int dpi, bool textIsIdentifier,
                              int buttonMode) {
    auto box = Prepare(parent, title, text, dpi, textIsIdentifier, buttonMode);
    // The window is destroyed when ShowModal returns; the object goes with this scope.
    return box != nullptr ? box->ShowModal() : 0;
}

uint32_t CMsgWnd::ShowNotice(ui::CWindowWnd* parent, const std::string& text, int dpi,
                             bool& dontShowAgain) {
    auto box = Prepare(parent, "", text, dpi, true, static_cast<int>(Buttons::kConfirmOnly));
    if (box == nullptr) {
        return 0;
    }
    if (ui::CControlUI* check = box->GetPaintManager().FindControl("msg_dont_show")) {
        check->SetVisible(true);
    }
    const uint32_t result = box->ShowModal();
    dontShowAgain = box->dontShowAgain_;
    return result;
}

std::unique_ptr<CMsgWnd> CMsgWnd::Prepare(ui::CWindowWnd* parent, const std::string& title,
                                          const std::string& text, int dpi, bool textIsIdentifier,
                                          int buttonMode) {
    auto box = std::make_unique<CMsgWnd>();
    if (!box->Create(parent, "msgwnd", 0, 0, 0, 0)) {
        return nullptr;
    }
    ui::CPaintManagerUI& pm = box->GetPaintManager();
    if (ui::CControlUI* shownTitle = pm.FindControl("MessageTitle"); shownTitle && !title.empty()) {
        shownTitle->SetText(title);
    }
    if (ui::CControlUI* shownText = pm.FindControl("MessageText"); shownText && !text.empty()) {
        shownText->SetResourceText(textIsIdentifier);
        shownText->SetText(text);
    }
    ui::CPaintManagerUI::SetAllDPI(AcceptedDpi(dpi));
    ui::CControlUI* confirm = pm.FindControl("confirm_btn");
    ui::CControlUI* cancel = pm.FindControl("cancel_btn");
    if (confirm != nullptr && cancel != nullptr) {
        if (buttonMode == static_cast<int>(Buttons::kConfirmOnly)) {
            cancel->SetVisible(false);
            confirm->SetVisible(true);
        } else if (buttonMode == static_cast<int>(Buttons::kConfirmAndCancel)) {
            cancel->SetVisible(true);
            confirm->SetVisible(true);
        }
    }
    box->CenterWindow();
    return box;
}

void CMsgWnd::InitWindow() {
    closeButton_ = manager_.FindControl("closebtn");
}

void CMsgWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::notify::kSelectChanged && msg.pSender != nullptr &&
        msg.pSender->GetName() == "msg_dont_show") {
        const auto* check = dynamic_cast<const ui::COptionUI*>(msg.pSender);
        dontShowAgain_ = check != nullptr && check->IsSelected();
    }
    if (msg.sType == ui::notify::kClick && msg.pSender != nullptr) {
        const std::string& name = msg.pSender->GetName();
        if (name == "confirm_btn") {
            Close(1);
        } else if (name == "cancel_btn" || msg.pSender == closeButton_) {
            Close(0);
        } else if (name == "minbtn") {
            SendMessage(ui::kWmSysCommand, ui::kScMinimize);
        } else if (name == "maxbtn") {
            SendMessage(ui::kWmSysCommand, ui::kScMaximize);
        } else if (name == "restorebtn") {
            SendMessage(ui::kWmSysCommand, ui::kScRestore);
        }
    }
    WindowImplBase::Notify(msg);
}

intptr_t CMsgWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                      bool& handled) {
    handled = false;
    if (message == ui::kWmDpiChanged) {
        // Rescaled as the main window is: the skin's size at the new DPI, centred again.
        SizeForDpi(static_cast<int>(wParam & 0xFFFF), kBaseWidth, kBaseHeight);
        CenterWindow();
        return 0;
    }
    return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

bool CMsgWnd::OnEscape() {
    Close(0);
    return true;
}

}  // namespace marlo::app
