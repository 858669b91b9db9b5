#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "panels/LightEnableRules.h"
#include "profiles/ProfileRecords.h"
#include "ui/ContainerUI.h"

namespace marlo::ui {
class CComboUI;
class COptionUI;
class CSliderUI;
}  // namespace marlo::ui

namespace marlo::panels {

// A control of the audio lighting is missing from the panel's layout.
class LightPanelError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The lighting panel of a device page ("LightControlItem"): the mode, brightness, speed,
// direction, multicolour and colour of the device's lighting, the custom group, and the audio
// lighting's mode and colours. The device fills it; the main window reads the edited values
// back. Which areas may be edited follows the mode and the device's lighting family.
class CLightControlUI : public ui::CVerticalLayoutUI {
  public:
    struct ModeItem {
        std::string name;  // a text id of the language files
        bool visible = true;
    };
    // The lighting settings as the device holds them, in four words (byte 0 lowest).
    struct Packed {
        uint32_t word1 = 0;  // mode index | brightness << 8 | speed << 16 | direction << 24
        uint32_t word2 = 0;  // multicolour | red << 8 | green << 16 | blue << 24
        uint32_t word3 = 0;  // ... | ZZCC mode << 24
        uint16_t word4 = 0;  // custom group | former mode << 8
    };
    static Packed Pack(const profiles::LightInfo& light);
    static profiles::LightInfo Unpack(const Packed& packed);
    static constexpr int kPresetColours = 8;
    // The preset colours of "color_option_<n>" and "audiocolor_option_<n>", 0xRRGGBB.
    static uint32_t PresetColour(int index);

    std::string_view GetClass() const override { return "LightControlUI"; }

    void SetFamily(int family) { family_ = family; }
    int family() const { return family_; }
    // The mode list (hidden modes keep their place: the index counts them) and the sliders'
    // maxima.
    void SetModeList(const std::vector<ModeItem>& modes, int brightnessMax, int speedMax);
    // Every control from the settings, then the areas for their mode.
    void SetLighting(const Packed& packed);
    // The selected mode (-1 without one), and it selected with its areas.
    int GetModeIndex() const;
    void SelectMode(int index);
    int GetBrightness() const;
    int GetSpeed() const;
    int GetRed() const { return EditValue("deng_edit_R"); }
    int GetGreen() const { return EditValue("deng_edit_G"); }
    int GetBlue() const { return EditValue("deng_edit_B"); }
    int GetMultiColor() const;
    int GetDirection() const;  // 1 for the right option, 0 for the left
    int GetZZCCMode() const;
    int GetCustomGroup() const;
    // The settings as the panel shows them, over `base` (what the panel does not edit).
    profiles::LightInfo Edited(const profiles::LightInfo& base) const;
    // The colour into the edits, the palette and the swatch (each channel 0-255).
    void ShowColour(int red, int green, int blue);
    // An edit's text as a channel: a number outside 0-255 (or no number) is corrected in the
    // edit, to 255 above and 0 below or without one. Returns the value kept.
    int CorrectEdit(const std::string& editName);

    // The audio lighting. Missing controls throw LightPanelError with the text the message
    // names.
    void SetAudioLight(const profiles::AudioLightInfo& audio);
    // What the controls show, over the audio lighting last set.
    profiles::AudioLightInfo GetAudioLight() const;
    uint32_t GetAudioColor() const;  // 0xRRGGBB of the audio edits
    // A colour into the audio edits, palette and swatch.
    void ShowAudioColour(int red, int green, int blue);

    // Whether the synchronised-lighting button may be shown (the rules decide when).
    void ShowSameMode(bool allowed);
    const LightAreas& areas() const { return areas_; }

  private:
    ui::CControlUI* Find(const char* name) const;
    ui::COptionUI* Option(const char* name) const;
    ui::CSliderUI* Slider(const char* name) const;
    ui::CComboUI* Combo(const char* name) const;
    int EditValue(const char* name) const;
    void ApplyAreas();
    struct ColourControls {
        const char* edits[3];
        const char* palette;
        const char* swatch;
    };
    void ShowColourIn(const ColourControls& names, int red, int green, int blue);

    int family_ = 1;
    bool sameModeAllowed_ = false;
    LightAreas areas_;
    // The audio lighting last set: the colour the edits do not show is kept from it.
    profiles::AudioLightInfo audio_;
};

}  // namespace marlo::panels
