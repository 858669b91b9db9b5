#pragma once

namespace marlo::panels {

// Which areas of the lighting panel a mode leaves to edit, by the device's lighting family
// (1 the keyboard; 2, 3, 4, 5 and 7 other kinds of device) and the mode's index in its list.
struct LightAreas {
    bool multicolour = false;  // deng_7color_check
    bool colour = false;       // deng_color_layout
    bool palette = false;      // colorpallet_layout
    bool brightness = false;   // deng_light_layout
    bool speed = false;        // deng_speed_layout
    bool speedShown = true;
    bool directionEnabled = true;  // deng_fx_layout
    bool directionShown = false;
    bool colourLayout = true;  // light_color_layout
    bool custom = false;       // lightcustom_layout shown
    bool zzcc = false;         // light_combo_ZZCCmodeSelectLayout shown
    bool audio = false;        // light_combo_AudiomodeSelectLayout shown
    int colourPage = 0;        // light_color_tablayout: 0 the colour, 1 the audio colours
    // The texts of the two direction options (left, right).
    const char* directionLeft = "light_set_right_to_left_text";
    const char* directionRight = "light_set_left_to_right_text";
    bool sameMode = false;  // deng_same_mode shown

    bool operator==(const LightAreas&) const = default;
};

// The areas for `mode` of `family`; `sameModeAllowed` lets the rules that offer synchronised
// lighting show its button.
LightAreas LightAreasFor(int family, int mode, bool sameModeAllowed);

}  // namespace marlo::panels
