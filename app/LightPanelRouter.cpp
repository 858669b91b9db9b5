#include "LightPanelRouter.h"

#include "ControlRouter.h"
#include "MainWnd.h"
#include "devices/ZentrixKeyboardDevice.h"
#include "panels/LightControlUI.h"
#include "platform/DebugOutput.h"
#include "ui/ColorPaletteUI.h"
#include "ui/OptionUI.h"
#include "ui/TabLayoutUI.h"

namespace marlo::app {

namespace {

using devices::CZentrixKeyboardDevice;
using panels::CLightControlUI;

constexpr int kKeyboardFamily = 1;
constexpr int kKeyboardMaximum = 4;  // brightness and speed

// Whether the lighting panel is the page's shown panel (a click on a key then paints it).
bool LightingShown(CZentrixKeyboardDevice& keyboard) {
    const auto* panels =
        dynamic_cast<ui::CTabLayoutUI*>(keyboard.FindSubControl("device_panel_switch"));
    return panels != nullptr && panels->GetCurSel() == 0;
}

}  // namespace

CLightControlUI* CLightPanelRouter::Panel(CZentrixKeyboardDevice& keyboard) {
    return dynamic_cast<CLightControlUI*>(keyboard.FindSubControl("LightControlItem"));
}

void CLightPanelRouter::SetUp(CZentrixKeyboardDevice& keyboard) {
    CLightControlUI* panel = Panel(keyboard);
    if (panel == nullptr) {
        return;
    }
    std::vector<CLightControlUI::ModeItem> modes;
    for (const auto& mode : keyboard.Modes()) {
        modes.push_back({mode.name, mode.visible});
    }
    panel->SetFamily(kKeyboardFamily);
    panel->SetModeList(modes, kKeyboardMaximum, kKeyboardMaximum);
    Show(keyboard);
}

void CLightPanelRouter::Show(CZentrixKeyboardDevice& keyboard) {
    CLightControlUI* panel = Panel(keyboard);
    if (panel == nullptr) {
        return;
    }
    panel->SetLighting(CLightControlUI::Pack(keyboard.lightInfo()));
    try {
        panel->SetAudioLight(keyboard.profile().GetAudioLightInfo());
    } catch (const panels::LightPanelError& e) {
        platform::DebugOutput::Write(e.what());  // a layout without the audio lighting
    }
}

void CLightPanelRouter::ApplyAudio(CZentrixKeyboardDevice& keyboard, CLightControlUI& panel) {
    try {
        keyboard.profile().SetAudioLightInfo(panel.GetAudioLight());
        keyboard.SaveProfile();
        panel.SetAudioLight(keyboard.profile().GetAudioLightInfo());
    } catch (const panels::LightPanelError& e) {
        platform::DebugOutput::Write(e.what());
    }
}

void CLightPanelRouter::Apply(CZentrixKeyboardDevice& keyboard, CLightControlUI& panel) {
    keyboard.SetLightInfo(panel.Edited(keyboard.lightInfo()));
    keyboard.SaveProfile();
    keyboard.WriteLightingBlock(0);
    window_.ShowWriteStatus(keyboard.lastWriteFailed());
    Show(keyboard);
    window_.UpdateAudioCompanion();
}

bool CLightPanelRouter::OnItemSelect(CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(keyboard);
    const std::string& name = sender->GetName();
    if (panel != nullptr && CControlRouter::Is(name, "light_combo_audiomodeSelect")) {
        ApplyAudio(keyboard, *panel);
        return true;
    }
    if (panel == nullptr ||
        !(CControlRouter::Is(name, "light_combo_modeSelect") ||
          CControlRouter::Is(name, "light_combo_custommodeSelect") ||
          CControlRouter::Is(name, "light_combo_ZZCCmodeSelect"))) {
        return false;
    }
    Apply(keyboard, *panel);
    return true;
}

bool CLightPanelRouter::OnValueChanged(CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(keyboard);
    const std::string& name = sender->GetName();
    if (panel == nullptr || !(CControlRouter::Is(name, "deng_light_slider") ||
                              CControlRouter::Is(name, "deng_speed_slider"))) {
        return false;
    }
    Apply(keyboard, *panel);
    return true;
}

bool CLightPanelRouter::OnSelectChanged(CZentrixKeyboardDevice& keyboard,
                                        ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(keyboard);
    const std::string& name = sender->GetName();
    if (panel == nullptr) {
        return false;
    }
    if (CControlRouter::Is(name, "deng_FXL_check") || CControlRouter::Is(name, "deng_FXR_check")) {
        // In the option group only the newly selected option speaks for the direction.
        const auto* option = dynamic_cast<ui::COptionUI*>(sender);
        if (option != nullptr && option->IsSelected()) {
            Apply(keyboard, *panel);
        }
        return true;
    }
    if (CControlRouter::Is(name, "deng_7color_check")) {
        Apply(keyboard, *panel);
        return true;
    }
    if (CControlRouter::Is(name, "audio_BkColor_check") ||
        CControlRouter::Is(name, "audio_FgColor_check")) {
        // The edits now show the other colour: the one the profile holds.
        const auto* option = dynamic_cast<ui::COptionUI*>(sender);
        if (option != nullptr && option->IsSelected()) {
            profiles::AudioLightInfo audio = keyboard.profile().GetAudioLightInfo();
            audio.colorTypeFlags = CControlRouter::Is(name, "audio_FgColor_check") ? 1 : 0;
            keyboard.profile().SetAudioLightInfo(audio);
            keyboard.SaveProfile();
            Show(keyboard);
        }
        return true;
    }
    if (CControlRouter::Is(name, "deng_7audiocolor_check")) {
        ApplyAudio(keyboard, *panel);
        return true;
    }
    return false;
}

bool CLightPanelRouter::OnClick(CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(keyboard);
    const std::string& name = sender->GetName();
    if (panel == nullptr) {
        return false;
    }
    if (const auto preset = CControlRouter::IndexAfter(name, "color_option_")) {
        const uint32_t rgb = CLightControlUI::PresetColour(*preset);
        panel->ShowColour(static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                          static_cast<int>(rgb & 0xFF));
        Apply(keyboard, *panel);
        return true;
    }
    if (const auto preset = CControlRouter::IndexAfter(name, "audiocolor_option_")) {
        const uint32_t rgb = CLightControlUI::PresetColour(*preset);
        panel->ShowAudioColour(static_cast<int>(rgb >> 16 & 0xFF),
                               static_cast<int>(rgb >> 8 & 0xFF), static_cast<int>(rgb & 0xFF));
        ApplyAudio(keyboard, *panel);
        return true;
    }
    if (CControlRouter::Is(name, "custom_bright_color_btn") ||
        CControlRouter::Is(name, "custom_off_color_btn")) {
        return true;  // the option group shows which the next painted key becomes
    }
    // A key of the drawing while the lighting panel shows a custom group: it is painted, lit
    // unless "paint unlit" is chosen.
    if (const auto key = CControlRouter::IndexAfter(name, "key_");
        key && LightingShown(keyboard) && panel->areas().custom) {
        const auto* unlit =
            dynamic_cast<ui::COptionUI*>(keyboard.FindSubControl("custom_off_color_btn"));
        keyboard.PaintCustomKey(static_cast<size_t>(*key), unlit == nullptr || !unlit->IsSelected());
        window_.ShowWriteStatus(keyboard.lastWriteFailed());
        return true;
    }
    return false;
}

bool CLightPanelRouter::OnKillFocus(CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(keyboard);
    const std::string& name = sender->GetName();
    if (panel != nullptr && (CControlRouter::Is(name, "deng_audioedit_R") ||
                             CControlRouter::Is(name, "deng_audioedit_G") ||
                             CControlRouter::Is(name, "deng_audioedit_B"))) {
        panel->CorrectEdit(name);
        ApplyAudio(keyboard, *panel);
        return true;
    }
    if (panel == nullptr || !(CControlRouter::Is(name, "deng_edit_R") ||
                              CControlRouter::Is(name, "deng_edit_G") ||
                              CControlRouter::Is(name, "deng_edit_B"))) {
        return false;
    }
    panel->CorrectEdit(name);
    panel->ShowColour(panel->GetRed(), panel->GetGreen(), panel->GetBlue());
    if (panel->Edited(keyboard.lightInfo()) != keyboard.lightInfo()) {
        Apply(keyboard, *panel);
    }
    return true;
}

bool CLightPanelRouter::OnColorChanged(CZentrixKeyboardDevice& keyboard, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(keyboard);
    auto* palette = dynamic_cast<ui::CColorPaletteUI*>(sender);
    if (panel == nullptr || palette == nullptr) {
        return false;
    }
    const uint32_t argb = palette->GetSelectColor();
    if (CControlRouter::Is(sender->GetName(), "deng_audioColor_Pallet")) {
        panel->ShowAudioColour(static_cast<int>(argb >> 16 & 0xFF),
                               static_cast<int>(argb >> 8 & 0xFF), static_cast<int>(argb & 0xFF));
        ApplyAudio(keyboard, *panel);
        return true;
    }
    if (!CControlRouter::Is(sender->GetName(), "deng_Color_Pallet")) {
        return false;
    }
    panel->ShowColour(static_cast<int>(argb >> 16 & 0xFF), static_cast<int>(argb >> 8 & 0xFF),
                      static_cast<int>(argb & 0xFF));
    Apply(keyboard, *panel);
    return true;
}

}  // namespace marlo::app
