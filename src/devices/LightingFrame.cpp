#include "devices/LightingFrame.h"

#include <algorithm>

namespace marlo::devices {

std::function<void()> LightingFrame::Changed() {
    ++generation_;
    if (!parked_) {
        return nullptr;
    }
    parked_ = false;
    return onChange_;
}

bool LightingFrame::Park(uint64_t generation) {
    std::lock_guard lock(mutex_);
    if (generation != generation_) {
        return false;
    }
    parked_ = true;
    return true;
}

void LightingFrame::SetChangeHandler(std::function<void()> handler) {
    std::lock_guard lock(mutex_);
    onChange_ = std::move(handler);
}

void LightingFrame::SetLightCount(size_t count) {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        entries_.assign(count, LightEntry{});
        effects_.assign(count, EffectRecord{});
        wake = Changed();
    }
    if (wake) {
        wake();
    }
}

uint64_t LightingFrame::generation() const {
    std::lock_guard lock(mutex_);
    return generation_;
}

size_t LightingFrame::lightCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

bool LightingFrame::SetLight(size_t index, const LightEntry& entry) {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        if (index >= entries_.size()) {
            return false;
        }
        if (!(entries_[index] == entry)) {
            entries_[index] = entry;
            wake = Changed();
        }
    }
    if (wake) {
        wake();
    }
    return true;
}

LightEntry LightingFrame::GetLight(size_t index) const {
    std::lock_guard lock(mutex_);
    return index < entries_.size() ? entries_[index] : LightEntry{};
}

bool LightingFrame::Assign(const std::vector<LightEntry>& entries) {
    std::function<void()> wake;
    bool changed = false;
    {
        std::lock_guard lock(mutex_);
        const size_t n = std::min(entries.size(), entries_.size());
        if (!std::equal(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(n),
                        entries_.begin())) {
            std::copy_n(entries.begin(), n, entries_.begin());
            changed = true;
            wake = Changed();
        }
    }
    if (wake) {
        wake();
    }
    return changed;
}

void LightingFrame::Fill(const Rgb& colour, uint8_t level) {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        bool changed = false;
        for (LightEntry& e : entries_) {
            if (e.red != colour.red || e.green != colour.green || e.blue != colour.blue ||
                e.level != level) {
                e.red = colour.red;
                e.green = colour.green;
                e.blue = colour.blue;
                e.level = level;
                changed = true;
            }
        }
        if (changed) {
            wake = Changed();
        }
    }
    if (wake) {
        wake();
    }
}

void LightingFrame::Clear() {
    std::function<void()> wake;
    {
        std::lock_guard lock(mutex_);
        bool changed = false;
        for (LightEntry& e : entries_) {
            if (!(e == LightEntry{})) {
                e = LightEntry{};
                changed = true;
            }
        }
        if (changed) {
            wake = Changed();
        }
    }
    if (wake) {
        wake();
    }
}

std::vector<LightEntry> LightingFrame::Snapshot() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

LightingFrame::EffectRecord LightingFrame::GetEffectRecord(size_t index) const {
    std::lock_guard lock(mutex_);
    return index < effects_.size() ? effects_[index] : EffectRecord{};
}

std::vector<uint8_t> LightingFrame::StreamBytes() const {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> bytes(std::min(entries_.size() * 3, kStreamBytes), 0);
    for (size_t i = 0; i < entries_.size() && i * 3 + 2 < bytes.size(); ++i) {
        if (i == kUnstreamedLight) {
            continue;
        }
        const LightEntry& e = entries_[i];
        bytes[i * 3] = static_cast<uint8_t>(e.red * e.level / 256);
        bytes[i * 3 + 1] = static_cast<uint8_t>(e.green * e.level / 256);
        bytes[i * 3 + 2] = static_cast<uint8_t>(e.blue * e.level / 256);
    }
    return bytes;
}

}  // namespace marlo::devices
