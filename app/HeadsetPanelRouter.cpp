#include "HeadsetPanelRouter.h"

#include <string>

#include "ControlRouter.h"
#include "MainWnd.h"
#include "pages/ZentrixHS6533Device.h"
#include "panels/MagicControlUI.h"
#include "panels/Voice6533ControlUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"

namespace marlo::app {
namespace {

using pages::CZentrixHS6533Device;
using panels::CVoice6533ControlUI;

constexpr int kCustomPreset = CVoice6533ControlUI::kPresets;

CVoice6533ControlUI* VoicePanel(CZentrixHS6533Device& headset) {
    return dynamic_cast<CVoice6533ControlUI*>(headset.FindSubControl("Voice6533ControlItem"));
}

panels::CMagicControlUI* MagicPanel(CZentrixHS6533Device& headset) {
    return dynamic_cast<panels::CMagicControlUI*>(headset.FindSubControl("MagicControlItem"));
}

void ShowCheck(CZentrixHS6533Device& headset, const char* name, bool on) {
    if (auto* option = dynamic_cast<ui::COptionUI*>(headset.FindSubControl(name))) {
        option->Selected(on, false);
    }
}

bool Selected(ui::CControlUI* sender) {
    const auto* option = dynamic_cast<ui::COptionUI*>(sender);
    return option != nullptr && option->IsSelected();
}

}  // namespace

void CHeadsetPanelRouter::Show(CZentrixHS6533Device& headset) {
    const bool reachable = headset.driver().chipReached();
    const auto state = headset.driver().audioState();
    const auto stages = headset.stages();
    for (const char* area : {"Voice6533ControlItem", "MagicControlItem", "SurroundControlItem"}) {
        if (ui::CControlUI* panel = headset.FindSubControl(area)) {
            panel->SetEnabled(reachable);
        }
    }
    if (CVoice6533ControlUI* voice = VoicePanel(headset)) {
        voice->SelectPreset(stages.eqType);
        voice->ClearCustom();
        const auto names = headset.CustomEqNames();
        for (const std::string& name : names) {
            voice->AddCustomName(name);
        }
        const int custom = stages.customEqSelectIndex;
        const bool customShown = stages.eqType == kCustomPreset && custom >= 0 &&
                                 custom < static_cast<int>(names.size());
        voice->SelectCustom(customShown ? custom : -1);
        const std::vector<int32_t> bands = customShown ? headset.driver().CustomEqValues(custom)
                                                       : headset.driver().EqValues(stages.eqType);
        voice->SetBands(std::vector<int>(bands.begin(), bands.end()));
        voice->SetMicSwitch(!state.micMute);
        voice->SetMicVolume(state.micVolume);
        voice->SetMonitorSwitch(!state.monitorMute);
        voice->SetMonitorVolume(state.monitorVolume);
    }
    if (panels::CMagicControlUI* magic = MagicPanel(headset)) {
        magic->SetSwitch(state.voiceEffect);
        magic->SelectEffect(state.voiceSelection);
    }
    ShowCheck(headset, "6533_surround_option", state.surround);
    ShowCheck(headset, "6533_noise_option", state.noiseReduction);
}

bool CHeadsetPanelRouter::OnSelectChanged(CZentrixHS6533Device& headset, ui::CControlUI* sender) {
    const std::string& name = sender->GetName();
    const bool on = Selected(sender);
    if (const auto preset = CControlRouter::IndexAfter(name, "6533_eq_option_")) {
        if (!on) {
            return true;  // the option a newly selected one cleared
        }
        if (*preset == kCustomPreset) {
            if (CVoice6533ControlUI* voice = VoicePanel(headset)) {
                voice->EnableCustom(true);
                if (const int custom = voice->selectedCustom(); custom >= 0) {
                    headset.SelectCustomEq(voice->CustomNameAt(custom));
                }
            }
            return true;
        }
        headset.SetEqPreset(*preset);
    } else if (const auto effect = CControlRouter::IndexAfter(name, "magic_option_")) {
        if (on) {
            headset.SetVoiceSelection(*effect);
        }
    } else if (CControlRouter::Is(name, "magic_enable_option")) {
        headset.SetVoiceEffect(on);
    } else if (CControlRouter::Is(name, "6533_MicIn_option")) {
        headset.SetMicMute(!on);
    } else if (CControlRouter::Is(name, "6533_MicMoniter_option")) {
        headset.SetMonitorMute(!on);
    } else if (CControlRouter::Is(name, "6533_surround_option")) {
        headset.SetSurround(on);
    } else if (CControlRouter::Is(name, "6533_noise_option")) {
        headset.SetNoiseReduction(on);
    } else {
        return false;
    }
    Show(headset);  // what the headset has now, also when it refused
    return true;
}

bool CHeadsetPanelRouter::OnValueChanged(CZentrixHS6533Device& headset, ui::CControlUI* sender) {
    const std::string& name = sender->GetName();
    const auto* slider = dynamic_cast<ui::CSliderUI*>(sender);
    if (slider == nullptr) {
        return false;
    }
    if (CControlRouter::IndexAfter(name, "6533_eq_hz_slider_")) {
        // The bands as they are set now, heard at once; kept when saved as a custom preset.
        if (CVoice6533ControlUI* voice = VoicePanel(headset)) {
            headset.SetEqualiserBands(voice->Bands());
        }
        return true;
    }
    if (CControlRouter::Is(name, "6533_MicIn_slider")) {
        headset.SetMicVolume(slider->GetValue());
    } else if (CControlRouter::Is(name, "6533_MicMoniter_slider")) {
        headset.SetMonitorVolume(slider->GetValue());
    } else {
        return false;
    }
    return true;
}

bool CHeadsetPanelRouter::OnClick(CZentrixHS6533Device& headset, ui::CControlUI* sender) {
    CVoice6533ControlUI* voice = VoicePanel(headset);
    const std::string& name = sender->GetName();
    if (voice == nullptr) {
        return false;
    }
    if (CControlRouter::Is(name, "hs_EQ_btn_save")) {
        const int result = headset.SaveCustomEq(voice->TypedName(), voice->Bands());
        if (result != 1) {
            window_.Ask(result == 0 ? "hs_custom_exists" : "hs_custom_full", false);
        }
    } else if (CControlRouter::Is(name, "hs_EQ_btn_delete")) {
        if (const int custom = voice->selectedCustom(); custom >= 0) {
            headset.DeleteCustomEq(voice->CustomNameAt(custom));
        }
    } else {
        return false;
    }
    Show(headset);
    return true;
}

bool CHeadsetPanelRouter::OnItemSelect(CZentrixHS6533Device& headset, ui::CControlUI* sender) {
    CVoice6533ControlUI* voice = VoicePanel(headset);
    if (voice == nullptr || !CControlRouter::Is(sender->GetName(), "custom_eq_name_combo")) {
        return false;
    }
    if (const int custom = voice->selectedCustom(); custom >= 0) {
        headset.SelectCustomEq(voice->CustomNameAt(custom));
    }
    Show(headset);
    return true;
}

}  // namespace marlo::app
