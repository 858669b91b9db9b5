#pragma once

#include "ui/ListOwnerUI.h"

namespace marlo::ui {

class CListUI : public CListOwnerUI {
  public:
    std::string_view GetClass() const override { return "ListUI"; }
    bool IsFocusable() const override { return true; }
};

// A drop-down list: shows the selected item's text; a click opens the drop list
// ("dropdown"), from which the user selects an item.
class CComboUI : public CListOwnerUI {
  public:
    std::string_view GetClass() const override { return "ComboUI"; }
    bool IsFocusable() const override { return true; }

    std::string GetText() const override;
    bool Activate() override;
    bool IsDropped() const { return dropped_; }
    void CloseDropList() {
        dropped_ = false;
        Invalidate();
    }
    bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;

  private:
    bool dropped_ = false;
};

}  // namespace marlo::ui
