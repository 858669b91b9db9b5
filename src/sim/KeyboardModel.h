#pragma once

#include <json/value.h>

#include <cstdint>
#include <vector>

#include "sim/CommandDevice.h"

namespace marlo::sim {

// What the keyboard keeps and how it answers each command, whichever way it is reached.
class KeyboardModel {
  public:
    static constexpr uint8_t kKeySlots = 126;
    static constexpr uint8_t kMacroUnits = 32;  // macro memory in units of 128 bytes
    static constexpr uint16_t kFirmwareVersion = 0x0102;
    static constexpr size_t kBlockSize = 512;
    static constexpr size_t kSettingsSize = 256;
    static constexpr size_t kMaskSize = 63;
    static constexpr size_t kStatusSize = 6;

    // `withFn` false: the keyboard's Fn key answers with a code of its own in slot 113, so no
    // slot holds the Fn key's factory code.
    // How command 7 reads the key table: each slot's own key (its factory code, whatever it was
    // set to), or what was last written to the slot.
    enum class TableRead { kFactoryKeys, kWritten };
    explicit KeyboardModel(bool withFn = true, TableRead tableRead = TableRead::kFactoryKeys);
    static constexpr uint8_t kFnFallbackSlot = 113;

    Report Answer(CommandDevice::Request request);
    void Dump(Json::Value& dump) const;

    // The slot that holds the key at a page position in the factory key table; the order
    // differs from the position order, as on the real keyboard.
    static uint8_t FactorySlotOfPosition(int position);

    // The key table in use (written with command 9).
    std::vector<uint8_t>& keyBlock() { return block_; }
    std::vector<uint8_t>& settings() { return settings_; }
    std::vector<uint8_t>& status() { return status_; }
    const std::vector<uint8_t>& frame() const { return frame_; }
    const std::vector<uint8_t>& macroMemory() const { return macros_; }
    const std::vector<uint8_t>& mask() const { return mask_; }

  private:
    Report WriteMacros(CommandDevice::Request request);

    std::vector<uint8_t> info_;
    // What command 7 reads: each slot's own key (its factory code), whatever it was set to.
    std::vector<uint8_t> factoryTable_;
    // What command 9 writes: the assignment of each slot in use.
    std::vector<uint8_t> block_;
    std::vector<uint8_t> slots_;
    std::vector<uint8_t> settings_;
    std::vector<uint8_t> macros_;
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> mask_;
    std::vector<uint8_t> status_;
    std::vector<uint8_t> shoot_;
    TableRead tableRead_;
    uint32_t begins_ = 0;
    uint32_t ends_ = 0;
    uint32_t lightingControls_ = 0;
    uint32_t frameChunks_ = 0;
};

}  // namespace marlo::sim
