#include "ui/WindowWnd.h"

#include "ui/PaintManagerUI.h"

namespace marlo::ui {

namespace {

IDisplayBackend& Backend() { return *CPaintManagerUI::GetBackend(); }

}  // namespace

CWindowWnd::~CWindowWnd() {
    if (handle_ != 0 && CPaintManagerUI::GetBackend() != nullptr) {
        Backend().loop().DestroyWindow(handle_);
        Backend().WindowDestroyed(this);
    }
}

bool CWindowWnd::Create(CWindowWnd* parent, const std::string& title, int x, int y, int width,
                        int height) {
    if (handle_ != 0 || CPaintManagerUI::GetBackend() == nullptr) {
        return false;
    }
    parent_ = parent;
    title_ = title;
    rect_ = UiRect{x, y, width, height};
    closed_ = false;
    handle_ = Backend().loop().CreateWindow(
        [this](uint32_t m, uintptr_t w, intptr_t l) { return HandleMessage(m, w, l); });
    Backend().WindowCreated(this);
    SendMessage(kWmCreate);
    return true;
}

void CWindowWnd::ShowWindow(bool show, bool takeFocus) {
    if (handle_ == 0) {
        return;
    }
    visible_ = show;
    Backend().WindowChanged(this);
    if (show && takeFocus) {
        Backend().BringToFront(this);
    }
}

uint32_t CWindowWnd::ShowModal() {
    if (handle_ == 0) {
        return 0;
    }
    modal_ = true;
    ShowWindow(true, true);
    Backend().loop().RunUntil([this] { return closed_; });
    modal_ = false;
    return result_;
}

void CWindowWnd::Close(uint32_t result) {
    if (handle_ == 0) {
        return;
    }
    result_ = result;
    PostMessage(kWmClose, result, 0);
}

void CWindowWnd::CenterWindow() {
    const UiRect screen = Backend().ScreenRect();
    MoveWindow(screen.x + (screen.width - rect_.width) / 2,
               screen.y + (screen.height - rect_.height) / 2, rect_.width, rect_.height);
}

void CWindowWnd::MoveWindow(int x, int y, int width, int height) {
    rect_ = UiRect{x, y, width, height};
    if (handle_ != 0) {
        Backend().WindowChanged(this);
    }
}

void CWindowWnd::SetTitle(const std::string& title) {
    title_ = title;
    if (handle_ != 0) {
        Backend().WindowChanged(this);
    }
}

void CWindowWnd::SetIcon(uint32_t resourceId) {
    icon_ = resourceId;
    if (handle_ != 0) {
        Backend().WindowChanged(this);
    }
}

void CWindowWnd::BringToFront() {
    if (handle_ != 0) {
        visible_ = true;
        Backend().WindowChanged(this);
        Backend().BringToFront(this);
    }
}

intptr_t CWindowWnd::SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return handle_ == 0 ? 0 : Backend().loop().SendMessage(handle_, message, wParam, lParam);
}

bool CWindowWnd::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return handle_ != 0 && Backend().loop().PostMessage(handle_, message, wParam, lParam);
}

intptr_t CWindowWnd::HandleMessage(uint32_t message, uintptr_t, intptr_t) {
    if (message == kWmClose) {
        DestroyWindow();
    }
    return 0;
}

void CWindowWnd::DestroyWindow() {
    if (handle_ == 0) {
        return;
    }
    HandleMessage(kWmDestroy, 0, 0);
    visible_ = false;
    Backend().loop().DestroyWindow(handle_);
    Backend().WindowDestroyed(this);
    handle_ = 0;
    closed_ = true;
    OnFinalMessage();
}

}  // namespace marlo::ui
