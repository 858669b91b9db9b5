#pragma once

#include "ui/UIDefs.h"

namespace marlo::pages {
class CZentrixUSBDevice;
class CZentrixKeyboardDevice;
}  // namespace marlo::pages

namespace marlo::panels {
class CLightControlUI;
}  // namespace marlo::panels

namespace marlo::app {

class CMainWnd;

// The lighting panel of a device page (the keyboard's and the headset's): the mode,
// brightness, speed, direction, multicolour and colour (edits, palette, preset colours), the
// same effect on every device; on the keyboard also painting keys of a custom group on the
// drawing and the audio lighting's style and colours. Each change goes to the profile and the
// device at once; the drawing follows.
class CLightPanelRouter {
  public:
    explicit CLightPanelRouter(CMainWnd& window) : window_(window) {}

    static panels::CLightControlUI* Panel(pages::CZentrixUSBDevice& device);
    // The family, the mode list and the sliders' maxima (once, when the page is built).
    static void SetUp(pages::CZentrixUSBDevice& device);
    // The device's lighting into the panel (without notifications).
    static void Show(pages::CZentrixUSBDevice& device);

    // False for a control that is not the panel's (or a key while the panel is not shown).
    bool OnItemSelect(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnValueChanged(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnSelectChanged(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnClick(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnKillFocus(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnColorChanged(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    // Keys dragged across on the drawing: painted while the panel shows a custom group; the
    // marks go either way.
    bool OnSelectEnd(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);

  private:
    // The panel's values into the profile and the device, and the panel shows the result.
    void Apply(pages::CZentrixUSBDevice& device, panels::CLightControlUI& panel);
    // The audio lighting as the panel shows it into the profile, and shown again.
    static void ApplyAudio(pages::CZentrixKeyboardDevice& keyboard, panels::CLightControlUI& panel);
    // The device's effect played on every connected device with a lighting (synchronised).
    void ApplySameEffect(pages::CZentrixUSBDevice& device);

    CMainWnd& window_;
};

}  // namespace marlo::app
