#pragma once

#include <memory>
#include <vector>

#include "ui/ControlUI.h"

namespace marlo::ui {

// A control that owns children, in order. With "vscrollbar" it scrolls its content.
class CContainerUI : public CControlUI {
  public:
    std::string_view GetClass() const override { return "ContainerUI"; }

    // Takes ownership. False (and the control is destroyed) when it cannot be added.
    virtual bool Add(std::unique_ptr<CControlUI> control);
    virtual bool AddAt(std::unique_ptr<CControlUI> control, int index);
    // Destroys the child; false when it is not a child.
    virtual bool Remove(CControlUI* control);
    virtual void RemoveAll();
    int GetCount() const { return static_cast<int>(items_.size()); }
    // The controls inside an area the person dragged across (a container with
    // areaselect="true"; the display backend works out which they are). Nothing by default.
    virtual void SelectArea(const std::vector<CControlUI*>& /*inside*/) {}
    CControlUI* GetItemAt(int index) const;
    int GetItemIndex(const CControlUI* control) const;
    // The first descendant with this name.
    CControlUI* FindSubControl(std::string_view name);

    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;
    CControlUI* FindControl(const std::function<bool(CControlUI*)>& visit) override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;

    // Scrolling, in items: the first item shown.
    bool IsScrollable() const { return scrollable_; }
    int GetScrollPos() const { return scrollPos_; }
    void SetScrollPos(int pos);

  private:
    std::vector<std::unique_ptr<CControlUI>> items_;
    bool scrollable_ = false;
    int scrollPos_ = 0;
};

class CVerticalLayoutUI : public CContainerUI {
  public:
    std::string_view GetClass() const override { return "VerticalLayoutUI"; }
};

class CHorizontalLayoutUI : public CContainerUI {
  public:
    std::string_view GetClass() const override { return "HorizontalLayoutUI"; }
};

}  // namespace marlo::ui
