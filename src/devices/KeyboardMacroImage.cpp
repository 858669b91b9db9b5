#include "devices/KeyboardMacroImage.h"

#include <algorithm>

namespace marlo::devices {
namespace {

void Put16(std::vector<uint8_t>& out, size_t at, size_t value) {
    out[at] = static_cast<uint8_t>(value & 0xFF);
    out[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

}  // namespace

bool KeyboardMacroImage::ForgetMacroRow(std::vector<profiles::KeyListEntry>& keys, int row) {
    bool changed = false;
    for (profiles::KeyListEntry& key : keys) {
        if (!IsMacro(key.assignment) || key.assignment.high < row) {
            continue;
        }
        if (key.assignment.high == row) {
            key.assignment = key.defaultAssignment;
        } else {
            --key.assignment.high;
        }
        changed = true;
    }
    return changed;
}

std::vector<int> KeyboardMacroImage::CollectMacros(const std::vector<profiles::KeyListEntry>& keys,
                                                   const KeyboardPositionMap& map, int macroCount) {
    std::vector<int> macros;
    for (const profiles::KeyListEntry& key : keys) {
        const int position = key.keyIndex;
        if (position >= kKeyPositionsWithMacros || !map.HasSlot(position) ||
            !IsMacro(key.assignment) || key.assignment.high >= macroCount) {
            continue;
        }
        if (std::find(macros.begin(), macros.end(), key.assignment.high) == macros.end()) {
            macros.push_back(key.assignment.high);
        }
    }
    return macros;
}

std::vector<uint8_t> KeyboardMacroImage::KeyTable(std::vector<uint8_t> deviceTable,
                                                  const std::vector<profiles::KeyListEntry>& keys,
                                                  const KeyboardPositionMap& map, int macroCount) {
    std::vector<int> seen;
    for (const profiles::KeyListEntry& key : keys) {
        const int position = key.keyIndex;
        const uint8_t slot = map.SlotOf(position);
        if (slot == KeyboardPositionMap::kNoSlot) {
            continue;
        }
        profiles::Assignment a = key.assignment;
        if (position < kKeyPositionsWithMacros && IsMacro(a)) {
            if (a.high >= macroCount) {
                a = key.defaultAssignment;  // the macro is gone
            } else {
                auto it = std::find(seen.begin(), seen.end(), a.high);
                if (it == seen.end()) {
                    seen.push_back(a.high);
                    it = seen.end() - 1;
                }
                a.high = static_cast<uint8_t>(it - seen.begin());
            }
        }
        // A slot the keyboard does not have (the Fn key's stand-in slot on a small table) is
        // not written: the table stays the keyboard's size.
        const size_t at = size_t{slot} * 3;
        if (at + 3 > deviceTable.size()) {
            continue;
        }
        deviceTable[at] = a.type;
        deviceTable[at + 1] = a.high;
        deviceTable[at + 2] = a.low;
    }
    return deviceTable;
}

KeyboardMacroImage::Built KeyboardMacroImage::Build(
    const std::vector<std::vector<profiles::MacroEvent>>& macros, size_t capacity) {
    size_t events = 0;
    for (const auto& macro : macros) {
        events += macro.size();
    }
    const size_t total = kHeaderSize + 6 * macros.size() + 4 * events;
    Built built;
    if (total > capacity) {
        built.result = static_cast<int>(std::min<size_t>((total - capacity) / 4 + 1, INT32_MAX));
        return built;
    }
    if (total > 0xFFFF) {
        built.result = kCannotAllocate;  // no keyboard has that much memory
        return built;
    }
    std::vector<uint8_t>& image = built.image;
    image.assign(total, 0);
    Put16(image, 0, kSignature);
    Put16(image, 2, total);
    Put16(image, 4, macros.size());
    size_t record = kHeaderSize + 2 * macros.size();
    for (size_t m = 0; m < macros.size(); ++m) {
        Put16(image, kHeaderSize + 2 * m, record);
        Put16(image, record, macros[m].size());
        record += 4;
        for (const profiles::MacroEvent& event : macros[m]) {
            const auto bytes = profiles::EventToDeviceRecord(event);
            std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<long>(record));
            record += 4;
        }
    }
    return built;
}

}  // namespace marlo::devices
