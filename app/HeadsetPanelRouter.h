#pragma once

#include "ui/UIDefs.h"

namespace marlo::pages {
class CZentrixHS6533Device;
}  // namespace marlo::pages

namespace marlo::app {

class CMainWnd;

// The headset page's sound panels: the equaliser presets, bands and custom presets, the
// microphone and monitor, the voice effects, surround and noise reduction. Each change goes to
// the headset (chip, then profile); the panels then show what the headset has.
class CHeadsetPanelRouter {
  public:
    explicit CHeadsetPanelRouter(CMainWnd& window) : window_(window) {}

    // The headset's values into its page's panels (without notifications); the panels are
    // disabled while the chip cannot be reached.
    static void Show(pages::CZentrixHS6533Device& headset);

    // False for a control that is not one of the panels'.
    bool OnSelectChanged(pages::CZentrixHS6533Device& headset, ui::CControlUI* sender);
    bool OnValueChanged(pages::CZentrixHS6533Device& headset, ui::CControlUI* sender);
    bool OnClick(pages::CZentrixHS6533Device& headset, ui::CControlUI* sender);
    bool OnItemSelect(pages::CZentrixHS6533Device& headset, ui::CControlUI* sender);

  private:
    CMainWnd& window_;
};

}  // namespace marlo::app
