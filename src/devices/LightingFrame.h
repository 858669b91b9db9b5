#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "devices/LightTables.h"

namespace marlo::devices {

// One light of the frame: its colour, its level (0-255) and four bytes kept with it.
struct LightEntry {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t level = 0;
    std::array<uint8_t, 4> extra{};
    bool operator==(const LightEntry&) const = default;
};

// A device's lighting frame and its per-light effect records, guarded by the frame lock: the
// lighting thread writes it, the UI thread presents it.
class LightingFrame {
  public:
    static constexpr size_t kEffectRecordBytes = 14;
    // The streamed frame is at most this long; light 170 has no place in it.
    static constexpr size_t kStreamBytes = 512;
    static constexpr size_t kUnstreamedLight = 170;

    using EffectRecord = std::array<uint8_t, kEffectRecordBytes>;

    // Resizes the frame and the effect records to `count` lights and clears every entry and
    // record, also when the count stays the same.
    void SetLightCount(size_t count);
    size_t lightCount() const;

    // False, and nothing stored, for an index past the lights.
    bool SetLight(size_t index, const LightEntry& entry);
    // The entry, or all zeros for an index past the lights.
    LightEntry GetLight(size_t index) const;
    // Every light to one colour and level; the kept bytes stay.
    void Fill(const Rgb& colour, uint8_t level);
    // Every light to zero, the kept bytes too.
    void Clear();
    // The lights from `entries` (as many as both have): one change, or none when every light
    // already showed that. True when something changed.
    bool Assign(const std::vector<LightEntry>& entries);
    std::vector<LightEntry> Snapshot() const;
    // Changes whenever what the frame shows changes (and when the count is set): a frame
    // presented at one generation need not be presented again until it moves on.
    uint64_t generation() const;
    // Parking: whoever presents the frame stops looking while it stays at `generation`; the
    // first change after that calls the change handler (on the changing thread, outside the
    // frame lock). False, and not parked, when the frame has already moved on.
    bool Park(uint64_t generation);
    void SetChangeHandler(std::function<void()> handler);
    EffectRecord GetEffectRecord(size_t index) const;

    // What goes to the device: light count × 3 bytes (at most 512), at i·3 the colour of
    // light i scaled by its level (c × level / 256); light 170 is left out.
    std::vector<uint8_t> StreamBytes() const;

  private:
    mutable std::mutex mutex_;
    std::vector<LightEntry> entries_;
    std::vector<EffectRecord> effects_;
    // Under mutex_; returns the handler to call when a change ends a parking.
    std::function<void()> Changed();

    uint64_t generation_ = 0;
    bool parked_ = false;
    std::function<void()> onChange_;
};

}  // namespace marlo::devices
