#include "ui/WindowWnd.h"

#include <vector>

#include "ui/PaintManagerUI.h"

namespace marlo::ui {

namespace {

IDisplayBackend& Backend() {
    return *CPaintManagerUI::GetBackend();
}

std::vector<CWindowWnd*>& Live() {
    static std::vector<CWindowWnd*> windows;
    return windows;
}

}  // namespace

CWindowWnd* CWindowWnd::FindWindow(std::string_view classOrTitle) {
    for (CWindowWnd* w : Live()) {
        if (w->GetWindowClassName() == classOrTitle || w->title_ == classOrTitle) {
            return w;
        }
    }
    return nullptr;
}

CWindowWnd::~CWindowWnd() {
    std::erase(Live(), this);
    for (const auto& [id, timer] : timers_) {
        if (CPaintManagerUI::GetBackend() != nullptr) {
            Backend().loop().KillTimer(timer);
        }
    }
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
    Live().push_back(this);
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
    Backend().RunModal([this] { return closed_; });
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

void CWindowWnd::SetTimer(uint32_t id, uint32_t elapseMs) {
    KillTimer(id);
    timers_[id] = Backend().loop().SetTimer(elapseMs, [this, id] { SendMessage(kWmTimer, id, 0); });
}

void CWindowWnd::KillTimer(uint32_t id) {
    if (const auto it = timers_.find(id); it != timers_.end()) {
        Backend().loop().KillTimer(it->second);
        timers_.erase(it);
    }
}

intptr_t CWindowWnd::SendMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return handle_ == 0 ? 0 : Backend().loop().SendMessage(handle_, message, wParam, lParam);
}

bool CWindowWnd::PostMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    return handle_ != 0 && Backend().loop().PostMessage(handle_, message, wParam, lParam);
}

intptr_t CWindowWnd::SendPayload(uint32_t message, std::any payload) {
    return handle_ == 0 ? 0 : Backend().loop().SendPayload(handle_, message, std::move(payload));
}

bool CWindowWnd::PostPayload(uint32_t message, std::any payload) {
    return handle_ != 0 && Backend().loop().PostPayload(handle_, message, std::move(payload));
}

const std::any* CWindowWnd::CurrentPayload() {
    IDisplayBackend* backend = CPaintManagerUI::GetBackend();
    return backend != nullptr ? backend->loop().CurrentPayload() : nullptr;
}

intptr_t CWindowWnd::HandleMessage(uint32_t message, uintptr_t wParam, intptr_t) {
    if (message == kWmClose) {
        DestroyWindow();
    } else if (message == kWmSysCommand) {
        state_ = wParam == kScMinimize   ? State::kMinimized
                 : wParam == kScMaximize ? State::kMaximized
                                         : State::kNormal;
        if (state_ != State::kMinimized && wParam == kScRestore) {
            visible_ = true;  // restoring a window shows it
        }
        Backend().WindowChanged(this);
    }
    return 0;
}

void CWindowWnd::DestroyWindow() {
    if (handle_ == 0) {
        return;
    }
    HandleMessage(kWmDestroy, 0, 0);
    for (const auto& [id, timer] : timers_) {
        Backend().loop().KillTimer(timer);
    }
    timers_.clear();
    visible_ = false;
    Backend().loop().DestroyWindow(handle_);
    Backend().WindowDestroyed(this);
    std::erase(Live(), this);
    handle_ = 0;
    closed_ = true;
    OnFinalMessage();
}

}  // namespace marlo::ui
