#include "LightPanelRouter.h"

#include <cctype>

#include "ControlRouter.h"
#include "MainWnd.h"
#include "SyncLighting.h"
#include "pages/LitDevice.h"
#include "pages/SelectPanelUI.h"
#include "pages/ZentrixKeyboardDevice.h"
#include "panels/LightControlUI.h"
#include "platform/DebugOutput.h"
#include "ui/ColorPaletteUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"
#include "ui/TabLayoutUI.h"

namespace marlo::app {

namespace {

using pages::CZentrixKeyboardDevice;
using pages::CZentrixUSBDevice;
using pages::ILitDevice;
using panels::CLightControlUI;

constexpr int kSliderMaximum = 4;  // brightness and speed

// Whether the lighting panel is the page's shown panel (a click on a key then paints it).
bool LightingShown(CZentrixUSBDevice& device) {
    const auto* panels =
        dynamic_cast<ui::CTabLayoutUI*>(device.FindSubControl("device_panel_switch"));
    return panels != nullptr && panels->GetCurSel() == 0;
}

bool Named(const std::string& name, std::initializer_list<const char*> rows) {
    for (const char* row : rows) {
        if (CControlRouter::Is(name, row)) {
            return true;
        }
    }
    return false;
}

void ShowRgb(CLightControlUI& panel, uint32_t rgb, bool audio) {
    const int r = static_cast<int>(rgb >> 16 & 0xFF);
    const int g = static_cast<int>(rgb >> 8 & 0xFF);
    const int b = static_cast<int>(rgb & 0xFF);
    if (audio) {
        panel.ShowAudioColour(r, g, b);
    } else {
        panel.ShowColour(r, g, b);
    }
}

}  // namespace

CLightControlUI* CLightPanelRouter::Panel(CZentrixUSBDevice& device) {
    return dynamic_cast<CLightControlUI*>(device.FindSubControl("LightControlItem"));
}

void CLightPanelRouter::SetUp(CZentrixUSBDevice& device) {
    CLightControlUI* panel = Panel(device);
    auto* lit = dynamic_cast<ILitDevice*>(&device);
    if (panel == nullptr || lit == nullptr) {
        return;
    }
    std::vector<CLightControlUI::ModeItem> modes;
    for (const auto& mode : lit->LightModes()) {
        modes.push_back({mode.name, mode.visible});
    }
    panel->SetFamily(lit->LightingFamily());
    panel->SetModeList(modes, kSliderMaximum, kSliderMaximum);
    panel->ShowSameMode(true);
    Show(device);
}

void CLightPanelRouter::Show(CZentrixUSBDevice& device) {
    CLightControlUI* panel = Panel(device);
    auto* lit = dynamic_cast<ILitDevice*>(&device);
    if (panel == nullptr || lit == nullptr) {
        return;
    }
    panel->SetLighting(CLightControlUI::Pack(lit->LightSettings()));
    if (auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device)) {
        try {
            panel->SetAudioLight(keyboard->driver().AudioLight());
        } catch (const panels::LightPanelError& e) {
            platform::DebugOutput::Write(e.what());  // a layout without the audio lighting
        }
    }
}

void CLightPanelRouter::Apply(CZentrixUSBDevice& device, CLightControlUI& panel) {
    auto* lit = dynamic_cast<ILitDevice*>(&device);
    if (lit == nullptr) {
        return;
    }
    device.deviceDriver().SetSyncOption(
        false);  // its own lighting again, until the same effect is asked
    lit->TakeLightSettings(panel.Edited(lit->LightSettings()),
                           [this](int, bool failed) { window_.ShowWriteStatus(failed); });
    Show(device);
    window_.UpdateAudioCompanion();
}

void CLightPanelRouter::ApplyAudio(CZentrixKeyboardDevice& keyboard, CLightControlUI& panel) {
    try {
        keyboard.driver().SetAudioLight(panel.GetAudioLight());
        keyboard.SaveProfile();
        panel.SetAudioLight(keyboard.driver().AudioLight());
    } catch (const panels::LightPanelError& e) {
        platform::DebugOutput::Write(e.what());
    }
}

