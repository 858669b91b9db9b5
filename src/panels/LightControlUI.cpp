#include "panels/LightControlUI.h"

#include <algorithm>
#include <cstdio>

#include "platform/NumberText.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ListElementUI.h"
#include "ui/ListUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"
#include "ui/TabLayoutUI.h"

namespace marlo::panels {

namespace {

constexpr uint32_t kPresets[CLightControlUI::kPresetColours] = {
    0xFF0000, 0xFF8000, 0xFFFF00, 0x00FF00, 0x00FFFF, 0x0000FF, 0x8000FF, 0xFFFFFF};
// The audio mode whose colours are its own (neither colour can be chosen).
constexpr int kAudioModeOwnColours = 3;

uint32_t Argb(int red, int green, int blue) {
    return 0xFF000000u | static_cast<uint32_t>(red & 0xFF) << 16 |
           static_cast<uint32_t>(green & 0xFF) << 8 | static_cast<uint32_t>(blue & 0xFF);
}

std::string ColourText(uint32_t argb) {
    char text[16];
    std::snprintf(text, sizeof text, "#%08X", argb);
    return text;
}

}  // namespace

CLightControlUI::Packed CLightControlUI::Pack(const profiles::LightInfo& l) {
    const auto word = [](uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
        return uint32_t{a} | uint32_t{b} << 8 | uint32_t{c} << 16 | uint32_t{d} << 24;
    };
    Packed p;
    p.word1 = word(l.selectItem, l.light, l.speed, l.fx);
    p.word2 = word(l.multiColor, l.red, l.green, l.blue);
    p.word3 = word(l.unused1, l.unused2, l.present, l.zzccLedMode);
    p.word4 = static_cast<uint16_t>(l.customGroup | l.oldLedMode << 8);
    return p;
}

profiles::LightInfo CLightControlUI::Unpack(const Packed& p) {
    const auto byte = [](uint32_t word, int n) { return static_cast<uint8_t>(word >> (8 * n)); };
    profiles::LightInfo l;
    l.selectItem = byte(p.word1, 0);
    l.light = byte(p.word1, 1);
    l.speed = byte(p.word1, 2);
    l.fx = byte(p.word1, 3);
    l.multiColor = byte(p.word2, 0);
    l.red = byte(p.word2, 1);
    l.green = byte(p.word2, 2);
    l.blue = byte(p.word2, 3);
    l.unused1 = byte(p.word3, 0);
    l.unused2 = byte(p.word3, 1);
    l.present = byte(p.word3, 2);
    l.zzccLedMode = byte(p.word3, 3);
    l.customGroup = byte(p.word4, 0);
    l.oldLedMode = byte(p.word4, 1);
    return l;
}

uint32_t CLightControlUI::PresetColour(int index) {
    return index >= 0 && index < kPresetColours ? kPresets[index] : 0xFFFFFF;
}

ui::CControlUI* CLightControlUI::Find(const char* name) const {
    return const_cast<CLightControlUI*>(this)->FindSubControl(name);
}

ui::COptionUI* CLightControlUI::Option(const char* name) const {
    return dynamic_cast<ui::COptionUI*>(Find(name));
}

ui::CSliderUI* CLightControlUI::Slider(const char* name) const {
    return dynamic_cast<ui::CSliderUI*>(Find(name));
}

ui::CComboUI* CLightControlUI::Combo(const char* name) const {
    return dynamic_cast<ui::CComboUI*>(Find(name));
}

int CLightControlUI::EditValue(const char* name) const {
    const ui::CControlUI* edit = Find(name);
    const auto value = edit != nullptr ? platform::NumberText::Parse<int>(edit->GetText())
                                       : std::nullopt;
    return value ? std::clamp(*value, 0, 255) : 0;
}

void CLightControlUI::SetModeList(const std::vector<ModeItem>& modes, int brightnessMax,
                                  int speedMax) {
    if (ui::CComboUI* combo = Combo("light_combo_modeSelect")) {
        combo->RemoveAll();
        for (const ModeItem& mode : modes) {
            auto item = std::make_unique<ui::CListLabelElementUI>();
            item->SetResourceText(true);
            item->SetText(mode.name);
            item->SetUserData(mode.name);
            item->SetAttribute("height", "30");
            item->SetVisible(mode.visible);
            combo->Add(std::move(item));
        }
    }
    if (ui::CSliderUI* slider = Slider("deng_light_slider")) {
        slider->SetMaxValue(brightnessMax);
    }
    if (ui::CSliderUI* slider = Slider("deng_speed_slider")) {
        slider->SetMaxValue(speedMax);
    }
}

void CLightControlUI::SetLighting(const Packed& packed) {
    const profiles::LightInfo l = Unpack(packed);
    if (ui::CComboUI* combo = Combo("light_combo_modeSelect")) {
        combo->SelectItem(l.selectItem < combo->GetCount() ? l.selectItem : -1, false, false);
    }
    if (ui::CSliderUI* slider = Slider("deng_light_slider")) {
        slider->SetValue(l.light);
    }
    if (ui::CSliderUI* slider = Slider("deng_speed_slider")) {
        slider->SetValue(l.speed);
    }
    ShowColour(l.red, l.green, l.blue);
    if (ui::COptionUI* check = Option("deng_7color_check")) {
        check->Selected(l.multiColor != 0, false);
    }
    if (ui::CComboUI* combo = Combo("light_combo_ZZCCmodeSelect")) {
        combo->SelectItem(l.zzccLedMode < combo->GetCount() ? l.zzccLedMode : -1, false, false);
    }
    if (ui::CComboUI* combo = Combo("light_combo_custommodeSelect")) {
        combo->SelectItem(l.customGroup < combo->GetCount() ? l.customGroup : -1, false, false);
    }
    if (ui::COptionUI* option = Option(l.fx == 1 ? "deng_FXR_check" : "deng_FXL_check")) {
        option->Selected(true, false);
    }
    ApplyAreas();
}

int CLightControlUI::GetModeIndex() const {
    const ui::CComboUI* combo = Combo("light_combo_modeSelect");
    return combo != nullptr ? combo->GetCurSel() : -1;
}

void CLightControlUI::SelectMode(int index) {
    if (ui::CComboUI* combo = Combo("light_combo_modeSelect")) {
        combo->SelectItem(index, false, false);
    }
    ApplyAreas();
}

int CLightControlUI::GetBrightness() const {
    const ui::CSliderUI* slider = Slider("deng_light_slider");
    return slider != nullptr ? slider->GetValue() : 0;
}

int CLightControlUI::GetSpeed() const {
    const ui::CSliderUI* slider = Slider("deng_speed_slider");
    return slider != nullptr ? slider->GetValue() : 0;
}

int CLightControlUI::GetMultiColor() const {
    const ui::COptionUI* check = Option("deng_7color_check");
    return check != nullptr && check->IsSelected() ? 1 : 0;
}

int CLightControlUI::GetDirection() const {
    const ui::COptionUI* right = Option("deng_FXR_check");
    return right != nullptr && right->IsSelected() ? 1 : 0;
}

int CLightControlUI::GetZZCCMode() const {
    const ui::CComboUI* combo = Combo("light_combo_ZZCCmodeSelect");
    return combo != nullptr ? std::max(0, combo->GetCurSel()) : 0;
}

int CLightControlUI::GetCustomGroup() const {
    const ui::CComboUI* combo = Combo("light_combo_custommodeSelect");
    return combo != nullptr ? std::max(0, combo->GetCurSel()) : 0;
}

profiles::LightInfo CLightControlUI::Edited(const profiles::LightInfo& base) const {
    profiles::LightInfo l = base;
    if (const int mode = GetModeIndex(); mode >= 0) {
        l.selectItem = static_cast<uint8_t>(mode);
    }
    l.light = static_cast<uint8_t>(GetBrightness());
    l.speed = static_cast<uint8_t>(GetSpeed());
    l.fx = static_cast<uint8_t>(GetDirection());
    l.multiColor = static_cast<uint8_t>(GetMultiColor());
    l.red = static_cast<uint8_t>(GetRed());
    l.green = static_cast<uint8_t>(GetGreen());
    l.blue = static_cast<uint8_t>(GetBlue());
    l.zzccLedMode = static_cast<uint8_t>(GetZZCCMode());
    l.customGroup = static_cast<uint8_t>(GetCustomGroup());
    return l;
}

void CLightControlUI::ShowColourIn(const ColourControls& names, int red, int green, int blue) {
    const int channels[3] = {red, green, blue};
    for (int i = 0; i < 3; ++i) {
        if (ui::CControlUI* edit = Find(names.edits[i])) {
            edit->SetText(std::to_string(std::clamp(channels[i], 0, 255)));
        }
    }
    const uint32_t argb = Argb(red, green, blue);
    if (auto* palette = dynamic_cast<ui::CColorPaletteUI*>(Find(names.palette))) {
        palette->SetSelectColor(argb);
    }
    if (ui::CControlUI* swatch = Find(names.swatch)) {
        swatch->SetAttribute("bkcolor", ColourText(argb));
        swatch->Invalidate();  // a look set by name is not drawn until the control says so
    }
}

void CLightControlUI::ShowColour(int red, int green, int blue) {
    ShowColourIn({{"deng_edit_R", "deng_edit_G", "deng_edit_B"}, "deng_Color_Pallet",
                  "deng_colordp_btn"},
                 red, green, blue);
}

void CLightControlUI::ShowAudioColour(int red, int green, int blue) {
    ShowColourIn({{"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"},
                  "deng_audioColor_Pallet", "deng_audiocolordp_btn"},
                 red, green, blue);
}

int CLightControlUI::CorrectEdit(const std::string& editName) {
    ui::CControlUI* edit = Find(editName.c_str());
    if (edit == nullptr) {
        return 0;
    }
    const auto typed = platform::NumberText::Parse<long long>(edit->GetText());
    const int kept = typed ? static_cast<int>(std::clamp<long long>(*typed, 0, 255)) : 0;
    if (edit->GetText() != std::to_string(kept)) {
        edit->SetText(std::to_string(kept));
    }
    return kept;
}

void CLightControlUI::ShowSameMode(bool allowed) {
    sameModeAllowed_ = allowed;
    ApplyAreas();
}

void CLightControlUI::ApplyAreas() {
    areas_ = LightAreasFor(family_, GetModeIndex(), sameModeAllowed_);
    const auto enable = [this](const char* name, bool on) {
        if (ui::CControlUI* c = Find(name)) {
            c->SetEnabled(on);
        }
    };
    const auto show = [this](const char* name, bool on) {
        if (ui::CControlUI* c = Find(name)) {
            c->SetVisible(on);
        }
    };
    enable("lighteffect_layout", true);
    enable("deng_7color_check", areas_.multicolour);
    enable("deng_color_layout", areas_.colour);
    enable("colorpallet_layout", areas_.palette);
    enable("deng_light_layout", areas_.brightness);
    enable("deng_speed_layout", areas_.speed);
    show("deng_speed_layout", areas_.speedShown);
    enable("deng_fx_layout", areas_.directionEnabled);
    show("deng_fx_layout", areas_.directionShown);
    enable("light_color_layout", areas_.colourLayout);
    show("lightcustom_layout", areas_.custom);
    show("light_combo_ZZCCmodeSelectLayout", areas_.zzcc);
    show("light_combo_AudiomodeSelectLayout", areas_.audio);
    show("deng_same_mode", areas_.sameMode);
    if (auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(Find("light_color_tablayout"))) {
        tabs->SelectItem(areas_.colourPage, false);
    }
    if (ui::COptionUI* left = Option("deng_FXL_check")) {
        left->SetText(areas_.directionLeft);
    }
    if (ui::COptionUI* right = Option("deng_FXR_check")) {
        right->SetText(areas_.directionRight);
    }
}

void CLightControlUI::SetAudioLight(const profiles::AudioLightInfo& audio) {
    ui::CComboUI* mode = Combo("light_combo_audiomodeSelect");
    if (mode == nullptr) {
        throw LightPanelError(" SetAudioLightInfo control is NULL");
    }
    ui::COptionUI* multicolour = Option("deng_7audiocolor_check");
    ui::COptionUI* background = Option("audio_BkColor_check");
    ui::COptionUI* foreground = Option("audio_FgColor_check");
    auto* palette = dynamic_cast<ui::CColorPaletteUI*>(Find("deng_audioColor_Pallet"));
    ui::CControlUI* swatch = Find("deng_audiocolordp_btn");
    ui::CControlUI* colours = Find("light_audiocolor_layout");
    ui::CControlUI* paletteArea = Find("audiocolorpallet_layout");
    ui::CControlUI* edits[3] = {Find("deng_audioedit_R"), Find("deng_audioedit_G"),
                                Find("deng_audioedit_B")};
    if (multicolour == nullptr || background == nullptr || foreground == nullptr ||
        palette == nullptr || swatch == nullptr || colours == nullptr || paletteArea == nullptr ||
        edits[0] == nullptr || edits[1] == nullptr || edits[2] == nullptr) {
        throw LightPanelError("GetAudioLightInfo control is NULL");
    }
    audio_ = audio;
    mode->SelectItem(audio.audioMode < mode->GetCount() ? audio.audioMode : -1, false, false);
    const bool fg = audio.colorTypeFlags == 1;
    (fg ? foreground : background)->Selected(true, false);
    int rgb[3] = {audio.bkColorR, audio.bkColorG, audio.bkColorB};
    if (fg) {
        rgb[0] = audio.fgColorR;
        rgb[1] = audio.fgColorG;
        rgb[2] = audio.fgColorB;
        multicolour->Selected(audio.sevenColorFlags != 0, false);
    }
    ShowAudioColour(rgb[0], rgb[1], rgb[2]);
    const bool own = audio.audioMode == kAudioModeOwnColours;
    colours->SetEnabled(!own);
    paletteArea->SetEnabled(!own);
}

profiles::AudioLightInfo CLightControlUI::GetAudioLight() const {
    const ui::CComboUI* mode = Combo("light_combo_audiomodeSelect");
    const ui::COptionUI* multicolour = Option("deng_7audiocolor_check");
    const ui::COptionUI* foreground = Option("audio_FgColor_check");
    if (mode == nullptr || multicolour == nullptr || foreground == nullptr ||
        Option("audio_BkColor_check") == nullptr) {
        throw LightPanelError("GetAudioLightInfo control is NULL");
    }
    const uint32_t rgb = GetAudioColor();
    profiles::AudioLightInfo audio = audio_;
    audio.audioMode = static_cast<uint8_t>(std::max(0, mode->GetCurSel()));
    audio.colorTypeFlags = foreground->IsSelected() ? 1 : 0;
    if (audio.colorTypeFlags == 1) {
        audio.sevenColorFlags = multicolour->IsSelected() ? 1 : 0;
    }
    uint8_t* channels[3] = {&audio.bkColorR, &audio.bkColorG, &audio.bkColorB};
    if (audio.colorTypeFlags == 1) {
        channels[0] = &audio.fgColorR;
        channels[1] = &audio.fgColorG;
        channels[2] = &audio.fgColorB;
    }
    *channels[0] = static_cast<uint8_t>(rgb >> 16);
    *channels[1] = static_cast<uint8_t>(rgb >> 8);
    *channels[2] = static_cast<uint8_t>(rgb);
    return audio;
}

uint32_t CLightControlUI::GetAudioColor() const {
    const char* names[3] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
    uint32_t rgb = 0;
    for (const char* name : names) {
        if (Find(name) == nullptr) {
            throw LightPanelError("GetLightAudioColor control is NULL");
        }
        rgb = rgb << 8 | static_cast<uint32_t>(EditValue(name));
    }
    return rgb;
}

}  // namespace marlo::panels
