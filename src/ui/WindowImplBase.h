#pragma once

#include <memory>

#include "ui/ControlUI.h"
#include "ui/DialogBuilder.h"
#include "ui/NotifyPump.h"
#include "ui/PaintManagerUI.h"
#include "ui/WindowWnd.h"

namespace marlo::ui {

// A window whose content is a skin layout: on creation the layout of GetSkinFile() is built
// into the window's paint manager, InitWindow runs, and "windowinit" is sent once from the
// loop when the window is first laid out. Notifications go through the notify pump;
// messages through HandleCustomMessage first.
class WindowImplBase : public CWindowWnd,
                       public CNotifyPump,
                       public INotifyUI,
                       public IDialogBuilderCallback {
  public:
    WindowImplBase();
    ~WindowImplBase() override;

    virtual std::string GetSkinFile() = 0;
    virtual void InitWindow() {}
    void Notify(TNotifyUI& msg) override { NotifyPump(msg); }
    std::unique_ptr<CControlUI> CreateControl(std::string_view) override { return nullptr; }
    virtual intptr_t HandleCustomMessage(uint32_t message, uintptr_t wParam, intptr_t lParam,
                                         bool& handled);

    CPaintManagerUI& GetPaintManager() { return manager_; }
    // Errors of building the skin ("file:line: message").
    const std::vector<std::string>& skinErrors() const { return skinErrors_; }

  protected:
    intptr_t HandleMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    virtual intptr_t OnCreate();
    // A key the focused control left to the window: Tab and Shift+Tab move the focus, Space
    // and Enter press the focused button or option, Escape is OnEscape's. True when used.
    bool OnKeyDown(uint32_t key, bool shift);
    // Escape: a dialog closes; other windows keep it.
    virtual bool OnEscape() { return false; }
    // Lays the window out at `dpi` and gives it its skin size (at 96 DPI) scaled to it.
    void SizeForDpi(int dpi, int baseWidth, int baseHeight) {
        manager_.SetDPI(dpi);
        ResizeClient(manager_.Scale(baseWidth), manager_.Scale(baseHeight));
    }

    CPaintManagerUI manager_;

  private:
    std::vector<std::string> skinErrors_;
};

}  // namespace marlo::ui
