#pragma once

#include "ui/ContainerUI.h"

namespace marlo::panels {

// The headset's voice effect panel ("MagicControlItem"): the effect on or off and which of the
// four it is.
class CMagicControlUI : public ui::CVerticalLayoutUI {
  public:
    static constexpr int kEffects = 4;

    std::string_view GetClass() const override { return "MagicControlUI"; }
    void SetSwitch(bool on);
    bool GetSwitch() const;
    // Effect n (1-4) selected, the others cleared; any other value selects none and keeps 0.
    void SelectEffect(int effect);
    int effect() const { return effect_; }

  private:
    int effect_ = 0;
};

}  // namespace marlo::panels