void CLightPanelRouter::ApplySameEffect(CZentrixUSBDevice& device) {
    auto* lit = dynamic_cast<ILitDevice*>(&device);
    SyncLighting* sync = window_.syncLighting();
    if (lit == nullptr || sync == nullptr || window_.devices() == nullptr) {
        return;
    }
    const profiles::LightInfo light = lit->LightSettings();
    SyncLighting::Settings settings;
    settings.effect = SyncLighting::EffectOf(lit->LightModeValue());
    settings.speed = std::min<int>(light.speed, kSliderMaximum);
    settings.brightness = std::min<int>(light.light, kSliderMaximum);
    settings.colourCycle = light.multiColor != 0;
    settings.colour = uint32_t{light.red} << 16 | uint32_t{light.green} << 8 | light.blue;
    window_.devices()->TakePartInSync();
    sync->SetSettings(settings);  // after: it wakes the thread that plays for them
}

bool CLightPanelRouter::OnItemSelect(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(device);
    const std::string& name = sender->GetName();
    if (panel == nullptr) {
        return false;
    }
    if (CControlRouter::Is(name, "light_combo_audiomodeSelect")) {
        if (auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device)) {
            ApplyAudio(*keyboard, *panel);
        }
        return true;
    }
    if (!Named(name, {"light_combo_modeSelect", "light_combo_custommodeSelect",
                      "light_combo_ZZCCmodeSelect"})) {
        return false;
    }
    Apply(device, *panel);
    return true;
}

bool CLightPanelRouter::OnValueChanged(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    const std::string& slider = sender->GetName();
    if (Named(slider, {"R_light_slider", "G_light_slider", "B_light_slider"})) {
        // The companion's bars take the channel at once; the label shows it.
        const char channel = static_cast<char>(std::toupper(static_cast<unsigned char>(slider[0])));
        const int value = static_cast<ui::CProgressUI*>(sender)->GetValue();
        window_.SendAudioColour(channel == 'R' ? 6u : channel == 'G' ? 7u : 8u, value);
        if (ui::CControlUI* label = device.FindSubControl(std::string(1, channel) + "_light_label")) {
            label->SetText(std::string(1, channel) + " " + std::to_string(value));
        }
        return true;
    }
    CLightControlUI* panel = Panel(device);
    if (panel == nullptr || !Named(sender->GetName(), {"deng_light_slider", "deng_speed_slider"})) {
        return false;
    }
    Apply(device, *panel);
    return true;
}

bool CLightPanelRouter::OnSelectChanged(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(device);
    const std::string& name = sender->GetName();
    const auto* option = dynamic_cast<ui::COptionUI*>(sender);
    const bool selected = option != nullptr && option->IsSelected();
    if (panel == nullptr) {
        return false;
    }
    if (Named(name, {"deng_FXL_check", "deng_FXR_check"})) {
        // In the option group only the newly selected option speaks for the direction.
        if (selected) {
            Apply(device, *panel);
        }
        return true;
    }
    if (CControlRouter::Is(name, "deng_7color_check")) {
        Apply(device, *panel);
        return true;
    }
    auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device);
    if (keyboard == nullptr) {
        return false;
    }
    if (Named(name, {"audio_BkColor_check", "audio_FgColor_check"})) {
        // The edits now show the other colour: the one the profile holds.
        if (selected) {
            profiles::AudioLightInfo audio = keyboard->driver().AudioLight();
            audio.colorTypeFlags = CControlRouter::Is(name, "audio_FgColor_check") ? 1 : 0;
            keyboard->driver().SetAudioLight(audio);
            keyboard->SaveProfile();
            Show(device);
        }
        return true;
    }
    if (CControlRouter::Is(name, "deng_7audiocolor_check")) {
        ApplyAudio(*keyboard, *panel);
        return true;
    }
    return false;
}

