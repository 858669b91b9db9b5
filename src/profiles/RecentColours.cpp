#include "profiles/RecentColours.h"

#include <algorithm>
#include <cstdio>

#include "profiles/JsonFields.h"

namespace marlo::profiles {

std::optional<uint32_t> RecentColours::ParseHex(std::string_view text) {
    if (text.size() != 7 || text[0] != '#') {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (const char c : text.substr(1)) {
        const int digit = c >= '0' && c <= '9'   ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    return value;
}

std::string RecentColours::Hex(uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFF);
    return text;
}

bool RecentColours::IsRecentShape(const Json::Value& document) {
    return JsonFields::Member(document, "Recent").isArray();
}

RecentColours RecentColours::FromDocument(const Json::Value& document) {
    RecentColours recent;
    const Json::Value& list = JsonFields::Member(document, "Recent");
    if (!list.isArray()) {
        return recent;
    }
    for (Json::ArrayIndex i = 0; i < list.size() && recent.colours_.size() < kMax; ++i) {
        const Json::Value& item = list[i];
        if (!item.isString()) {
            continue;
        }
        if (const auto rgb = ParseHex(item.asString());
            rgb && std::find(recent.colours_.begin(), recent.colours_.end(), *rgb) ==
                       recent.colours_.end()) {
            recent.colours_.push_back(*rgb);
        }
    }
    return recent;
}

Json::Value RecentColours::ToDocument() const {
    Json::Value document(Json::objectValue);
    Json::Value& list = document["Recent"] = Json::Value(Json::arrayValue);
    for (const uint32_t rgb : colours_) {
        list.append(Hex(rgb));
    }
    return document;
}

void RecentColours::Add(uint32_t rgb) {
    rgb &= 0xFFFFFF;
    std::erase(colours_, rgb);
    colours_.insert(colours_.begin(), rgb);
    if (colours_.size() > kMax) {
        colours_.resize(kMax);
    }
}

}  // namespace marlo::profiles
