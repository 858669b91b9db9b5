#include "profiles/KeySlotMemory.h"

#include <algorithm>

#include "profiles/JsonFields.h"

namespace marlo::profiles {

KeySlotMemory KeySlotMemory::FromDocument(const Json::Value& document) {
    KeySlotMemory memory;
    const Json::Value& list = JsonFields::Member(document, "Slots");
    if (!list.isArray()) {
        return memory;
    }
    const Json::ArrayIndex count = std::min<Json::ArrayIndex>(list.size(), JsonFields::kMaxIndex);
    for (Json::ArrayIndex i = 0; i < count; ++i) {
        const Json::Value& item = list[i];
        const Json::Value& key = JsonFields::Member(item, "Key");
        const Json::Value& slot = JsonFields::Member(item, "Slot");
        const Json::Value& code = JsonFields::Member(item, "Code");
        if (!key.isIntegral() || !slot.isIntegral() || !code.isIntegral()) {
            continue;
        }
        const int64_t position = JsonFields::IntOf(key);
        const int64_t slotValue = JsonFields::IntOf(slot);
        const int64_t codeValue = JsonFields::IntOf(code);
        if (codeValue < 0 || codeValue > 0xFFFFFF || slotValue < 0 || slotValue > kMaxSlot ||
            position < 0 || position > kMaxPosition || memory.places_.count(static_cast<int>(position)) != 0) {
            continue;
        }
        memory.places_[static_cast<int>(position)] = {static_cast<uint8_t>(slotValue),
                                                      static_cast<uint32_t>(codeValue)};
    }
    return memory;
}

Json::Value KeySlotMemory::ToDocument() const {
    Json::Value document(Json::objectValue);
    Json::Value& list = document["Slots"] = Json::Value(Json::arrayValue);
    for (const auto& [position, place] : places_) {
        Json::Value item(Json::objectValue);
        item["Key"] = position;
        item["Slot"] = place.slot;
        item["Code"] = place.code;
        list.append(item);
    }
    return document;
}

std::optional<KeySlotMemory::Place> KeySlotMemory::PlaceOf(int position) const {
    const auto it = places_.find(position);
    if (it == places_.end()) {
        return std::nullopt;
    }
    return it->second;
}

bool KeySlotMemory::Remember(int position, Place place) {
    if (position < 0 || position > kMaxPosition || place.slot > kMaxSlot || place.code > 0xFFFFFF) {
        return false;
    }
    places_[position] = place;
    return true;
}

}  // namespace marlo::profiles
