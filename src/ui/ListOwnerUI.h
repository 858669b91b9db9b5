#pragma once

#include "ui/ContainerUI.h"
#include "ui/ListItem.h"

namespace marlo::ui {

// A container of selectable items (list or combo box): one selected item at a time;
// "itemselect" from the owner when the selection changes (wParam the new index, lParam the
// old), "itemactivate" from the item when it is activated.
class CListOwnerUI : public CVerticalLayoutUI, public IListOwnerUI {
  public:
    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    bool Remove(CControlUI* control) override;
    void RemoveAll() override;

    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
    int GetCurSel() const override { return curSel_; }
    void ItemActivated(CControlUI* item) override;
    int IndexOfItem(const CControlUI* item) const override { return GetItemIndex(item); }

    void DoEvent(TEventUI& event) override;

  private:
    static IListItemUI* AsItem(CControlUI* control);
    int curSel_ = -1;
};

}  // namespace marlo::ui
