#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/UIDefs.h"

namespace marlo::ui {

class CControlUI;
class COptionUI;
class CWindowWnd;
class IDisplayBackend;

struct FontInfo {
    std::string face;
    int size = 14;
    bool bold = false;
    bool underline = false;
    bool italic = false;
};

// One per window: the control tree and its name map, the notifiers, timers on controls,
// focus, option groups, the DPI, the font table and default attributes per class. Also the
// process-wide instance path, resource path and display backend.
class CPaintManagerUI {
  public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    static void SetInstancePath(const std::string& path);
    // The program's folder, with a trailing separator.
    static const std::string& GetInstancePath();
    static void SetResourcePath(const std::string& path);
    // The skin folder, with a trailing separator.
    static const std::string& GetResourcePath();
    static void SetBackend(IDisplayBackend* backend);
    static IDisplayBackend* GetBackend();
    // Every live manager (for re-texting all windows).
    static std::vector<CPaintManagerUI*> AllManagers();

    void Init(CWindowWnd* window) { window_ = window; }
    CWindowWnd* GetWindow() const { return window_; }

    // Takes the tree; the previous one is destroyed.
    bool AttachDialog(std::unique_ptr<CControlUI> root);
    CControlUI* GetRoot() const { return root_.get(); }

    CControlUI* FindControl(std::string_view name) const;
    CControlUI* FindSubControlByName(CControlUI* parent, std::string_view name) const;
    std::vector<CControlUI*> FindControlsByClass(std::string_view className) const;
    template <typename T>
    T* Find(std::string_view name) const {
        return dynamic_cast<T*>(FindControl(name));
    }

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    // Calls every notifier now, on the calling (UI) thread.
    void SendNotify(CControlUI* control, const char* type, uintptr_t wParam = 0,
                    intptr_t lParam = 0);
    // Sends the notification from the loop, after the current handler has returned.
    void PostNotify(CControlUI* control, const char* type, uintptr_t wParam = 0,
                    intptr_t lParam = 0);

    // A timer on a control: "timer" notifications from it with wParam = id, every `elapseMs`
    // until killed. Setting an existing id restarts it.
    bool SetTimer(CControlUI* control, uint32_t id, uint32_t elapseMs);
    bool KillTimer(CControlUI* control, uint32_t id);
    void KillTimers(CControlUI* control);

    CControlUI* GetFocus() const { return focus_; }
    // "killfocus" from the old control, then "setfocus" from the new one.
    void SetFocus(CControlUI* control);
    // Moves the focus to the next (or previous) control that takes it, in the order of the
    // layout, going round at the end; the control that has it then (none in an empty window).
    CControlUI* MoveFocus(bool forward);

    int GetDPI() const { return dpi_; }
    void SetDPI(int dpi);
    // The same DPI for every window's manager.
    static void SetAllDPI(int dpi);
    // A length at 96 DPI, in pixels at the manager's DPI.
    int Scale(int value) const { return value * dpi_ / 96; }

    void AddFont(int id, FontInfo font, bool isDefault = false);
    // The shared font of that id when there is one, else the window's own.
    const FontInfo* GetFont(int id) const;
    const FontInfo& GetDefaultFont() const;
    void RemoveAllFonts() { fonts_.clear(); }
    // Fonts every window uses before its own (the language's font table); replacing them
    // re-draws every window's text.
    static void SetSharedFonts(std::map<int, FontInfo> fonts, FontInfo defaultFont);
    static const FontInfo* GetSharedFont(int id);
    // The shared default font's face; empty before there are shared fonts.
    static std::string GetSharedDefaultFace();

    void AddDefaultAttributeList(const std::string& className, const std::string& attributes);
    std::string GetDefaultAttributeList(std::string_view className) const;

    void SetWindowAttribute(const std::string& name, const std::string& value);
    std::string GetWindowAttribute(std::string_view name) const;

    void AddOptionGroup(const std::string& group, COptionUI* option);
    void RemoveOptionGroup(const std::string& group, COptionUI* option);
    std::vector<COptionUI*> GetOptionGroup(std::string_view group) const;

    // Bookkeeping called by the controls themselves.
    void RegisterControl(CControlUI* control);
    void RenameControl(CControlUI* control, const std::string& oldName);
    void ForgetControl(CControlUI* control);
    void ControlChanged(CControlUI* control);
    void ControlRecoloured(CControlUI* control);

  private:
    CWindowWnd* window_ = nullptr;
    std::unique_ptr<CControlUI> root_;
    std::map<std::string, CControlUI*, std::less<>> names_;
    std::vector<INotifyUI*> notifiers_;
    std::map<std::pair<CControlUI*, uint32_t>, uint32_t> timers_;  // -> loop timer
    CControlUI* focus_ = nullptr;
    int dpi_ = 96;
    std::map<int, FontInfo> fonts_;
    FontInfo defaultFont_;
    std::map<std::string, std::string, std::less<>> defaultAttributes_;
    std::map<std::string, std::string, std::less<>> windowAttributes_;
    std::map<std::string, std::vector<COptionUI*>, std::less<>> optionGroups_;
    // Set while this manager lives: posted notifications check it before they run.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace marlo::ui
