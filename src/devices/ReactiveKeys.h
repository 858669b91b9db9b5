#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace marlo::devices {

// The keys lit by being pressed: an 8-bit value per key position that a press sets to 255 and
// the lighting steps fade, and a ring of 23 entries the ripple effects turn.
class ReactiveKeys {
  public:
    static constexpr size_t kKeys = 170;
    static constexpr size_t kRingEntries = 23;

    void Press(size_t key) {
        if (key < kKeys) {
            values_[key] = 255;
        }
    }
    uint8_t value(size_t key) const { return key < kKeys ? values_[key] : 0; }
    void SetValue(size_t key, uint8_t value) {
        if (key < kKeys) {
            values_[key] = value;
        }
    }
    // One fading step of one key: bright keys fade fast, dim ones slowly, down to 0.
    void Fade(size_t key, int fadeMode);
    // Sets the value of each key whose ring entry (of the first nine) is not 0.
    void LightFromRing();
    // Turns the ring one place, towards higher indexes when `up`.
    void Rotate(bool up);
    void Clear();
    void SetRingEntry(size_t index, uint8_t value) {
        if (index < kRingEntries) {
            ring_[index] = value;
        }
    }
    uint8_t ringEntry(size_t index) const { return index < kRingEntries ? ring_[index] : 0; }
    // Whether any key is lit.
    bool Any() const;

  private:
    std::array<uint8_t, kKeys> values_{};
    std::array<uint8_t, kRingEntries> ring_{};
};

}  // namespace marlo::devices
