#pragma once

#include "ui/LabelUI.h"

namespace marlo::ui {

// A button with a selected state. Options with the same "group" in one window are exclusive:
// selecting one deselects the others, and clicking a selected grouped option keeps it.
class COptionUI : public CButtonUI {
  public:
    std::string_view GetClass() const override { return "OptionUI"; }

    bool IsSelected() const { return selected_; }
    // Sends "selectchanged" (when `triggerEvent`) from the option that became selected, or,
    // outside a group, from the option that changed.
    virtual void Selected(bool selected, bool triggerEvent = true);
    const std::string& GetGroup() const { return group_; }
    void SetGroup(std::string group);

    bool Activate() override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetManager(CPaintManagerUI* manager, CControlUI* parent) override;

  private:
    bool selected_ = false;
    std::string group_;
};

// An option that toggles: a click selects and deselects it, group or not.
class CCheckBoxUI : public COptionUI {
  public:
    std::string_view GetClass() const override { return "CheckBoxUI"; }
    bool GetCheck() const { return IsSelected(); }
    void SetCheck(bool check, bool triggerEvent = true) { Selected(check, triggerEvent); }
    bool Activate() override;
};

}  // namespace marlo::ui
