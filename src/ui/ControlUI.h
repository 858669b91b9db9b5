#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "ui/UIDefs.h"

namespace marlo::ui {

class CPaintManagerUI;

// The base of every control: what the skin and the program set on it, and its place in the
// tree. A container owns its children; every other pointer to a control is non-owning and
// valid while the control is in its window's tree.
class CControlUI {
  public:
    CControlUI() = default;
    virtual ~CControlUI() = default;
    CControlUI(const CControlUI&) = delete;
    CControlUI& operator=(const CControlUI&) = delete;

    // The class as the skin names it, with "UI" ("ButtonUI"); tags drop the "UI".
    virtual std::string_view GetClass() const { return "ControlUI"; }

    const std::string& GetName() const { return name_; }
    void SetName(std::string name);
    virtual std::string GetText() const { return text_; }
    // The text, or with the resource-text flag set the language's text for it.
    virtual void SetText(std::string text);
    std::string GetShownText() const;
    // The tooltip as shown: the language's text when the tooltip is a text identifier of it.
    std::string GetShownToolTip() const;
    const std::string& GetToolTip() const { return tooltip_; }
    void SetToolTip(std::string tooltip) {
        tooltip_ = std::move(tooltip);
        Invalidate();
    }

    // Own flag, and whether this control and all its parents are visible.
    virtual void SetVisible(bool visible);
    bool IsVisible() const;
    bool GetOwnVisibility() const { return visible_; }
    virtual void SetEnabled(bool enabled);
    bool IsEnabled() const { return enabled_; }
    bool IsFocused() const;
    void SetFocus();
    virtual bool IsFocusable() const { return false; }

    const std::string& GetUserData() const { return userData_; }
    void SetUserData(std::string data) { userData_ = std::move(data); }
    uintptr_t GetTag() const { return tag_; }
    void SetTag(uintptr_t tag) { tag_ = tag; }
    bool IsResourceText() const { return resourceText_; }
    void SetResourceText(bool on) {
        resourceText_ = on;
        Invalidate();
    }

    // Every attribute is kept by name; the ones a class understands also change its state.
    virtual void SetAttribute(std::string_view name, std::string_view value);
    std::optional<std::string> GetAttribute(std::string_view name) const;
    const std::map<std::string, std::string, std::less<>>& attributes() const {
        return attributes_;
    }
    // A colour attribute such as "bkcolor" (0 when absent).
    uint32_t GetColorAttribute(std::string_view name) const;

    CControlUI* GetParent() const { return parent_; }
    CPaintManagerUI* GetManager() const { return manager_; }
    // The virtual window a notification from this control goes to: the nearest "virtualwnd".
    std::string GetVirtualWnd() const;
    // Attaches the control (and its children) to a window's manager.
    virtual void SetManager(CPaintManagerUI* manager, CControlUI* parent);

    // What a click does: sends "click". Returns false when the control is disabled or hidden.
    virtual bool Activate();
    // Input from the display backend (or a test acting as a user).
    virtual void DoEvent(TEventUI& event);
    // A timer of this control (CPaintManagerUI::SetTimer) fired. Unless the control handles
    // it (returns true), the window's notifiers hear of it as a "timer" notification.
    virtual bool DoTimer(uint32_t /*id*/) { return false; }
    // Visits this control and its descendants, depth first; stops when `visit` returns true.
    virtual CControlUI* FindControl(const std::function<bool(CControlUI*)>& visit);

    // Tells the display backend that what this control shows has changed.
    void Invalidate();
    // Only the control's colours changed: it is drawn again, nothing else of it looked at.
    void InvalidateColours();

  protected:
    void SendNotify(const char* type, uintptr_t wParam = 0, intptr_t lParam = 0);

  private:
    std::string name_;
    std::string text_;
    std::string tooltip_;
    std::string userData_;
    uintptr_t tag_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    bool resourceText_ = false;
    std::map<std::string, std::string, std::less<>> attributes_;
    CControlUI* parent_ = nullptr;
    CPaintManagerUI* manager_ = nullptr;
};

}  // namespace marlo::ui
