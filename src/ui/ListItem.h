#pragma once

namespace marlo::ui {

class CControlUI;

// What a combo box or list offers its items.
class IListOwnerUI {
  public:
    virtual ~IListOwnerUI() = default;
    virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
    virtual int GetCurSel() const = 0;
    // An item was activated (double-click or Enter).
    virtual void ItemActivated(CControlUI* item) = 0;
    virtual int IndexOfItem(const CControlUI* item) const = 0;
};

// What an item of a combo box or list knows of its owner.
class IListItemUI {
  public:
    virtual ~IListItemUI() = default;
    IListOwnerUI* GetOwner() const { return owner_; }
    void SetOwner(IListOwnerUI* owner) { owner_ = owner; }
    bool IsSelected() const { return selected_; }
    void SetSelectedState(bool selected) { selected_ = selected; }

  private:
    IListOwnerUI* owner_ = nullptr;
    bool selected_ = false;
};

}  // namespace marlo::ui
