#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "panels/MacroControlUI.h"
#include "ui/UIDefs.h"

namespace marlo::pages {
class CZentrixUSBDevice;
}  // namespace marlo::pages

namespace marlo::ui {
class CMenuWnd;
}  // namespace marlo::ui

namespace marlo::app {

class CMainWnd;

// The macro panel's rows on a device page (the keyboard's and the mouse's): the macro list's buttons, recording with the
// input hook (append, or before, after or instead of the selected step), the step buttons,
// the step menu, and the delay fields. Recording ends, and the hook goes, on the stop button,
// when the panel is no longer shown (another tab or page, the window hidden) and at shutdown.
class CMacroPanelRouter {
  public:
    explicit CMacroPanelRouter(CMainWnd& window);
    ~CMacroPanelRouter();

    // False for a control that is not one of the panel's.
    bool OnClick(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnItemSelect(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnItemActivate(pages::CZentrixUSBDevice& device, ui::CControlUI* sender);
    bool OnKillFocus(ui::CControlUI* sender);
    // A command of the step menu; false for another menu's.
    bool OnMenuCommand(pages::CZentrixUSBDevice* device, const std::string& name);
    // A key (hook message index 1-6 of the input messages) or mouse button from the hook.
    void OnHookKey(size_t messageIndex, uint32_t virtualKey, bool down);
    void OnHookButton(uint32_t button, bool down);
    // Ends a recording whose panel is no longer shown (or `always`).
    void StopRecordingUnlessShown(bool always = false);
    bool recording() const { return recording_ != nullptr; }

    // The hook modes of the placements.
    static constexpr uint32_t kModeAppend = 0x4;
    static constexpr uint32_t kModeBefore = 0x8;
    static constexpr uint32_t kModeAfter = 0x10;
    static constexpr uint32_t kModeReplace = 0x20;

  private:
    using Placement = panels::CMacroControlUI::Placement;
    static panels::CMacroControlUI* Panel(pages::CZentrixUSBDevice& device);
    void StartRecording(panels::CMacroControlUI& panel, Placement placement,
                        panels::CMacroControlUI::DelayMode mode);
    void StopRecording();
    // After the list changed: the key panel offers the macros as they are now.
    void MacrosChanged(pages::CZentrixUSBDevice& device, panels::CMacroControlUI& panel);
    // Saves the selected macro; a keyboard gets it again when a key plays it.
    void Save(pages::CZentrixUSBDevice& device, panels::CMacroControlUI& panel);
    void Refused(profiles::ListResult result);

    CMainWnd& window_;
    panels::CMacroControlUI* recording_ = nullptr;
    Placement placement_ = Placement::kAppend;
    std::unique_ptr<ui::CMenuWnd> menu_;
};

}  // namespace marlo::app
