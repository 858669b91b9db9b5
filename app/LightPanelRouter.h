#pragma once

#include "ui/UIDefs.h"

namespace marlo::devices {
class CZentrixKeyboardDevice;
}  // namespace marlo::devices

namespace marlo::panels {
class CLightControlUI;
}  // namespace marlo::panels

namespace marlo::app {

class CMainWnd;

// The keyboard page's lighting panel: the mode, brightness, speed, direction, multicolour and
// colour (edits, palette, preset colours), painting keys of a custom group on the drawing, and
// the audio lighting's style and colours.
// Each change goes to the profile and the keyboard at once; the drawing follows.
class CLightPanelRouter {
  public:
    explicit CLightPanelRouter(CMainWnd& window) : window_(window) {}

    static panels::CLightControlUI* Panel(devices::CZentrixKeyboardDevice& keyboard);
    // The family, the mode list and the sliders' maxima (once, when the page is built).
    static void SetUp(devices::CZentrixKeyboardDevice& keyboard);
    // The keyboard's lighting into the panel (without notifications).
    static void Show(devices::CZentrixKeyboardDevice& keyboard);

    // False for a control that is not the panel's (or a key while the panel is not shown).
    bool OnItemSelect(devices::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    bool OnValueChanged(devices::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    bool OnSelectChanged(devices::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    bool OnClick(devices::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    bool OnKillFocus(devices::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);
    bool OnColorChanged(devices::CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender);

  private:
    // The panel's values into the profile and the keyboard, and the panel shows the result.
    void Apply(devices::CZentrixKeyboardDevice& keyboard, panels::CLightControlUI& panel);
    // The audio lighting as the panel shows it into the profile, and shown again.
    static void ApplyAudio(devices::CZentrixKeyboardDevice& keyboard,
                           panels::CLightControlUI& panel);

    CMainWnd& window_;
};

}  // namespace marlo::app
