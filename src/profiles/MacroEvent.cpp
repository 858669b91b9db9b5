#include "profiles/MacroEvent.h"

#include <cctype>

#include "profiles/JsonFields.h"

namespace marlo::profiles {

MacroEvent MacroEvent::FromJson(const Json::Value& object) {
    MacroEvent e;
    e.action = JsonFields::String(object, "Action");
    e.type = static_cast<int>(JsonFields::Int(object, "Type"));
    e.button = static_cast<int>(JsonFields::Int(object, "Button"));
    const Json::Value& delay = JsonFields::Member(object, "Delay");
    e.delay = delay.isString() ? delay.asString() : std::to_string(JsonFields::IntOf(delay));
    return e;
}

Json::Value MacroEvent::ToJson() const {
    Json::Value object(Json::objectValue);
    object["Action"] = action;
    object["Type"] = type;
    object["Button"] = button;
    object["Delay"] = delay;
    return object;
}

int64_t DelayMs(const std::string& delay) {
    // As the C library reads a number: optional blanks and sign, then digits.
    size_t i = 0;
    while (i < delay.size() && std::isspace(static_cast<unsigned char>(delay[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < delay.size() && (delay[i] == '-' || delay[i] == '+')) {
        negative = delay[i] == '-';
        ++i;
    }
    int64_t value = 0;
    for (; i < delay.size() && std::isdigit(static_cast<unsigned char>(delay[i])); ++i) {
        value = value * 10 + (delay[i] - '0');
        if (value > 0x7FFFFFFF) {
            value = 0x7FFFFFFF;
        }
    }
    return negative ? -value : value;
}

std::array<uint8_t, 4> EventToDeviceRecord(const MacroEvent& event) {
    const auto delay = static_cast<uint32_t>(DelayMs(event.delay));
    const bool down = event.action == "down";
    return {static_cast<uint8_t>(delay & 0xFF), static_cast<uint8_t>((delay >> 8) & 0xFF),
            static_cast<uint8_t>((event.type & 0x7F) | (down ? 0x80 : 0)),
            static_cast<uint8_t>(event.button & 0xFF)};
}

}  // namespace marlo::profiles
