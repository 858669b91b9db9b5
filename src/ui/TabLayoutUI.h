#pragma once

#include "ui/ContainerUI.h"

namespace marlo::ui {

// Shows one child page at a time.
class CTabLayoutUI : public CContainerUI {
  public:
    std::string_view GetClass() const override { return "TabLayoutUI"; }

    int GetCurSel() const { return curSel_; }
    // Shows page `index` and hides the others; sends "tabselect". False for no such page.
    bool SelectItem(int index, bool triggerEvent = true);
    bool SelectItem(CControlUI* page) { return SelectItem(GetItemIndex(page)); }

    bool AddAt(std::unique_ptr<CControlUI> control, int index) override;
    void SetAttribute(std::string_view name, std::string_view value) override;

  private:
    int curSel_ = -1;
    int wanted_ = 0;  // from the "selectedid" attribute, applied as pages arrive
};

}  // namespace marlo::ui
