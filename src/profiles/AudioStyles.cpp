#include "profiles/AudioStyles.h"

#include "profiles/JsonFields.h"
#include "profiles/NameRules.h"

namespace marlo::profiles {

using F = JsonFields;

namespace {

const Json::Value& Section(const Json::Value& document) {
    return F::Member(F::Member(document, "Device"), "AudioLightInfo");
}

}  // namespace

bool AudioStyles::IsStylesShape(const Json::Value& document) {
    return document.isObject() && F::Member(document, "Device").isObject() &&
           Section(document).isObject();
}

std::optional<AudioStyles> AudioStyles::FromDocument(const Json::Value& document) {
    if (!IsStylesShape(document)) {
        return std::nullopt;
    }
    const Json::Value& s = Section(document);
    AudioStyles result;
    const int64_t active = F::Int(s, "nAudioStyle");
    result.active =
        active >= 0 && active < static_cast<int64_t>(kStyles) ? static_cast<int>(active) : 0;
    for (size_t i = 0; i < kStyles; ++i) {
        Style& style = result.styles[i];
        const std::string index = std::to_string(i);
        style.name = F::String(s, "nStyleName" + std::to_string(i + 1));
        if (!NameRules::IsAcceptable(style.name)) {
            style.name = "Style " + std::to_string(i + 1);
        }
        style.red = F::Byte(s, "nStyleR" + index);
        style.green = F::Byte(s, "nStyleG" + index);
        style.blue = F::Byte(s, "nStyleB" + index);
    }
    return result;
}

Json::Value AudioStyles::ToDocument(Json::Value document) const {
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    if (!document["Device"].isObject()) {
        document["Device"] = Json::Value(Json::objectValue);
    }
    Json::Value& s = document["Device"]["AudioLightInfo"];
    if (!s.isObject()) {
        s = Json::Value(Json::objectValue);
    }
    s["nAudioStyle"] = active;
    for (size_t i = 0; i < kStyles; ++i) {
        const std::string index = std::to_string(i);
        s["nStyleName" + std::to_string(i + 1)] = styles[i].name;
        s["nStyleR" + index] = styles[i].red;
        s["nStyleG" + index] = styles[i].green;
        s["nStyleB" + index] = styles[i].blue;
    }
    return document;
}

std::array<uint8_t, 40> AudioStyles::ColourBlock() const {
    const Style& style = styles[static_cast<size_t>(active >= 0 && active < 4 ? active : 0)];
    const int32_t channels[3] = {style.red, style.green == 0 ? 1 : style.green, style.blue};
    std::array<uint8_t, 40> block{};
    for (size_t c = 0; c < 3; ++c) {
        for (size_t b = 0; b < 4; ++b) {
            block[c * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(channels[c]) >> (8 * b));
        }
    }
    return block;
}

}  // namespace marlo::profiles
