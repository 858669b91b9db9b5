#pragma once

#include <cstdint>
#include <string>

namespace marlo::profiles {

// The in-memory records of a profile's sections. Every number in a document is an integer;
// a record keeps only the low bits of the width given here.

// A lighting setting: the "LightInfo" section, or one "LightList" entry.
struct LightInfo {
    uint8_t selectItem = 0;  // mode index
    uint8_t light = 0;       // brightness
    uint8_t speed = 0;
    uint8_t fx = 0;          // direction
    uint8_t multiColor = 0;  // 0 or 1
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused1 = 0;
    uint8_t unused2 = 0;
    uint8_t present = 0;  // "LightList" entries: 1 when the element was not null
    uint8_t zzccLedMode = 0;
    uint8_t customGroup = 0;
    uint8_t oldLedMode = 0;

    bool operator==(const LightInfo&) const = default;
};

struct AudioLightInfo {
    uint8_t audioMode = 0;
    uint8_t bkColorR = 0;
    uint8_t bkColorG = 0;
    uint8_t bkColorB = 0;
    uint8_t fgColorR = 0;
    uint8_t fgColorG = 0;
    uint8_t fgColorB = 0;
    uint8_t sevenColorFlags = 0;
    uint8_t colorTypeFlags = 0;

    bool operator==(const AudioLightInfo&) const = default;
};

// An assignment code split into its three bytes: (type << 16) | (high << 8) | low.
struct Assignment {
    uint8_t type = 0;
    uint8_t high = 0;
    uint8_t low = 0;

    static Assignment FromCode(uint32_t code) {
        return {static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 8),
                static_cast<uint8_t>(code)};
    }
    uint32_t Code() const { return uint32_t{type} << 16 | uint32_t{high} << 8 | low; }
    bool operator==(const Assignment&) const = default;
};

struct KeyListEntry {
    uint16_t keyIndex = 0;
    Assignment assignment;
    uint16_t keyIndexAgain = 0;
    Assignment defaultAssignment;

    bool operator==(const KeyListEntry&) const = default;
};

struct KeyboardSystemStages {
    uint16_t repeat = 0;
    uint16_t repeatDelay = 0;
    uint16_t key6Flag = 0;
    uint16_t pollingRate = 0;
    uint16_t wFlag = 0;
    uint16_t winFlag = 0;

    bool operator==(const KeyboardSystemStages&) const = default;
};

struct CustomLightColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    uint8_t isBright = 0;

    bool operator==(const CustomLightColor&) const = default;
};

struct DpiStage {
    uint8_t enabled = 0;
    uint8_t separateXY = 0;
    uint16_t dpiX = 0;
    uint16_t dpiY = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const DpiStage&) const = default;
};

struct MouseSystemStages {
    uint16_t doubleClickTime = 0;
    uint16_t mouseSpeed = 0;
    uint16_t pointerPrecision = 0;
    uint16_t scrollPage = 0;
    uint16_t wheelScrollLines = 0;
    uint16_t reportRateStage = 0;

    bool operator==(const MouseSystemStages&) const = default;
};

struct CorrectEntry {
    uint8_t pixThresh = 0;
    uint8_t minSq = 0;
    uint8_t selected = 0;
    std::string name;

    bool operator==(const CorrectEntry&) const = default;
};

struct HeadsetSystemSetStages {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSelectIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMonitorSelect = 0;
    int32_t micMonitorValue = 0;

    bool operator==(const HeadsetSystemSetStages&) const = default;
};

// One step of a light effect file.
struct LedEffectStep {
    uint8_t ledRegMode = 0;
    uint8_t ledBrightness = 0;
    uint8_t ledSpeed = 0;
    uint8_t ledDirection = 0;
    uint8_t ledMultiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t reserved[8] = {};
    int32_t time = 0;
    int32_t cycle = 0;

    bool operator==(const LedEffectStep&) const = default;
};

}  // namespace marlo::profiles
