#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace marlo::profiles {

// The audio-lighting styles file, AudioFile.json in the product folder:
//   { "Device": { "AudioLightInfo": { "nAudioStyle": 0, "nStyleName1".."nStyleName4",
//                                     "nStyleR0", "nStyleG0", "nStyleB0", ... "nStyleB3" } } }
struct AudioStyles {
    static constexpr size_t kStyles = 4;
    // The file is a few hundred bytes.
    static constexpr size_t kMaxFileBytes = 1024 * 1024;

    struct Style {
        std::string name;
        uint8_t red = 0;
        uint8_t green = 0;
        uint8_t blue = 0;
    };
    int active = 0;  // 0..3
    std::array<Style, kStyles> styles;

    // Whether a document is a styles file at all: the two objects above. Members of the wrong
    // type or out of range inside them read as defaults.
    static bool IsStylesShape(const Json::Value& document);
    // The styles of a document of that shape; nothing for another shape. A name that is not
    // one a person could give (control characters, too long) reads as "Style N".
    static std::optional<AudioStyles> FromDocument(const Json::Value& document);
    // `document` (a styles file, or null for a new one) with these styles in its seventeen
    // members; what else it holds stays.
    Json::Value ToDocument(Json::Value document) const;
    // The colour block the audio companion is sent for the active style: red, green and blue
    // as the first three 32-bit values of 40 bytes (a green of 0 goes as 1), the rest 0.
    std::array<uint8_t, 40> ColourBlock() const;
};

}  // namespace marlo::profiles
