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

}  // namespace marlo::profiles
