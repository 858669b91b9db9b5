#include "ui/TrayIcon.h"

#include "ui/DisplayBackend.h"
#include "ui/PaintManagerUI.h"

namespace marlo::ui {

CTrayIcon::~CTrayIcon() {
    DeleteTrayIcon();
}

bool CTrayIcon::CreateTrayIcon(platform::WindowHandle owner, uint32_t iconResource,
                               const std::string& tooltip, uint32_t callbackMessage) {
    IDisplayBackend* backend = CPaintManagerUI::GetBackend();
    owner_ = owner;
    icon_ = iconResource;
    tooltip_ = tooltip;
    callbackMessage_ = callbackMessage;
    if (backend == nullptr || !backend->TrayAvailable()) {
        return false;
    }
    visible_ = true;
    backend->TrayChanged(this);
    return true;
}

void CTrayIcon::DeleteTrayIcon() {
    if (!visible_) {
        return;
    }
    visible_ = false;
    if (IDisplayBackend* backend = CPaintManagerUI::GetBackend()) {
        backend->TrayRemoved(this);
    }
}

void CTrayIcon::SetTooltipText(const std::string& tooltip) {
    tooltip_ = tooltip;
    if (IDisplayBackend* backend = CPaintManagerUI::GetBackend(); backend != nullptr && visible_) {
        backend->TrayChanged(this);
    }
}

void CTrayIcon::OnClick(intptr_t mouseMessage) {
    if (IDisplayBackend* backend = CPaintManagerUI::GetBackend(); backend != nullptr && visible_) {
        backend->loop().PostMessage(owner_, callbackMessage_, icon_, mouseMessage);
    }
}

}  // namespace marlo::ui
