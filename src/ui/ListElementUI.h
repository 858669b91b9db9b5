#pragma once

#include "ui/ContainerUI.h"
#include "ui/LabelUI.h"
#include "ui/ListItem.h"

namespace marlo::ui {

// A text item of a list or combo box. A click selects it ("itemclick" from the item, then
// "itemselect" from the owner when the selection changed); a double click activates it.
class CListLabelElementUI : public CLabelUI, public IListItemUI {
  public:
    std::string_view GetClass() const override { return "ListLabelElementUI"; }
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    bool Select(bool takeFocus = false);
};

// An item holding other controls.
class CListContainerElementUI : public CContainerUI, public IListItemUI {
  public:
    std::string_view GetClass() const override { return "ListContainerElementUI"; }
    bool Activate() override;
    void DoEvent(TEventUI& event) override;
    bool Select(bool takeFocus = false);
};

}  // namespace marlo::ui