bool CLightPanelRouter::OnClick(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(device);
    const std::string& name = sender->GetName();
    if (panel == nullptr) {
        return false;
    }
    if (const auto preset = CControlRouter::IndexAfter(name, "color_option_")) {
        ShowRgb(*panel, CLightControlUI::PresetColour(*preset), false);
        Apply(device, *panel);
        return true;
    }
    if (CControlRouter::Is(name, "deng_same_mode")) {
        ApplySameEffect(device);
        return true;
    }
    if (CControlRouter::Is(name, "deng_colordp_btn")) {
        const uint32_t now = static_cast<uint32_t>(panel->GetRed()) << 16 |
                             static_cast<uint32_t>(panel->GetGreen()) << 8 |
                             static_cast<uint32_t>(panel->GetBlue());
        if (const auto chosen = window_.children().OpenColour(window_.GetPaintManager().GetDPI(), now)) {
            ShowRgb(*panel, *chosen, false);
            Apply(device, *panel);
        }
        return true;
    }
    auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device);
    if (keyboard == nullptr) {
        return false;
    }
    if (CControlRouter::Is(name, "deng_audiocolordp_btn")) {
        uint32_t now = 0;
        try {
            now = panel->GetAudioColor();
        } catch (const panels::LightPanelError&) {
        }
        if (const auto chosen = window_.children().OpenColour(window_.GetPaintManager().GetDPI(), now)) {
            ShowRgb(*panel, *chosen, true);
            ApplyAudio(*keyboard, *panel);
        }
        return true;
    }
    if (const auto preset = CControlRouter::IndexAfter(name, "audiocolor_option_")) {
        ShowRgb(*panel, CLightControlUI::PresetColour(*preset), true);
        ApplyAudio(*keyboard, *panel);
        return true;
    }
    if (Named(name, {"custom_bright_color_btn", "custom_off_color_btn"})) {
        return true;  // the option group shows which the next painted key becomes
    }
    // A key of the drawing while the lighting panel shows a custom group: it is painted, lit
    // unless "paint unlit" is chosen.
    if (const auto key = CControlRouter::IndexAfter(name, "key_");
        key && LightingShown(device) && panel->areas().custom) {
        const auto* unlit =
            dynamic_cast<ui::COptionUI*>(device.FindSubControl("custom_off_color_btn"));
        const int position[] = {*key};
        keyboard->driver().PaintCustomKeys(
            position, unlit == nullptr || !unlit->IsSelected(),
            [this](int, bool failed) { window_.ShowWriteStatus(failed); });
        return true;
    }
    return false;
}

bool CLightPanelRouter::OnKillFocus(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(device);
    auto* lit = dynamic_cast<ILitDevice*>(&device);
    const std::string& name = sender->GetName();
    if (panel == nullptr || lit == nullptr) {
        return false;
    }
    if (Named(name, {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"})) {
        panel->CorrectEdit(name);
        if (auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device)) {
            ApplyAudio(*keyboard, *panel);
        }
        return true;
    }
    if (!Named(name, {"deng_edit_R", "deng_edit_G", "deng_edit_B"})) {
        return false;
    }
    panel->CorrectEdit(name);
    panel->ShowColour(panel->GetRed(), panel->GetGreen(), panel->GetBlue());
    if (panel->Edited(lit->LightSettings()) != lit->LightSettings()) {
        Apply(device, *panel);
    }
    return true;
}

bool CLightPanelRouter::OnColorChanged(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    CLightControlUI* panel = Panel(device);
    const auto* palette = dynamic_cast<ui::CColorPaletteUI*>(sender);
    if (panel == nullptr || palette == nullptr) {
        return false;
    }
    const uint32_t rgb = palette->GetSelectColor() & 0xFFFFFF;
    if (CControlRouter::Is(sender->GetName(), "deng_audioColor_Pallet")) {
        if (auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device)) {
            ShowRgb(*panel, rgb, true);
            ApplyAudio(*keyboard, *panel);
        }
        return true;
    }
    if (!CControlRouter::Is(sender->GetName(), "deng_Color_Pallet")) {
        return false;
    }
    ShowRgb(*panel, rgb, false);
    Apply(device, *panel);
    return true;
}

bool CLightPanelRouter::OnSelectEnd(CZentrixUSBDevice& device, ui::CControlUI* sender) {
    auto* drawing = dynamic_cast<pages::CSelectPanelUI*>(sender);
    CLightControlUI* panel = Panel(device);
    auto* keyboard = dynamic_cast<CZentrixKeyboardDevice*>(&device);
    if (drawing == nullptr) {
        return false;
    }
    if (panel != nullptr && keyboard != nullptr && LightingShown(device) &&
        panel->areas().custom) {
        const auto* unlit =
            dynamic_cast<ui::COptionUI*>(device.FindSubControl("custom_off_color_btn"));
        const bool lit = unlit == nullptr || !unlit->IsSelected();
        keyboard->driver().PaintCustomKeys(drawing->selectedKeys(), lit, [this](int, bool failed) {
            window_.ShowWriteStatus(failed);
        });
    }
    drawing->ClearSelection();
    return true;
}

}  // namespace marlo::app
