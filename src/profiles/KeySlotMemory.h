#pragma once

#include <json/value.h>

#include <cstdint>
#include <map>
#include <optional>

namespace marlo::profiles {

// Where the keyboard keeps a remapped key: for each key position whose slot no longer holds the
// position's own factory code, the slot and the code written there. Kept beside the device's
// profiles as "KeySlots.json": { "Slots": [ { "Key": 1, "Slot": 37, "Code": 2097156 }, ... ] }.
// The document is read as hostile: entries out of range or repeated are passed over.
class KeySlotMemory {
  public:
    static constexpr const char* kFileName = "KeySlots.json";
    static constexpr size_t kMaxFileBytes = 256 * 1024;
    static constexpr int kMaxPosition = 1023;
    static constexpr int kMaxSlot = 254;

    struct Place {
        uint8_t slot = 0;
        uint32_t code = 0;  // 24 bits
        bool operator==(const Place&) const = default;
    };

    static KeySlotMemory FromDocument(const Json::Value& document);
    Json::Value ToDocument() const;

    // Nothing for a position without an entry.
    std::optional<Place> PlaceOf(int position) const;
    // False (and nothing kept) for a position or slot out of range.
    bool Remember(int position, Place place);
    const std::map<int, Place>& places() const { return places_; }
    bool operator==(const KeySlotMemory&) const = default;

  private:
    std::map<int, Place> places_;
};

}  // namespace marlo::profiles
