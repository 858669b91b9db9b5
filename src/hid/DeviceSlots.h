#pragma once

#include <array>
#include <mutex>
#include <optional>
#include <string>

#include "hid/SupportedDevices.h"

namespace marlo::hid {

// The attachment slots: one per supported-device row, copied from the table. Discovery is
// the only writer; the UI thread reads them (as copies) while it handles the attach and
// detach messages, and at any other time.
class DeviceSlots {
  public:
    DeviceSlots();
    // Slots copied from another table of the same size (a test's, with rows of its own).
    explicit DeviceSlots(const std::array<SupportedDeviceRecord, kSupportedDeviceCount>& table);

    SupportedDeviceRecord Get(size_t index) const;
    bool AnyFree() const;
    // The row (of this table) that describes an opened collection, attached or not.
    std::optional<SupportedDeviceRecord> RowFor(const SupportedDeviceRecord& probe) const;
    // A free slot whose vendor, product, interface and collection are these.
    bool HasFreeSlotFor(uint16_t vendorId, uint16_t productId, uint16_t interfaceNumber,
                        uint16_t collectionNumber) const;
    // Claims the first free slot (in slot order) that describes this collection; its index.
    std::optional<size_t> ClaimFirstFree(const SupportedDeviceRecord& probe,
                                         const std::string& path);
    void Release(size_t index);

  private:
    mutable std::mutex mutex_;
    std::array<SupportedDeviceRecord, kSupportedDeviceCount> slots_;
};

}  // namespace marlo::hid
