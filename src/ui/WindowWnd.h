#pragma once

#include <any>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "platform/MessageLoop.h"
#include "ui/DisplayBackend.h"

namespace marlo::ui {

inline constexpr uint32_t kWmCreate = 0x0001;
inline constexpr uint32_t kWmDestroy = 0x0002;
inline constexpr uint32_t kWmSysCommand = 0x0112;
inline constexpr uintptr_t kScMinimize = 0xF020;
inline constexpr uintptr_t kScMaximize = 0xF030;
inline constexpr uintptr_t kScRestore = 0xF120;

// A top-level window: a handle of the UI thread's message loop, a native window of the
// display backend, its geometry and visibility, and a modal loop.
class CWindowWnd {
  public:
    CWindowWnd() = default;
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    virtual std::string GetWindowClassName() const = 0;

    enum class State { kNormal, kMinimized, kMaximized };
    // A live window by its class name or its title (UI thread); nothing when none.
    static CWindowWnd* FindWindow(std::string_view classOrTitle);

    // Registers the window and creates its native window; hidden until shown.
    bool Create(CWindowWnd* parent, const std::string& title, int x, int y, int width, int height);
    platform::WindowHandle GetHWND() const { return handle_; }
    bool IsWindow() const { return handle_ != 0; }
    CWindowWnd* GetParent() const { return parent_; }

    void ShowWindow(bool show = true, bool takeFocus = true);
    bool IsVisible() const { return visible_; }
    // Runs a nested loop until the window closes; returns the result given to Close.
    uint32_t ShowModal();
    bool IsModal() const { return modal_; }
    // Closes the window (from the loop, after the current handler): WM_CLOSE, then it is
    // destroyed.
    void Close(uint32_t result = 0);
    void CenterWindow();
    void MoveWindow(int x, int y, int width, int height);
    void ResizeClient(int width, int height) { MoveWindow(rect_.x, rect_.y, width, height); }
    const UiRect& GetRect() const { return rect_; }
    void SetTitle(const std::string& title);
    const std::string& GetTitle() const { return title_; }
    void SetIcon(uint32_t resourceId);
    uint32_t GetIcon() const { return icon_; }
    // Raises the window above the others and gives it the focus.
    void BringToFront();
    State GetState() const { return state_; }

    // A window timer: kWmTimer with wParam = id every `elapseMs` until killed.
    void SetTimer(uint32_t id, uint32_t elapseMs);
    void KillTimer(uint32_t id);

    intptr_t SendMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    bool PostMessage(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0);
    // A message whose data travels as an owned payload (see platform::MessageLoop).
    intptr_t SendPayload(uint32_t message, std::any payload);
    bool PostPayload(uint32_t message, std::any payload);

  protected:
    // The payload of the message being handled, when it is a T; else nothing.
    template <typename T>
    static const T* MessagePayload() {
        const std::any* payload = CurrentPayload();
        return payload != nullptr ? std::any_cast<T>(payload) : nullptr;
    }
    static const std::any* CurrentPayload();

    virtual intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Called after the window is destroyed (the object may delete itself here).
    virtual void OnFinalMessage() {}
    // Destroys the native window and the handle: WM_DESTROY first.
    void DestroyWindow();

  private:
    platform::WindowHandle handle_ = 0;
    CWindowWnd* parent_ = nullptr;
    std::string title_;
    UiRect rect_;
    uint32_t icon_ = 0;
    bool visible_ = false;
    bool modal_ = false;
    bool closed_ = false;
    State state_ = State::kNormal;
    std::map<uint32_t, uint32_t> timers_;  // id -> loop timer
    uint32_t result_ = 0;
};

}  // namespace marlo::ui
