#include "hid/DeviceSlots.h"

namespace marlo::hid {

DeviceSlots::DeviceSlots() : slots_(SupportedDevices()) {}

DeviceSlots::DeviceSlots(const std::array<SupportedDeviceRecord, kSupportedDeviceCount>& table)
    : slots_(table) {}

SupportedDeviceRecord DeviceSlots::Get(size_t index) const {
    std::lock_guard lock(mutex_);
    return slots_.at(index);
}

std::optional<SupportedDeviceRecord> DeviceSlots::RowFor(const SupportedDeviceRecord& probe) const {
    std::lock_guard lock(mutex_);
    for (const auto& slot : slots_) {
        if (slot.DescribesCollection(probe)) {
            return slot;
        }
    }
    return std::nullopt;
}

bool DeviceSlots::AnyFree() const {
    std::lock_guard lock(mutex_);
    for (const auto& slot : slots_) {
        if (slot.IsFree()) {
            return true;
        }
    }
    return false;
}

bool DeviceSlots::HasFreeSlotFor(uint16_t vendorId, uint16_t productId, uint16_t interfaceNumber,
                                 uint16_t collectionNumber) const {
    std::lock_guard lock(mutex_);
    for (const auto& slot : slots_) {
        if (slot.IsFree() && slot.vendorId == vendorId && slot.productId == productId &&
            slot.interfaceNumber == interfaceNumber && slot.collectionNumber == collectionNumber) {
            return true;
        }
    }
    return false;
}

std::optional<size_t> DeviceSlots::ClaimFirstFree(const SupportedDeviceRecord& probe,
                                                  const std::string& path) {
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < kSupportedDeviceCount; ++i) {
        SupportedDeviceRecord& slot = slots_[i];
        if (slot.IsFree() && slot.DescribesCollection(probe)) {
            slot.attached = 1;
            slot.devicePath = path;
            return i;
        }
    }
    return std::nullopt;
}

void DeviceSlots::Release(size_t index) {
    std::lock_guard lock(mutex_);
    slots_.at(index).attached = 0;
    slots_.at(index).devicePath.clear();
}

}  // namespace marlo::hid
