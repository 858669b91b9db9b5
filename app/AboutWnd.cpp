#include "AboutWnd.h"

#include "platform/ProgramVersion.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

namespace marlo::app {

std::string CAboutWnd::Version() {
    return platform::ProgramVersion();
}

std::string CAboutWnd::Licence() {
    return MARLO_LICENCE;
}

std::string CAboutWnd::Address() {
    return MARLO_ADDRESS;
}

void CAboutWnd::Prepare(int dpi) {
    SizeForDpi(dpi, kBaseWidth, kBaseHeight);
    CenterWindow();
}

void CAboutWnd::InitWindow() {
    ShowTexts();
}

void CAboutWnd::ShowTexts() {
    const auto& resources = ui::CResourceManager::GetInstance();
    const auto text = [&](const char* id) { return resources.FindText(id).value_or(id); };
    if (ui::CControlUI* version = manager_.FindControl("about_version")) {
        version->SetText(text("about_version") + " " + Version());
    }
    if (ui::CControlUI* licence = manager_.FindControl("about_licence")) {
        licence->SetText(text("about_licence") + " " + Licence());
    }
    if (ui::CControlUI* address = manager_.FindControl("about_address")) {
        address->SetText(Address());
    }
}

void CAboutWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::notify::kClick && msg.pSender != nullptr &&
        (msg.pSender->GetName() == "closebtn" || msg.pSender->GetName() == "about_ok_btn")) {
        Close(0);
    }
    WindowImplBase::Notify(msg);
}

intptr_t CAboutWnd::HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                        bool& handled) {
    if (message == kLanguageChanged) {
        handled = true;
        ShowTexts();  // the lines made of a text and a value
        return 0;
    }
    if (message == ui::kWmDpiChanged) {
        handled = true;
        SizeForDpi(static_cast<int>(wParam & 0xFFFF), kBaseWidth, kBaseHeight);
        CenterWindow();
        return 0;
    }
    return WindowImplBase::HandleCustomMessage(message, wParam, lParam, handled);
}

bool CAboutWnd::OnEscape() {
    Close(0);
    return true;
}

}  // namespace marlo::app
