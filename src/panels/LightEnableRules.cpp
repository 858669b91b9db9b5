#include "panels/LightEnableRules.h"

namespace marlo::panels {

namespace {

// The five switches most rows set together: multicolour, colour, palette, brightness, speed.
void Set(LightAreas& a, bool multicolour, bool colour, bool palette, bool brightness,
         bool speed) {
    a.multicolour = multicolour;
    a.colour = colour;
    a.palette = palette;
    a.brightness = brightness;
    a.speed = speed;
}

LightAreas Keyboard(int mode) {
    LightAreas a;  // the defaults are what every keyboard mode starts from
    switch (mode) {
        case 1: case 2: case 4:
            Set(a, true, true, true, true, true);
            a.directionShown = true;
            break;
        case 3:
            Set(a, false, false, false, true, true);
            a.directionShown = true;
            a.colourLayout = false;
            a.directionLeft = "light_set_outside_to_inside_text";
            a.directionRight = "light_set_inside_to_outside_text";
            break;
        case 5: case 7:
            Set(a, false, true, true, true, false);
            a.speedShown = false;
            a.directionEnabled = false;
            break;
        case 6: case 23: case 8: case 9: case 10: case 14: case 15: case 16: case 17: case 18:
        case 20: case 22: case 13:
            Set(a, true, true, true, true, true);
            a.directionEnabled = false;
            break;
        case 11: case 12: case 42: case 40:
            Set(a, false, false, false, true, true);
            a.directionEnabled = false;
            a.colourLayout = false;
            break;
        case 19: case 24:
            Set(a, true, true, true, true, true);
            a.directionShown = mode == 19;
            a.directionLeft = "light_set_down_to_up_text";
            a.directionRight = "light_set_up_to_down_text";
            break;
        case 21:
            Set(a, false, true, true, false, false);
            a.speedShown = false;
            a.directionEnabled = false;
            a.custom = true;
            break;
        case 26: case 27:
            Set(a, false, false, false, true, true);
            a.directionEnabled = false;
            break;
        case 29:
            Set(a, true, true, true, true, false);
            a.speedShown = false;
            a.audio = true;
            a.colourPage = 1;
            break;
        case 30:
            Set(a, false, false, false, true, false);
            a.directionEnabled = false;
            a.colourLayout = false;
            break;
        case 41: case 43:
            Set(a, true, true, true, true, true);
            break;
        case 45:
            Set(a, false, false, false, true, true);
            a.speedShown = false;
            a.directionEnabled = false;
            a.zzcc = true;
            a.colourLayout = false;
            break;
        default:  // 28 and every mode without a rule: nothing to edit
            a.directionEnabled = false;
            break;
    }
    return a;
}

// The rows other families share: row 1 (no colour), row 2 (all but the direction), row 3
// (one colour, no speed) and the synchronised row (nothing, and the synchronised button).
enum class Row { kAll, kNoColour, kAllButDirection, kOneColour, kSynchronised, kNone };

LightAreas Apply(Row row, bool sameModeAllowed) {
    LightAreas a;
    a.directionShown = true;
    switch (row) {
        case Row::kAll: Set(a, true, true, true, true, true); break;
        case Row::kNoColour:
            Set(a, false, false, false, true, true);
            a.directionEnabled = false;
            break;
        case Row::kAllButDirection:
            Set(a, true, true, true, true, true);
            a.directionEnabled = false;
            break;
        case Row::kOneColour:
            Set(a, false, true, true, true, false);
            a.directionEnabled = false;
            break;
        case Row::kSynchronised:
            a.directionEnabled = false;
            a.sameMode = true;
            return a;
        case Row::kNone:
            a.directionEnabled = false;
            return a;
    }
    a.sameMode = sameModeAllowed;
    return a;
}

Row MouseRow(int mode) {  // family 2
    switch (mode) {
        case 0: case 5: return Row::kAll;
        case 1: case 7: case 8: return Row::kNoColour;
        case 2: case 4: case 6: return Row::kAllButDirection;
        case 3: return Row::kOneColour;
        case 9: return Row::kSynchronised;
        default: return Row::kNone;
    }
}

Row PadRow(int mode) {  // families 3, 4 and 7
    switch (mode) {
        case 0: return Row::kAll;
        case 1: return Row::kNoColour;
        case 2: case 4: return Row::kAllButDirection;
        case 3: return Row::kOneColour;
        case 8: return Row::kSynchronised;
        default: return Row::kNone;
    }
}

LightAreas Family5(int mode, bool sameModeAllowed) {
    LightAreas a = Apply(Row::kAll, sameModeAllowed);  // 0, 2 and 3
    switch (mode) {
        case 0: case 2: case 3: break;
        case 1: Set(a, false, true, true, true, false); break;
        case 4: Set(a, false, false, false, true, true); break;
        default: return Apply(Row::kNone, false);
    }
    return a;
}

}  // namespace

LightAreas LightAreasFor(int family, int mode, bool sameModeAllowed) {
    switch (family) {
        case 1: return Keyboard(mode);
        case 2: return Apply(MouseRow(mode), sameModeAllowed);
        case 3: case 4: case 7: return Apply(PadRow(mode), sameModeAllowed);
        case 5: return Family5(mode, sameModeAllowed);
        default: return Apply(Row::kNone, false);
    }
}

}  // namespace marlo::panels
